// `nimbrel-disc check`: looks at a case disc the way the program will read it.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSize>

#include "base/errors.h"
#include "base/mask.h"
#include "base/records.h"
#include "cases/catalogue.h"
#include "disc/disc_kit.h"
#include "reports/report_file.h"
#include "viewer/decoders.h"
#include "viewer/frames.h"
#include "viewer/stations.h"

namespace nimbrel::disc {
namespace {

const char* const KindPrefixes[ChartKinds] = {"satv", "hsfc", "h850", "h700", "h500", "h250"};

// Hours a kind is expected at, as offsets into the case window: satellite and surface
// every hour, the upper-air charts at the two synoptic times (1200 and 0000 UTC).
bool Expected(int kindIndex, int hour) {
    return kindIndex < 2 || hour == 0 || hour == 12;
}

bool OnMap(const GeoPoint& p) {
    return OnReportMap(p.Latitude, p.Longitude);
}

// Decodes a file once per distinct file: the sample disc links every day's frames to
// one shared set, and a frame that decodes once decodes every time. Decoding is strict:
// a frame cut short shows nearly blank in the program, and is bad here.
class DecodeCache {
public:
    struct Result {
        QString Reason; ///< "" when the file decodes whole as the program would decode it
        QSize Size;     ///< the picture's size when it decodes
    };
    Result Check(const QString& path, const QString& name, int& decoded) {
        const QFileInfo info(path);
        const QString key = info.canonicalFilePath() + QLatin1Char('|') +
                            QString::number(info.size()) + QLatin1Char('|') +
                            QString::number(info.lastModified().toMSecsSinceEpoch());
        auto found = results_.find(key);
        if (found != results_.end()) return found->second;
        Result result;
        if (!info.isFile()) {
            result.Reason = QStringLiteral("not a regular file");
        } else if (info.size() > MaxImageFileBytes) {
            result.Reason = QStringLiteral("larger than any frame");
        } else {
            try {
                // The viewer picks the decoder by the name, and may run both.
                bool any = false;
                if (name.contains(QStringLiteral("jpg"))) {
                    result.Size = DecodeJpegFile(path, Decoding::Strict).size();
                    any = true;
                }
                if (name.contains(QStringLiteral("gif"))) {
                    result.Size = DecodeGifFile(path, Decoding::Strict).size();
                    any = true;
                }
                if (!any) result.Reason = QStringLiteral("neither jpg nor gif in the name");
                ++decoded;
            } catch (const FileError& e) {
                result.Reason = e.Message();
                result.Size = QSize();
            }
        }
        results_.emplace(key, result);
        return result;
    }

private:
    std::map<QString, Result> results_;
};

// Frames of one kind are drawn in one place of the window: a frame of another size than
// most of its kind's jumps or is cut off in the loop.
void WarnOddSizes(const QString& prefix, const std::vector<std::pair<QString, QSize>>& sizes,
                  QStringList& warnings) {
    std::map<std::pair<int, int>, int> counts;
    for (const auto& [name, size] : sizes)
        ++counts[{size.width(), size.height()}];
    if (counts.size() < 2) return;
    const auto usual = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                           return a.second < b.second;
                       })->first;
    for (const auto& [name, size] : sizes)
        if (std::pair(size.width(), size.height()) != usual)
            warnings << QStringLiteral("%1 is %2 x %3 pixels where the other %4 frames are %5 x %6")
                            .arg(name)
                            .arg(size.width())
                            .arg(size.height())
                            .arg(prefix)
                            .arg(usual.first)
                            .arg(usual.second);
}

DateTime DayStart(const QString& day) {
    return EncodeDate(day.left(4).toInt(), day.mid(5, 2).toInt(), day.mid(8, 2).toInt());
}

// Offset of a valid time in the case window, in whole hours; -1 outside it.
int WindowHour(DateTime valid, DateTime caseStart) {
    const double hours = (valid - caseStart) * 24.0;
    const int hour = static_cast<int>(std::floor(hours + 1e-6));
    return hour >= 0 && hour < WindowHours ? hour : -1;
}

