// Storm reports by the case window, from the national tables in the forms they have been
// published in, and a generated starting summary of a day.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "base/errors.h"
#include "base/mask.h"
#include "base/records.h"
#include "disc/disc_instructor.h"
#include "disc/disc_kit.h"
#include "reports/extraction.h"

namespace nimbrel::disc {
namespace {

// The combined tables of all years run to tens of megabytes (wind above all).
constexpr qint64 MaxTableBytes = 512LL * 1024 * 1024;

const char* const KindNames[3] = {"tornado", "hail", "wind"};

std::optional<int> Whole(const QByteArray& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

bool IsNumber(const QByteArray& text) {
    bool ok = false;
    text.trimmed().toDouble(&ok);
    return ok;
}

bool IsMagnitudeType(const QByteArray& text) {
    const QByteArray t = text.trimmed().toUpper();
    return t == "EG" || t == "MG" || t == "ES" || t == "MS";
}

// The columns of the period layout, in order, by the names today's headers give them.
const char* const LayoutNames[] = {"om",   "yr",   "mo",   "dy",  "date", "time", "tz",    "st",
                                   "stf",  "stn",  "mag",  "inj", "fat",  "loss", "closs", "slat",
                                   "slon", "elat", "elon", "len", "wid",  "ns",   "sn",    "sg"};
constexpr int LayoutColumns = int(std::size(LayoutNames));
const char* const NeededNames[] = {"yr", "mo", "dy", "time", "st", "mag", "slat", "slon"};

DateTime DayOf(DateTime local) {
    return std::floor(local);
}

QString DayText(DateTime day) {
    return FormatDateTime(QStringLiteral("yyyy-mm-dd"), day);
}

// The span files of `folder` by kind: (first year, last year, file name).
struct SpanFile {
    int From, To;
    QString Name;
};
std::array<std::vector<SpanFile>, 3> SpanFiles(const QString& folder) {
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4})-(\\d{4})_(torn|tornado|tornadoes|actual_tornadoes|hail|wind)"
                       "\\.csv$"),
        QRegularExpression::CaseInsensitiveOption);
    std::array<std::vector<SpanFile>, 3> out;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.csv")}, QDir::Files,
                                                     QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (!m.hasMatch()) continue;
        const QString word = m.captured(3).toLower();
        const int kind = word == QLatin1String("hail") ? 1 : word == QLatin1String("wind") ? 2 : 0;
        out[std::size_t(kind)].push_back({m.captured(1).toInt(), m.captured(2).toInt(), name});
    }
    return out;
}

} // namespace

// ---- tables ----

KindTables TablesForDate(const QString& tables, DateTime date) {
    const int year = DecodeDate(date).Year;
    const auto spans = SpanFiles(tables);
    const QStringList period =
        year >= 1950 && year <= 2008 ? SourceFilesFor(date) : QStringList{"", "", ""};
    static const char* const YearSuffix[3] = {"_torn.csv", "_hail.csv", "_wind.csv"};
    KindTables out;
    for (int k = 0; k < 3; ++k) {
        QStringList candidates;
        if (!period[k].isEmpty()) candidates << period[k];
        // The narrowest file first: the year's own file, then a period's, and today's
        // combined file of all years only when nothing narrower exists.
        std::vector<SpanFile> covering{
            {year, year, QString::number(year) + QLatin1String(YearSuffix[k])}};
        for (const SpanFile& s : spans[std::size_t(k)])
            if (s.From <= year && year <= s.To) covering.push_back(s);
        std::stable_sort(
            covering.begin(), covering.end(),
            [](const SpanFile& a, const SpanFile& b) { return a.To - a.From < b.To - b.From; });
        for (const SpanFile& s : covering)
            candidates << s.Name;
        candidates.removeDuplicates();
        for (const QString& c : candidates) {
            if (QFileInfo(tables + c).isFile()) {
                out.Paths[std::size_t(k)] = tables + c;
                break;
            }
        }
        if (out.Paths[std::size_t(k)].isEmpty()) {
            if (covering.size() == 1)
                candidates << QStringLiteral("a combined file such as %1-%2_%3.csv")
                                  .arg(k == 0 ? 1950 : 1955)
                                  .arg(year)
                                  .arg(k == 0 ? QStringLiteral("actual_tornadoes")
                                              : QString::fromLatin1(k == 1 ? "hail" : "wind"));
            out.Warnings << QStringLiteral("no %1 table for %2 in %3 (looked for %4)")
                                .arg(QLatin1String(KindNames[k]))
                                .arg(year)
                                .arg(tables, candidates.join(QStringLiteral(", ")));
        }
    }
    return out;
}

