#include "reports/extraction.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "base/errors.h"
#include "base/mask.h"
#include "base/prompts.h"
#include "base/records.h"

namespace nimbrel {
namespace {

struct Period {
    int FromYear, FromMonth, FromDay, ToYear, ToMonth, ToDay;
    const char* Prefix;
};

// The first row is the fallback for a day outside every other range.
constexpr Period Periods[] = {
    {0, 0, 0, 0, 0, 0, nullptr},
    {1960, 1, 1, 1969, 12, 31, "60-69"},
    {1970, 1, 1, 1979, 12, 31, "70-79"},
    {1980, 1, 1, 1989, 12, 31, "80-89"},
    {1990, 1, 1, 1999, 12, 31, "90-99"},
    {2000, 1, 1, 2004, 12, 31, "2000-2004"},
    {2005, 1, 1, 2007, 12, 31, "2005-2007"},
    {2008, 1, 1, 2008, 12, 31, "2008"},
};

std::optional<int> WholeNumber(const QByteArray& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    return v;
}

double DecimalOrZero(const QByteArray& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

std::int32_t WholeOrZero(const QByteArray& text) {
    if (auto v = WholeNumber(text)) return *v;
    const double d = DecimalOrZero(text);
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::lround(std::clamp(d, lo, hi)));
}

bool IsNumber(const QByteArray& text) {
    bool ok = false;
    text.trimmed().toDouble(&ok);
    return ok;
}

DateTime DateOrThrow(const QByteArray& year, const QByteArray& month, const QByteArray& day) {
    const auto y = WholeNumber(year), m = WholeNumber(month), d = WholeNumber(day);
    if (y && m && d)
        if (auto date = TryEncodeDate(*y, *m, *d)) return *date;
    throw ConvertError(
        QStringLiteral("'%1/%2/%3' is not a valid date")
            .arg(QString::fromLatin1(month), QString::fromLatin1(day), QString::fromLatin1(year)));
}

double TimeOrThrow(const QByteArray& text) {
    const QList<QByteArray> parts = text.trimmed().split(':');
    if (parts.size() == 2 || parts.size() == 3) {
        const auto h = WholeNumber(parts[0]), n = WholeNumber(parts[1]);
        const auto s = parts.size() == 3 ? WholeNumber(parts[2]) : std::optional<int>(0);
        if (h && n && s && IsValidTime(*h, *n, *s)) return EncodeTime(*h, *n, *s);
    }
    throw ConvertError(QStringLiteral("'%1' is not a valid time").arg(QString::fromLatin1(text)));
}

/// The case day of a folder named yyyy-mm-dd.
DateTime CaseDay(const QString& name) {
    const QByteArray n = name.toLatin1();
    return DateOrThrow(n.mid(0, 4), n.mid(5, 2), n.mid(8, 2));
}

} // namespace

TextLineReader::TextLineReader(const QString& path) : data_(ReadWholeFile(path)) {}

TextLineReader TextLineReader::FromBytes(const QByteArray& bytes) {
    TextLineReader r;
    r.data_ = bytes;
    return r;
}

QByteArray TextLineReader::ReadLine() {
    const qsizetype start = pos_;
    while (pos_ < data_.size()) {
        const char c = data_[pos_];
        if (c == '\n') {
            QByteArray line = data_.mid(start, pos_ - start);
            ++pos_;
            return line;
        }
        if (c == '\r') {
            QByteArray line = data_.mid(start, pos_ - start);
            ++pos_;
            if (pos_ < data_.size() && data_[pos_] == '\n') ++pos_;
            return line;
        }
        ++pos_;
    }
    return data_.mid(start, pos_ - start);
}

SourceFields::SourceFields(const QByteArray& line) {
    // The line is read as if a comma followed it, so its last text is a field too; a
    // line of more fields than the table holds keeps its first MaxSourceFields.
    qsizetype start = 0;
    while (static_cast<int>(fields_.size()) < MaxSourceFields) {
        const qsizetype comma = line.indexOf(',', start);
        if (comma < 0) {
            fields_.push_back(line.mid(start));
            break;
        }
        fields_.push_back(line.mid(start, comma - start));
        start = comma + 1;
    }
}

QByteArray SourceFields::Field(int number) const {
    if (number < 1 || number > Count()) return {};
    return fields_[static_cast<std::size_t>(number - 1)];
}

QStringList SourceFilesFor(DateTime day) {
    QString prefix;
    for (std::size_t row = 1; row < std::size(Periods); ++row) {
        const Period& p = Periods[row];
        if (day >= EncodeDate(p.FromYear, p.FromMonth, p.FromDay) &&
            day <= EncodeDate(p.ToYear, p.ToMonth, p.ToDay)) {
            prefix = QString::fromLatin1(p.Prefix);
            break;
        }
    }
    if (prefix.isEmpty()) // the first row: tornadoes from 1950, hail and wind from 1955
        return {QStringLiteral("50-59_torn.csv"), QStringLiteral("55-59_hail.csv"),
                QStringLiteral("55-59_wind.csv")};
    return {prefix + QStringLiteral("_torn.csv"), prefix + QStringLiteral("_hail.csv"),
            prefix + QStringLiteral("_wind.csv")};
}

StormReport ReportFromFields(const SourceFields& f, ReportKind kind, DateTime date) {
    StormReport r;
    // The tables keep local standard time, six hours behind UTC.
    r.Time = date + TimeOrThrow(f.Field(6)) + 0.25;
    r.Kind = static_cast<std::int32_t>(kind);
    r.Start = {DecimalOrZero(f.Field(16)), DecimalOrZero(f.Field(17))};
    r.End = {DecimalOrZero(f.Field(18)), DecimalOrZero(f.Field(19))};
    r.State = QString::fromLatin1(f.Field(8).left(2));
    r.SourceColumn11 = WholeOrZero(f.Field(11));
    r.SourceColumn12 = WholeOrZero(f.Field(12));
    r.SourceColumn13 = WholeOrZero(f.Field(13));
    return r;
}

std::vector<StormReport> ReportsOfDay(DateTime day, const QStringList& tablePaths,
                                      const ExtractionHooks& hooks,
                                      const std::function<void(int)>& beforeTable) {
    std::vector<StormReport> reports;
    int count = 0;
    for (int k = 1; k <= 3 && k <= tablePaths.size(); ++k) {
        const QString& path = tablePaths[k - 1];
        if (path.isEmpty()) continue;
        TextLineReader reader(path);
        if (beforeTable) beforeTable(k);
        long lines = 0;
        while (!reader.AtEnd()) {
            const QByteArray line = reader.ReadLine();
            if (++lines % 1000 == 0 && hooks.Ask) hooks.Ask->ProcessEvents();
            SourceFields f(line);
            // Today's tables open with a header line ("om,yr,mo,dy,..."), and some
            // end with a blank line: neither has a year in field 2.
            if (!IsNumber(f.Field(2))) continue;
            QByteArray dayText = f.Field(4);
            if (f.Field(3) == "6" && dayText == "31") dayText = "30";
            if (DateOrThrow(f.Field(2), f.Field(3), dayText) != day) continue;
            ++count;
            if (count > MaxReportsPerDay) {
                if (hooks.Ask) hooks.Ask->Information(TooManyReportsText);
                continue;
            }
            reports.push_back(ReportFromFields(f, static_cast<ReportKind>(k), day));
        }
    }
    return reports;
}

QStringList ExtractReports(const QString& caseRoot, const QString& sourceFolder,
                           const ExtractionHooks& hooks) {
    auto processEvents = [&] {
        if (hooks.Ask) hooks.Ask->ProcessEvents();
    };
    auto caption = [&](const QString& text) {
        if (hooks.SetCaption) hooks.SetCaption(text);
    };

    QStringList written;
    const QStringList days = ListMatching(caseRoot, QStringLiteral("????-??-??"), MaxCaseFolders);
    int i = 0;
    for (const QString& name : days) {
        ++i;
        processEvents();
        const QString target = caseRoot + name + QStringLiteral("/rpt.dat");
        // A case folder (or its rpt.dat) that is a link out of the disc is not written.
        if (const QString why = ReasonToLeaveAlone(target, caseRoot); !why.isEmpty()) {
            if (hooks.Ask)
                hooks.Ask->Information(QStringLiteral("Skipped %1: %2").arg(target, why));
            continue;
        }
        const DateTime day = CaseDay(name);
        const QStringList files = SourceFilesFor(day);
        QStringList paths;
        for (const QString& file : files)
            paths << sourceFolder + file;
        const std::vector<StormReport> reports = ReportsOfDay(day, paths, hooks, [&](int k) {
            caption(QStringLiteral("[%1/%2] %3").arg(i).arg(k).arg(name));
        });
        WriteReports(target, reports);
        written << name;
        processEvents();
    }
    caption(IdleCaption);
    return written;
}

} // namespace nimbrel