void CheckFrames(const QString& folder, DayCheck& day, DecodeCache& cache, int& decoded) {
    const DateTime caseStart = DayStart(day.Day) + 0.5;
    for (int k = 0; k < ChartKinds; ++k) {
        KindCheck& kind = day.Kinds[std::size_t(k)];
        kind.Prefix = QString::fromLatin1(KindPrefixes[k]);
        for (int h = 0; h < WindowHours; ++h)
            kind.Hours[std::size_t(h)] = Expected(k, h) ? Cell::Missing : Cell::Absent;
        QStringList names = ListMatching(folder, kind.Prefix + QStringLiteral("-??????-????*"));
        names.sort();
        kind.Frames = int(names.size());
        int outside = 0;
        std::vector<std::pair<QString, QSize>> sizes;
        for (const QString& name : names) {
            DateTime valid = 0.0;
            try {
                valid = FrameValidTime(name);
            } catch (const ConvertError&) {
                day.Bad << QStringLiteral("%1: the name carries no valid time").arg(name);
                continue;
            }
            const DecodeCache::Result result = cache.Check(folder + name, name, decoded);
            const QString& reason = result.Reason;
            if (reason.isEmpty()) sizes.emplace_back(name, result.Size);
            const int hour = WindowHour(valid, caseStart);
            if (!reason.isEmpty()) day.Bad << QStringLiteral("%1: %2").arg(name, reason);
            if (hour < 0) {
                ++outside;
                continue;
            }
            Cell& cell = kind.Hours[std::size_t(hour)];
            if (!reason.isEmpty())
                cell = Cell::Bad;
            else if (cell != Cell::Bad)
                cell = Cell::Present;
        }
        if (names.isEmpty()) day.Warnings << QStringLiteral("no %1 frames").arg(kind.Prefix);
        WarnOddSizes(kind.Prefix, sizes, day.Warnings);
        if (outside > 0)
            day.Warnings << QStringLiteral("%1 %2 frame(s) outside the case window")
                                .arg(outside)
                                .arg(kind.Prefix);
    }
}

void CheckSoundings(const QString& folder, DayCheck& day, DecodeCache& cache, int& decoded) {
    const DateTime caseStart = DayStart(day.Day) + 0.5;
    QStringList names = ListMatching(folder, QStringLiteral("skew-??????-????-*"));
    std::set<QString> checked;
    for (const QString& name : names) {
        try {
            FrameValidTime(name);
        } catch (const ConvertError&) {
            day.Bad << QStringLiteral("%1: the name carries no valid time").arg(name);
            continue;
        }
        const QString reason = cache.Check(folder + name, name, decoded).Reason;
        if (!reason.isEmpty()) day.Bad << QStringLiteral("%1: %2").arg(name, reason);
        if (reason.isEmpty()) checked.insert(name);
    }
    StationTable stations;
    FillStationTable(stations);
    for (int s = 0; s < Stations; ++s) {
        for (int t = 0; t < 2; ++t) {
            // As the picker finds them at that hour: the first identifier's soundings,
            // or the second's when the first has none up to the clock.
            const DateTime clock = caseStart + t * 0.5;
            QStringList list;
            for (const QString& mask : SoundingMasks(stations[std::size_t(s)].Identifiers)) {
                list = BuildFrameList(folder, mask, clock);
                if (!list.isEmpty()) break;
            }
            const QString hourKey = ClockTimeKey(clock).left(9); // yymmdd-hh
            Cell cell = Cell::Missing;
            for (const QString& name : list)
                if (name.mid(5, 9) == hourKey)
                    cell = checked.count(name) ? Cell::Present : Cell::Bad;
            day.Soundings[std::size_t(s)][std::size_t(t)] = cell;
        }
    }
    if (names.isEmpty()) day.Warnings << QStringLiteral("no soundings");
}

void CheckReportFile(const QString& folder, DayCheck& day) {
    const QString path = folder + QStringLiteral("rpt.dat");
    if (!QFileInfo::exists(path)) {
        day.Warnings << QStringLiteral("no rpt.dat: the day shows no storm reports");
        return;
    }
    QByteArray bytes;
    try {
        bytes = ReadWholeFile(path, qint64(StormReport::RecordSize) * 100000);
    } catch (const FileError& e) {
        day.Bad << QStringLiteral("rpt.dat: %1").arg(e.Message());
        return;
    }
    const qsizetype size = qsizetype(StormReport::RecordSize);
    day.Reports = int(bytes.size() / size);
    if (bytes.size() % size != 0)
        day.Bad << QStringLiteral("rpt.dat: %1 bytes is not a whole number of %2-byte records")
                       .arg(bytes.size())
                       .arg(size);
    // A disc's reports are dated by the case window (1200 UTC of the day to 1200 UTC of
    // the next) or by the tables' calendar day (0600 UTC to 0600 UTC): either is whole.
    const DateTime from = DayStart(day.Day) + 0.25, to = DayStart(day.Day) + 1.5;
    int wrongTime = 0, offMap = 0, wrongKind = 0, unplaced = 0;
    for (int i = 0; i < day.Reports; ++i) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData() + i * size);
        const StormReport r = DecodeReport(RecordView(std::span(data, StormReport::RecordSize)));
        if (r.Kind < 1 || r.Kind > 3) ++wrongKind;
        if (!(r.Time >= from - 1e-6 && r.Time < to + 1e-6)) ++wrongTime;
        // The national tables write 0 for a position nobody recorded: such a report is
        // drawn nowhere near the map, which is a gap in the record, not a broken file.
        if (r.Start.Latitude == 0.0 || r.Start.Longitude == 0.0)
            ++unplaced;
        else if (!OnMap(r.Start) || (r.End.Latitude != 0.0 && !OnMap(r.End)))
            ++offMap;
    }
    if (wrongKind)
        day.Bad << QStringLiteral("rpt.dat: %1 record(s) of no known kind").arg(wrongKind);
    if (wrongTime)
        day.Bad << QStringLiteral("rpt.dat: %1 record(s) timed outside the day").arg(wrongTime);
    if (unplaced)
        day.Warnings << QStringLiteral("rpt.dat: %1 record(s) without a position").arg(unplaced);
    // The national tables hold Hawaii, Alaska and Puerto Rico too: such a report is true,
    // only drawn nowhere on a case's map.
    if (offMap)
        day.Warnings
            << QStringLiteral("rpt.dat: %1 record(s) placed off the map (not drawn)").arg(offMap);
}