std::vector<TableRow> ReadTable(const QString& path, int kind) {
    TextLineReader reader = TextLineReader::FromBytes(ReadWholeFile(path, MaxTableBytes));
    // Where each column of the period layout is in this table (0-based); identity when
    // the table has no header.
    std::array<int, LayoutColumns> column{};
    for (int i = 0; i < LayoutColumns; ++i)
        column[std::size_t(i)] = i;
    bool header = false;
    std::vector<TableRow> rows;
    int number = 0;
    while (!reader.AtEnd()) {
        const QByteArray line = reader.ReadLine();
        ++number;
        const QList<QByteArray> fields = line.split(',');
        if (number == 1 && fields.size() > 1 && !IsNumber(fields[1])) {
            QStringList names;
            for (const QByteArray& f : fields)
                names << QString::fromLatin1(f.trimmed()).toLower().remove(QLatin1Char('"'));
            if (names.contains(QLatin1String("yr"))) {
                header = true;
                for (int i = 0; i < LayoutColumns; ++i)
                    column[std::size_t(i)] = int(names.indexOf(QLatin1String(LayoutNames[i])));
                for (const char* needed : NeededNames)
                    if (!names.contains(QLatin1String(needed)))
                        throw DataError(QStringLiteral("%1 line 1: the header has no column "
                                                       "\"%2\"")
                                            .arg(path, QLatin1String(needed)));
                continue;
            }
        }
        auto field = [&](int layoutIndex) -> QByteArray {
            const int at = column[std::size_t(layoutIndex)];
            return at >= 0 && at < fields.size() ? fields[at] : QByteArray();
        };
        if (line.trimmed().isEmpty()) continue;
        if (!IsNumber(field(1)))
            // Quoted fields, semicolons or a header the kit does not know: reading on would
            // leave the day without the reports of this table.
            throw DataError(QStringLiteral("%1 line %2: not a report line the kit can read "
                                           "(comma-separated, unquoted fields expected)")
                                .arg(path)
                                .arg(number));
        QList<QByteArray> layout;
        if (header) {
            for (int i = 0; i < LayoutColumns; ++i)
                layout << field(i);
        } else {
            layout = fields;
            // Some wind tables carry the magnitude type right after the magnitude.
            if (kind == 3 && layout.size() > 11 && IsMagnitudeType(layout[11])) layout.removeAt(11);
        }
        const auto y = Whole(field(1)), m = Whole(field(2));
        auto d = Whole(field(3));
        // The program's reading turns 31 June (a date some tables carry) into the 30th.
        if (m == 6 && d == 31) d = 30;
        const auto date = y && m && d ? TryEncodeDate(*y, *m, *d) : std::nullopt;
        if (!date)
            throw DataError(QStringLiteral("%1 line %2: \"%3/%4/%5\" is not a date")
                                .arg(path)
                                .arg(number)
                                .arg(QString::fromLatin1(field(2)), QString::fromLatin1(field(3)),
                                     QString::fromLatin1(field(1))));
        const QList<QByteArray> hms = layout.value(5).trimmed().split(':');
        std::optional<double> time;
        if (hms.size() == 2 || hms.size() == 3) {
            const auto h = Whole(hms[0]), n = Whole(hms[1]);
            const auto s = hms.size() == 3 ? Whole(hms[2]) : std::optional<int>(0);
            if (h && n && s && IsValidTime(*h, *n, *s)) time = EncodeTime(*h, *n, *s);
        }
        if (!time)
            throw DataError(QStringLiteral("%1 line %2: \"%3\" is not a time of day")
                                .arg(path)
                                .arg(number)
                                .arg(QString::fromLatin1(layout.value(5))));
        rows.push_back({*date + *time, layout.join(','), number});
    }
    if (rows.empty()) throw DataError(QStringLiteral("%1: no report line in the table").arg(path));
    return rows;
}

const std::vector<TableRow>& TableCache::Rows(const QString& path, int kind) {
    for (const auto& [p, rows] : tables_)
        if (p == path) return rows;
    tables_.emplace_back(path, ReadTable(path, kind));
    return tables_.back().second;
}

// ---- the window ----

DayReports ReportsInWindow(const QString& tables, DateTime day, Window window, TableCache& cache) {
    DayReports out;
    out.Day = DayText(day);
    const KindTables today = TablesForDate(tables, day);
    const KindTables tomorrow = TablesForDate(tables, day + 1);
    if (std::all_of(today.Paths.begin(), today.Paths.end(),
                    [](const QString& p) { return p.isEmpty(); }))
        throw DataError(QStringLiteral("%1: no report table for the day: %2")
                            .arg(out.Day, today.Warnings.join(QStringLiteral("; "))));
    out.Warnings = today.Warnings;
    if (window == Window::Case)
        for (const QString& w : tomorrow.Warnings)
            if (!out.Warnings.contains(w)) out.Warnings << w;

    // Local standard time, six hours behind UTC, as the program's reading takes it.
    const double caseFrom = day + 0.25, caseTo = day + 1.25;
    int kept = 0;
    for (int k = 0; k < 3; ++k) {
        const QString& first = today.Paths[std::size_t(k)];
        const QString& second = tomorrow.Paths[std::size_t(k)];
        // Each date is read from its own table, so a row is never taken twice when the
        // two dates fall in different files.
        std::vector<std::pair<QString, std::set<DateTime>>> sources;
        if (!first.isEmpty()) sources.push_back({first, {day}});
        if (!second.isEmpty()) {
            if (second == first)
                sources.back().second.insert(day + 1);
            else
                sources.push_back({second, {day + 1}});
        }
        for (const auto& [path, dates] : sources) {
            for (const TableRow& row : cache.Rows(path, k + 1)) {
                const DateTime date = DayOf(row.Local);
                if (!dates.contains(date)) continue;
                const bool inCase = row.Local >= caseFrom && row.Local < caseTo;
                const bool inCalendar = date == day;
                const bool taken = window == Window::Case ? inCase : inCalendar;
                if (window == Window::Case ? inCalendar : inCase) ++out.OtherWindow;
                if (!taken) continue;
                if (++kept > MaxReportsPerDay) {
                    ++out.Dropped;
                    continue;
                }
                const SourceFields fields(row.Line);
                out.Reports.push_back(
                    ReportFromFields(fields, static_cast<ReportKind>(k + 1), date));
                out.Segments.push_back(fields.Field(24).trimmed() == "2");
                ++out.Counts[std::size_t(k) + 1];
            }
        }
    }
    return out;
}

QStringList MakeWindowReports(const QString& discRoot, const QString& tables, QStringList days,
                              Window window, bool force) {
    if (days.isEmpty()) {
        days = ListMatching(discRoot, QStringLiteral("????-??-??"));
        days.sort();
        if (days.isEmpty()) throw DataError(QStringLiteral("No day folders in %1").arg(discRoot));
    }
    // Every day is read and encoded before the first file is written: a table the kit
    // cannot read leaves every rpt.dat as it was.
    TableCache cache;
    std::vector<std::pair<QString, QByteArray>> files;
    QStringList lines;
    const QString other = window == Window::Case ? QStringLiteral("calendar day (0600-0600 UTC)")
                                                 : QStringLiteral("case window (1200-1200 UTC)");
    for (const QString& day : days) {
        const QString folder = DayFolder(discRoot, day, false);
        if (!QFileInfo(folder).isDir())
            throw FileError(QStringLiteral("%1: no such day folder").arg(day));
        const DateTime date =
            EncodeDate(day.left(4).toInt(), day.mid(5, 2).toInt(), day.mid(8, 2).toInt());
        const DayReports r = ReportsInWindow(tables, date, window, cache);
        const qint64 held = QFileInfo(folder + QStringLiteral("rpt.dat")).size();
        if (r.Reports.empty() && held >= qint64(StormReport::RecordSize) && !force)
            throw DataError(QStringLiteral("%1: the tables give no report for the day, and its "
                                           "rpt.dat holds %2; nothing was written (--force "
                                           "empties it)")
                                .arg(day)
                                .arg(held / qint64(StormReport::RecordSize)));
        int offMap = 0;
        for (const StormReport& report : r.Reports)
            if (report.Start.Latitude != 0.0 && report.Start.Longitude != 0.0 &&
                !OnReportMap(report.Start.Latitude, report.Start.Longitude))
                ++offMap;
        QByteArray bytes;
        for (const StormReport& report : r.Reports)
            bytes += EncodeReport(report);
        files.emplace_back(folder + QStringLiteral("rpt.dat"), bytes);
        lines << QStringLiteral("%1/rpt.dat: %2 tornado, %3 hail, %4 wind; the %5 would give %6")
                     .arg(day)
                     .arg(r.Counts[1])
                     .arg(r.Counts[2])
                     .arg(r.Counts[3])
                     .arg(other)
                     .arg(r.OtherWindow);
        for (const QString& w : r.Warnings)
            lines << QStringLiteral("warning: %1: %2").arg(day, w);
        if (offMap > 0)
            lines << QStringLiteral("warning: %1: %2 report(s) off the map, kept")
                         .arg(day)
                         .arg(offMap);
        if (r.Dropped > 0)
            lines << QStringLiteral("warning: %1: %2 reports beyond %3 left out")
                         .arg(day)
                         .arg(r.Dropped)
                         .arg(MaxReportsPerDay);
    }
    for (const auto& [path, bytes] : files)
        WriteFileAtomically(path, bytes);
    return lines;
}