QString CellRow(const auto& cells) {
    QString row;
    for (Cell c : cells)
        row += QLatin1Char(static_cast<char>(c));
    return row;
}

} // namespace

int DayCheck::MissingFrames() const {
    int n = 0;
    for (const KindCheck& k : Kinds)
        n += int(std::count(k.Hours.begin(), k.Hours.end(), Cell::Missing));
    for (const auto& s : Soundings)
        n += int(std::count(s.begin(), s.end(), Cell::Missing));
    return n;
}

int DiscCheck::BadCount() const {
    qsizetype n = Bad.size();
    for (const DayCheck& d : Days)
        n += d.Bad.size();
    return int(n);
}

int DiscCheck::WarningCount() const {
    qsizetype n = Warnings.size();
    for (const DayCheck& d : Days)
        n += d.Warnings.size();
    return int(n);
}

bool DiscCheck::Passes(bool strict) const {
    if (BadCount() > 0) return false;
    if (!strict) return true;
    if (WarningCount() > 0) return false;
    return std::all_of(Days.begin(), Days.end(),
                       [](const DayCheck& d) { return d.MissingFrames() == 0; });
}

DiscCheck CheckDisc(const QString& discRoot, const QString& catalogue) {
    DiscCheck check;
    check.Catalogue = catalogue;
    if (!QFileInfo(discRoot).isDir()) {
        check.Bad << QStringLiteral("no disc folder %1").arg(discRoot);
        return check;
    }
    std::map<QString, DayCheck> days;
    const CatalogueRead read = ReadCaseCatalogue(catalogue);
    if (!read.Ok())
        check.Bad << (QFileInfo::exists(catalogue)
                          ? QStringLiteral("catalogue %1: %2")
                                .arg(catalogue, QString(read.Error)
                                                    .replace(QLatin1Char('\n'), QLatin1Char(' ')))
                          : QStringLiteral("no catalogue %1").arg(catalogue));
    for (const CaseEntry& e : read.Entries) {
        if (!IsDayName(e.CaseDate)) {
            check.Bad << QStringLiteral("catalogue entry \"%1\" is not a case day").arg(e.CaseDate);
            continue;
        }
        DayCheck& d = days[e.CaseDate];
        d.Day = e.CaseDate;
        d.InCatalogue = true;
    }
    for (const QString& name : ListMatching(discRoot, QStringLiteral("????-??-??"))) {
        if (!IsDayName(name)) {
            check.Warnings << QStringLiteral("folder %1 is named like a day but is none").arg(name);
            continue;
        }
        if (!QFileInfo(discRoot + name).isDir()) continue;
        DayCheck& d = days[name];
        d.Day = name;
        d.HasFolder = true;
    }
    DecodeCache cache;
    for (auto& [name, day] : days) {
        if (!day.HasFolder) {
            day.Bad << QStringLiteral("catalogue entry without a day folder");
        } else {
            if (!day.InCatalogue)
                day.Warnings << QStringLiteral("day folder without a catalogue entry");
            const QString folder = discRoot + name + QLatin1Char('/');
            CheckFrames(folder, day, cache, check.FramesDecoded);
            CheckSoundings(folder, day, cache, check.FramesDecoded);
            CheckReportFile(folder, day);
            day.HasNarrative = QFileInfo(folder + QStringLiteral("narr.txt")).isFile();
            day.HasForecast = QFileInfo(folder + QStringLiteral("fcst.txt")).isFile();
            if (!day.HasNarrative) day.Warnings << QStringLiteral("no narr.txt");
        }
        check.Days.push_back(day);
    }
    return check;
}

QString CheckText(const DiscCheck& check, bool strict) {
    QString out;
    for (const QString& b : check.Bad)
        out += QStringLiteral("BAD  %1\n").arg(b);
    for (const QString& w : check.Warnings)
        out += QStringLiteral("warn %1\n").arg(w);
    int missing = 0;
    for (const DayCheck& d : check.Days) {
        out += QStringLiteral("\n%1%2%3\n")
                   .arg(d.Day, d.InCatalogue ? QString() : QStringLiteral("  (no catalogue entry)"),
                        d.HasFolder ? QString() : QStringLiteral("  (no folder)"));
        if (d.HasFolder) {
            // Cells start in column 9: hour 0 is 1200 UTC, 12 is 0000, 23 is 1100.
            out += QStringLiteral("   UTC   1200        0000       1100\n");
            out += QStringLiteral("         |           |          |\n");
            for (const KindCheck& k : d.Kinds)
                out += QStringLiteral("  %1 %2  %3\n")
                           .arg(k.Prefix, -6)
                           .arg(CellRow(k.Hours))
                           .arg(k.Frames);
            QString first, second;
            for (const auto& s : d.Soundings) {
                first += QLatin1Char(static_cast<char>(s[0]));
                second += QLatin1Char(static_cast<char>(s[1]));
            }
            out += QStringLiteral("  skew 1200 %1   0000 %2  (20 stations)\n").arg(first, second);
            out += QStringLiteral("  rpt.dat %1, narr.txt %2, fcst.txt %3\n")
                       .arg(d.Reports < 0 ? QStringLiteral("missing")
                                          : QStringLiteral("%1 reports").arg(d.Reports),
                            d.HasNarrative ? QStringLiteral("yes") : QStringLiteral("no"),
                            d.HasForecast ? QStringLiteral("yes") : QStringLiteral("no"));
        }
        for (const QString& b : d.Bad)
            out += QStringLiteral("  BAD  %1\n").arg(b);
        for (const QString& w : d.Warnings)
            out += QStringLiteral("  warn %1\n").arg(w);
        missing += d.MissingFrames();
    }
    out += QStringLiteral("\n(+ frame, . missing, x bad, blank not expected)\n");
    out += QStringLiteral("%1: %2 days, %3 bad, %4 missing frames, %5 warnings, %6 files decoded\n")
               .arg(check.Passes(strict) ? QStringLiteral("PASS") : QStringLiteral("FAIL"))
               .arg(check.Days.size())
               .arg(check.BadCount())
               .arg(missing)
               .arg(check.WarningCount())
               .arg(check.FramesDecoded);
    return out;
}

QByteArray CheckJson(const DiscCheck& check, bool strict) {
    QJsonArray days;
    for (const DayCheck& d : check.Days) {
        QJsonObject kinds;
        for (const KindCheck& k : d.Kinds)
            kinds.insert(k.Prefix, CellRow(k.Hours));
        QString first, second;
        for (const auto& s : d.Soundings) {
            first += QLatin1Char(static_cast<char>(s[0]));
            second += QLatin1Char(static_cast<char>(s[1]));
        }
        days.append(
            QJsonObject{{QStringLiteral("day"), d.Day},
                        {QStringLiteral("folder"), d.HasFolder},
                        {QStringLiteral("catalogue"), d.InCatalogue},
                        {QStringLiteral("kinds"), kinds},
                        {QStringLiteral("soundings1200"), first},
                        {QStringLiteral("soundings0000"), second},
                        {QStringLiteral("reports"), d.Reports},
                        {QStringLiteral("narr"), d.HasNarrative},
                        {QStringLiteral("fcst"), d.HasForecast},
                        {QStringLiteral("missing"), d.MissingFrames()},
                        {QStringLiteral("bad"), QJsonArray::fromStringList(d.Bad)},
                        {QStringLiteral("warnings"), QJsonArray::fromStringList(d.Warnings)}});
    }
    const QJsonObject root{{QStringLiteral("pass"), check.Passes(strict)},
                           {QStringLiteral("catalogue"), check.Catalogue},
                           {QStringLiteral("bad"), QJsonArray::fromStringList(check.Bad)},
                           {QStringLiteral("warnings"), QJsonArray::fromStringList(check.Warnings)},
                           {QStringLiteral("days"), days},
                           {QStringLiteral("filesDecoded"), check.FramesDecoded}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace nimbrel::disc