// ---- draft ----

QString DraftSummary(const DayReports& r) {
    int tornadoes = 0, deaths = 0, injuries = 0, strongest = -1, hail = 0, wind = 0;
    int biggestHail = 0, strongestGust = 0;
    const StormReport* top = nullptr;
    std::set<QString> states;
    DateTime first = 0, last = 0;
    for (std::size_t i = 0; i < r.Reports.size(); ++i) {
        const StormReport& s = r.Reports[i];
        if (!s.State.isEmpty()) states.insert(s.State);
        if (first == 0 || s.Time < first) first = s.Time;
        if (s.Time > last) last = s.Time;
        if (s.Kind == 1 && !r.Segments[i]) {
            ++tornadoes;
            deaths += s.SourceColumn13;
            injuries += s.SourceColumn12;
            if (s.SourceColumn11 > strongest) {
                strongest = s.SourceColumn11;
                top = &s;
            }
        } else if (s.Kind == 2) {
            ++hail;
            biggestHail = std::max(biggestHail, s.SourceColumn11);
        } else if (s.Kind == 3) {
            ++wind;
            strongestGust = std::max(strongestGust, s.SourceColumn11);
        }
    }
    QStringList out;
    out << QStringLiteral("[GENERATED FROM THE REPORT TABLES FOR THE INSTRUCTOR TO EDIT: check "
                          "every figure, write the weather of the day, and choose the regime "
                          "letters yourself.]");
    if (r.Reports.empty()) {
        out << QStringLiteral("No storm reports in the tables between 1200 UTC of the day and "
                              "1200 UTC of the next.");
        return out.join(QLatin1Char(' '));
    }
    QString counts = QStringLiteral("Between 1200 UTC of the day and 1200 UTC of the next the "
                                    "national tables list %1 tornado%2, %3 hail report%4 and "
                                    "%5 wind report%6.")
                         .arg(tornadoes)
                         .arg(tornadoes == 1 ? "" : "es")
                         .arg(hail)
                         .arg(hail == 1 ? "" : "s")
                         .arg(wind)
                         .arg(wind == 1 ? "" : "s");
    out << counts;
    if (top)
        out << QStringLiteral("The strongest tornado was rated %1%2 in %3 at %4 UTC.")
                   // The enhanced scale rates tornadoes from February 2007.
                   .arg(top->Time >= EncodeDate(2007, 2, 1) ? "EF" : "F")
                   .arg(strongest)
                   .arg(top->State, FormatDateTime(QStringLiteral("hhnn"), top->Time));
    if (tornadoes > 0)
        out << QStringLiteral("Tornadoes caused %1 death%2 and %3 injur%4.")
                   .arg(deaths)
                   .arg(deaths == 1 ? "" : "s")
                   .arg(injuries)
                   .arg(injuries == 1 ? "y" : "ies");
    if (hail > 0 && biggestHail > 0)
        out << QStringLiteral("The largest hail was about %1 inches.").arg(biggestHail);
    if (wind > 0 && strongestGust > 0)
        out << QStringLiteral("The strongest wind given was %1 knots.").arg(strongestGust);
    QStringList stateList(states.begin(), states.end());
    out << QStringLiteral("Reports came from %1, the first at %2 UTC and the last at %3 UTC.")
               .arg(stateList.join(QStringLiteral(", ")),
                    FormatDateTime(QStringLiteral("hhnn"), first),
                    FormatDateTime(QStringLiteral("hhnn"), last));
    return out.join(QLatin1Char(' '));
}

QStringList MakeDraft(const QString& discRoot, const QString& tables, const QString& day) {
    const QString folder = DayFolder(discRoot, day, false);
    if (!QFileInfo(folder).isDir())
        throw FileError(QStringLiteral("%1: no such day folder").arg(day));
    TableCache cache;
    const DateTime date =
        EncodeDate(day.left(4).toInt(), day.mid(5, 2).toInt(), day.mid(8, 2).toInt());
    const DayReports r = ReportsInWindow(tables, date, Window::Case, cache);
    const QString text = DraftSummary(r);
    WriteFileAtomically(folder + QStringLiteral("draft.txt"),
                        text.toLatin1() + QByteArrayLiteral("\r\n"));
    QStringList lines{QStringLiteral("%1/draft.txt: %2").arg(day, text)};
    for (const QString& w : r.Warnings)
        lines << QStringLiteral("warning: %1: %2").arg(day, w);
    return lines;
}

} // namespace nimbrel::disc
