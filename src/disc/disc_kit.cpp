#include "disc/disc_kit.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include "base/errors.h"
#include "base/mask.h"
#include "base/records.h"
#include "cases/catalogue.h"
#include "cases/catalogue_builder.h"
#include "disc/disc_instructor.h"
#include "reports/extraction.h"
#include "reports/report_file.h"
#include "viewer/decoders.h"
#include "viewer/encoders.h"
#include "viewer/stations.h"

namespace nimbrel::disc {
namespace {

bool IsDigits(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

bool IsInside(const QString& path, const QString& root) {
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return !canonicalRoot.isEmpty() && !canonical.isEmpty() &&
           (canonical == canonicalRoot || canonical.startsWith(canonicalRoot + QLatin1Char('/')));
}

// ---- reports ----

// The periods the program's extraction has files for; 1950-1959 is its first row.
// The years the program's extraction has period files for (1950-1959 is its first row).
bool YearCovered(int year) {
    return year >= 1950 && year <= 2008;
}

// A national table as the kit reads it: the rows of valid dates, the rows whose date
// is impossible, and what makes the whole table unreadable.
struct Row {
    int Line = 0;
    SourceFields Fields;
    DateTime Date = 0.0;
};
struct BadDate {
    int Year = 0, Month = 0; ///< the days it could belong to (Month 0: any of the year)
    QString Reason;
};
struct Table {
    std::vector<Row> Rows;
    std::vector<BadDate> BadDates;
    QString Error;
};

std::optional<int> WholeField(const QByteArray& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

bool IsNumberField(const QByteArray& text) {
    bool ok = false;
    text.trimmed().toDouble(&ok);
    return ok;
}

// Reads a table by the extraction's rules (a line with a number for its year is a report;
// June 31st is June 30th) while counting what those rules pass over in silence: a table
// saved with quoted fields or semicolons would otherwise give a day no reports at all.
Table ReadTable(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    Table table;
    TextLineReader reader(path);
    int line = 0, header = 0, firstBad = 0;
    QByteArray firstBadText;
    while (!reader.AtEnd()) {
        const QByteArray text = reader.ReadLine();
        ++line;
        if (text.trimmed().isEmpty()) continue;
        SourceFields f(text);
        if (!IsNumberField(f.Field(2))) {
            if (header == 0 && table.Rows.empty() && table.BadDates.empty())
                header = line;
            else if (firstBad == 0)
                firstBad = line, firstBadText = text;
            continue;
        }
        const auto year = WholeField(f.Field(2)), month = WholeField(f.Field(3));
        auto dayOf = WholeField(f.Field(4));
        if (month == 6 && dayOf == 31) dayOf = 30;
        const std::optional<DateTime> date =
            year && month && dayOf ? TryEncodeDate(*year, *month, *dayOf) : std::nullopt;
        if (!date) {
            table.BadDates.push_back({year.value_or(0),
                                      month && *month >= 1 && *month <= 12 ? *month : 0,
                                      QStringLiteral("%1 line %2: '%3/%4/%5' is not a valid date")
                                          .arg(name)
                                          .arg(line)
                                          .arg(QString::fromLatin1(f.Field(3).trimmed()),
                                               QString::fromLatin1(f.Field(4).trimmed()),
                                               QString::fromLatin1(f.Field(2).trimmed()))});
            continue;
        }
        table.Rows.push_back({line, std::move(f), *date});
    }
    auto shown = [](const QByteArray& text) {
        const QString s = QString::fromLatin1(text.left(60));
        return text.size() > 60 ? s + QStringLiteral("...") : s;
    };
    if (firstBad != 0)
        table.Error = QStringLiteral("%1 line %2 is no report line the kit can read ('%3'): "
                                     "fields must be separated by commas, without quotes")
                          .arg(name)
                          .arg(firstBad)
                          .arg(shown(firstBadText));
    else if (table.Rows.empty() && table.BadDates.empty())
        table.Error = QStringLiteral("%1 holds no report line").arg(name);
    return table;
}

// ---- import ----

struct TimeFields {
    int Year = -1, Month = -1, Day = -1, YearDay = -1, Hour = -1, Minute = 0;
};

// Matches `text` from `t` against `format` from `f`, filling `out`; a '*' tries every
// length, shortest first. Names are short, so the backtracking stays small.
bool MatchFormat(const QString& text, qsizetype t, const QString& format, qsizetype f,
                 TimeFields& out) {
    while (f < format.size()) {
        const QChar c = format[f];
        if (c == QLatin1Char('*')) {
            for (qsizetype from = t; from <= text.size(); ++from) {
                TimeFields trial = out;
                if (MatchFormat(text, from, format, f + 1, trial)) {
                    out = trial;
                    return true;
                }
            }
            return false;
        }
        if (c == QLatin1Char('%') && f + 1 < format.size()) {
            const char conversion = format[f + 1].toLatin1();
            f += 2;
            if (conversion == '%') {
                if (t >= text.size() || text[t] != QLatin1Char('%')) return false;
                ++t;
                continue;
            }
            int* field = nullptr;
            int width = 2;
            switch (conversion) {
            case 'Y':
                field = &out.Year;
                width = 4;
                break;
            case 'y':
                field = &out.Year;
                break;
            case 'm':
                field = &out.Month;
                break;
            case 'd':
                field = &out.Day;
                break;
            case 'j':
                field = &out.YearDay;
                width = 3;
                break;
            case 'H':
                field = &out.Hour;
                break;
            case 'M':
                field = &out.Minute;
                break;
            default:
                throw ConvertError(QStringLiteral("Unknown field %%1 in the time format")
                                       .arg(QLatin1Char(conversion)));
            }
            const QString digits = text.mid(t, width);
            if (digits.size() != width || !IsDigits(digits)) return false;
            *field = digits.toInt();
            if (conversion == 'y') *field += *field >= 50 ? 1900 : 2000;
            t += width;
            continue;
        }
        if (t >= text.size() || text[t] != c) return false;
        ++t;
        ++f;
    }
    return t == text.size();
}

// The format each kind has on the sample disc: JPEG for the satellite, 700 and 250 mb
// charts, GIF for the others and for soundings (the sounding view decodes only GIF).
const char* ExtensionOf(const QString& kind) {
    if (kind == QLatin1String("satv") || kind == QLatin1String("h700") ||
        kind == QLatin1String("h250"))
        return "jpg";
    return "gif";
}

bool IsKind(const QString& kind) {
    static const QStringList kinds = {QStringLiteral("satv"), QStringLiteral("hsfc"),
                                      QStringLiteral("h850"), QStringLiteral("h700"),
                                      QStringLiteral("h500"), QStringLiteral("h250"),
                                      QStringLiteral("skew")};
    return kinds.contains(kind);
}

bool StationKnown(const QString& id) {
    StationTable table;
    FillStationTable(table);
    for (const SoundingStation& s : table)
        for (const QString& part : s.Identifiers.split(QLatin1Char('/')))
            if (part.compare(id, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// Bytes of the picture in the kind's format: the source's own bytes when it already is
// such a file the program decodes, otherwise the picture as Qt reads it, re-encoded.
QByteArray FrameBytes(const QString& source, const QString& extension) {
    QByteArray bytes = ReadWholeFile(source, MaxImageFileBytes);
    // A file already in the kind's format is taken as it is, and only whole: a cut one
    // would show nearly blank. One the decoders cannot read at all goes to Qt's readers.
    const bool jpeg = extension == QLatin1String("jpg") && bytes.startsWith("\xFF\xD8");
    const bool gif = extension == QLatin1String("gif") && bytes.startsWith("GIF8");
    if (jpeg || gif) {
        bool readable = true;
        try {
            jpeg ? DecodeJpeg(bytes) : DecodeGif(bytes);
        } catch (const FileError&) {
            readable = false;
        }
        if (readable) {
            try {
                jpeg ? DecodeJpeg(bytes, Decoding::Strict) : DecodeGif(bytes, Decoding::Strict);
            } catch (const FileError& e) {
                throw DataError(QStringLiteral("%1: %2").arg(source, e.Message()));
            }
            return bytes;
        }
    }
    QImageReader reader(source);
    const QSize size = reader.size();
    if (size.isValid() && !ImageSizeAcceptable(size.width(), size.height()))
        throw DataError(QStringLiteral("%1: a picture of %2 x %3 pixels is too large")
                            .arg(source)
                            .arg(size.width())
                            .arg(size.height()));
    const QImage image = reader.read();
    if (image.isNull())
        throw DataError(QStringLiteral("%1: not a picture (%2)").arg(source, reader.errorString()));
    // A colour-filled chart keeps a palette chosen from its own colours (the loop
    // export's reduction), not a fixed one that bands its shading.
    return extension == QLatin1String("jpg") ? EncodeJpeg(image, 85) : ReducedGif(image);
}

void DecodeBack(const QString& path, const QString& extension) {
    if (extension == QLatin1String("jpg"))
        DecodeJpegFile(path, Decoding::Strict);
    else
        DecodeGifFile(path, Decoding::Strict);
}

} // namespace

// ---- paths and writing ----

bool IsDayName(const QString& name) {
    if (name.size() != 10 || name[4] != QLatin1Char('-') || name[7] != QLatin1Char('-'))
        return false;
    const QString y = name.left(4), m = name.mid(5, 2), d = name.mid(8, 2);
    return IsDigits(y) && IsDigits(m) && IsDigits(d) &&
           IsValidDate(y.toInt(), m.toInt(), d.toInt());
}

QString DayFolder(const QString& discRoot, const QString& day, bool create) {
    if (!IsDayName(day))
        throw DataError(QStringLiteral("\"%1\" is not a case day (yyyy-mm-dd)").arg(day));
    if (!QFileInfo(discRoot).isDir())
        throw FileError(QStringLiteral("No disc folder \"%1\"").arg(discRoot));
    QString folder = discRoot + day + QLatin1Char('/');
    if (create && !QFileInfo(folder).exists() && !QDir().mkdir(folder))
        throw FileError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder));
    if (QFileInfo(folder).exists() && !IsInside(folder, discRoot))
        throw DataError(QStringLiteral("\"%1\" leads out of the disc").arg(folder));
    return folder;
}

void WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    // The saver writes through a link to its target, which may lie outside the disc or
    // be shared by other days (the sample frames): a link is replaced, never followed.
    if (QFileInfo(path).isSymLink() && !QFile::remove(path))
        throw FileError(QStringLiteral("Cannot replace the link \"%1\"").arg(path));
    WriteWholeFile(path, bytes);
}

// ---- reports ----

TableChoice TablesForDay(const QString& tables, DateTime day) {
    const DateParts date = DecodeDate(day);
    QList<QStringList> candidates;
    if (YearCovered(date.Year)) candidates << SourceFilesFor(day);
    const QString year = QString::number(date.Year);
    candidates << QStringList{year + QStringLiteral("_torn.csv"),
                              year + QStringLiteral("_hail.csv"),
                              year + QStringLiteral("_wind.csv")};
    QStringList lookedFor;
    for (const QStringList& files : candidates) {
        TableChoice choice;
        bool any = false;
        for (const QString& file : files) {
            const bool exists = QFileInfo(tables + file).isFile();
            any = any || exists;
            choice.Paths << (exists ? tables + file : QString());
            if (!exists) choice.Warnings << QStringLiteral("no table %1").arg(file);
        }
        lookedFor << files;
        if (any) return choice;
    }
    throw DataError(QStringLiteral("%1: no report table for the day (looked for %2 in %3)")
                        .arg(FormatDateTime(QStringLiteral("yyyy-mm-dd"), day),
                             lookedFor.join(QStringLiteral(", ")), tables));
}

bool OnReportMap(double latitude, double longitude) {
    return latitude >= 15.0 && latitude <= 60.0 && longitude >= -135.0 && longitude <= -55.0;
}

QStringList MakeReports(const QString& discRoot, const QString& tables, QStringList days,
                        bool force, QStringList* errors) {
    if (days.isEmpty()) {
        days = ListMatching(discRoot, QStringLiteral("????-??-??"));
        days.sort();
        if (days.isEmpty()) throw DataError(QStringLiteral("No day folders in %1").arg(discRoot));
    }
    // Every day is settled before the first file is written.
    struct Job {
        QString Folder;
        DateTime Day;
        TableChoice Tables;
    };
    std::vector<Job> jobs;
    for (const QString& day : days) {
        const QString folder = DayFolder(discRoot, day, false);
        if (!QFileInfo(folder).isDir())
            throw FileError(QStringLiteral("%1: no such day folder").arg(day));
        const DateTime date =
            EncodeDate(day.left(4).toInt(), day.mid(5, 2).toInt(), day.mid(8, 2).toInt());
        jobs.push_back({folder, date, TablesForDay(tables, date)});
    }
    // Each table is read once, whatever the number of its days.
    std::map<QString, Table> read;
    for (const Job& job : jobs)
        for (const QString& path : job.Tables.Paths)
            if (!path.isEmpty() && !read.count(path)) read.emplace(path, ReadTable(path));

    QStringList lines, refused;
    for (const Job& job : jobs) {
        const QString day = FormatDateTime(QStringLiteral("yyyy-mm-dd"), job.Day);
        const DateParts date = DecodeDate(job.Day);
        QStringList reasons;
        std::vector<StormReport> reports;
        int dropped = 0, count = 0, offMap = 0;
        QString firstOffMap;
        for (int k = 0; k < 3; ++k) {
            const QString& path = job.Tables.Paths[k];
            if (path.isEmpty()) continue;
            const Table& table = read.at(path);
            if (!table.Error.isEmpty()) {
                reasons << table.Error;
                continue;
            }
            for (const BadDate& bad : table.BadDates)
                if (bad.Year == date.Year && (bad.Month == date.Month || bad.Month == 0))
                    reasons << bad.Reason;
            for (const Row& row : table.Rows) {
                if (row.Date != job.Day) continue;
                if (++count > MaxReportsPerDay) {
                    ++dropped;
                    continue;
                }
                try {
                    reports.push_back(
                        ReportFromFields(row.Fields, static_cast<ReportKind>(k + 1), job.Day));
                } catch (const ConvertError& e) {
                    reasons << QStringLiteral("%1 line %2: %3")
                                   .arg(QFileInfo(path).fileName())
                                   .arg(row.Line)
                                   .arg(e.Message());
                    continue;
                }
                const StormReport& r = reports.back();
                if (r.Start.Latitude != 0.0 && r.Start.Longitude != 0.0 &&
                    !OnReportMap(r.Start.Latitude, r.Start.Longitude) && offMap++ == 0)
                    firstOffMap = QStringLiteral("%1 line %2, %3N %4W")
                                      .arg(QFileInfo(path).fileName())
                                      .arg(row.Line)
                                      .arg(r.Start.Latitude, 0, 'f', 2)
                                      .arg(-r.Start.Longitude, 0, 'f', 2);
            }
        }
        const QString target = job.Folder + QStringLiteral("rpt.dat");
        if (reasons.isEmpty() && reports.empty() && !force && QFileInfo(target).size() > 0)
            reasons << QStringLiteral("the tables give no report for the day, and rpt.dat holds "
                                      "%1 (--force replaces it with an empty file)")
                           .arg(QFileInfo(target).size() / qint64(StormReport::RecordSize));
        if (!reasons.isEmpty()) {
            reasons.removeDuplicates();
            for (const QString& reason : reasons)
                refused << QStringLiteral("%1: %2").arg(day, reason);
            continue;
        }
        QByteArray bytes;
        int counts[4] = {0, 0, 0, 0};
        for (const StormReport& r : reports) {
            bytes += EncodeReport(r);
            if (r.Kind >= 1 && r.Kind <= 3) ++counts[r.Kind];
        }
        WriteFileAtomically(target, bytes);
        lines << QStringLiteral("%1/rpt.dat: %2 tornado, %3 hail, %4 wind")
                     .arg(day)
                     .arg(counts[1])
                     .arg(counts[2])
                     .arg(counts[3]);
        for (const QString& w : job.Tables.Warnings)
            lines << QStringLiteral("warning: %1: %2").arg(day, w);
        if (dropped > 0)
            lines << QStringLiteral("warning: %1: %2 reports beyond %3 left out")
                         .arg(day)
                         .arg(dropped)
                         .arg(MaxReportsPerDay);
        if (offMap > 0)
            lines << QStringLiteral("warning: %1: %2 report(s) placed off the map kept (the "
                                    "program draws them nowhere; first: %3)")
                         .arg(day)
                         .arg(offMap)
                         .arg(firstOffMap);
    }
    if (errors)
        *errors << refused;
    else if (!refused.isEmpty())
        throw DataError(refused.join(QLatin1Char('\n')));
    return lines;
}

// ---- import ----

DateTime ParseTimeWithFormat(const QString& text, const QString& format, DateTime caseDay) {
    auto fail = [&]() -> DateTime {
        throw ConvertError(
            QStringLiteral("\"%1\" does not fit the time format \"%2\"").arg(text, format));
    };
    TimeFields f;
    if (text.size() > 255 || !MatchFormat(text, 0, format, 0, f)) return fail();
    if (f.Hour < 0 || !IsValidTime(f.Hour, f.Minute, 0)) return fail();
    DateTime date = 0.0;
    if (f.Year >= 0 && f.YearDay > 0) {
        date = EncodeDate(f.Year, 1, 1) + (f.YearDay - 1);
        if (DecodeDate(date).Year != f.Year) return fail();
    } else if (f.Year >= 0 && f.Month > 0 && f.Day > 0) {
        if (!IsValidDate(f.Year, f.Month, f.Day)) return fail();
        date = EncodeDate(f.Year, f.Month, f.Day);
    } else if (f.Year < 0 && f.Month < 0 && f.Day < 0 && f.YearDay < 0 && caseDay > 0.0) {
        // No date in the name: the hour places the frame in the case window.
        date = caseDay + (f.Hour < 12 ? 1 : 0);
    } else {
        return fail();
    }
    return date + EncodeTime(f.Hour, f.Minute, 0);
}

QString FrameName(const QString& kind, DateTime valid, const QString& station) {
    QString name = kind + FormatDateTime(QStringLiteral("\"-\"yymmdd\"-\"hhnn"), valid);
    if (kind == QLatin1String("skew")) return name + QLatin1Char('-') + station.toLower() + ".gif";
    return name + QLatin1Char('.') + QLatin1String(ExtensionOf(kind));
}

QStringList ImportFrames(const QString& discRoot, const QString& day, const QStringList& files,
                         const ImportOptions& options) {
    if (!IsKind(options.Kind))
        throw DataError(QStringLiteral("\"%1\" is no chart kind (satv, hsfc, h850, h700, h500, "
                                       "h250 or skew)")
                            .arg(options.Kind));
    const bool sounding = options.Kind == QLatin1String("skew");
    if (sounding && !StationKnown(options.Station))
        throw DataError(QStringLiteral("A sounding needs --station with one of the 20 stations' "
                                       "identifiers (\"%1\" is none)")
                            .arg(options.Station));
    if (!sounding && !options.Station.isEmpty())
        throw DataError(QStringLiteral("--station belongs to soundings (kind skew) only"));
    if (files.isEmpty()) throw DataError(QStringLiteral("No files to import"));
    if (!options.FromMtime && options.TimeFormat.isEmpty())
        throw DataError(QStringLiteral("Give --time FORMAT or --time-from mtime"));
    const DateTime caseDay = IsDayName(day) ? EncodeDate(day.left(4).toInt(), day.mid(5, 2).toInt(),
                                                         day.mid(8, 2).toInt())
                                            : 0.0;
    const QString folder = DayFolder(discRoot, day, false);

    // All names first: a clash or a bad name refuses the whole import.
    QStringList targets;
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (!info.isFile()) throw FileError(QStringLiteral("%1: not a file").arg(file));
        const DateTime valid =
            options.FromMtime
                ? [&] {
                      const QDateTime m = info.lastModified().toUTC();
                      return EncodeDate(m.date().year(), m.date().month(), m.date().day()) +
                             EncodeTime(m.time().hour(), m.time().minute(), 0);
                  }()
                : ParseTimeWithFormat(info.fileName(), options.TimeFormat, caseDay);
        const QString name = FrameName(options.Kind, valid, options.Station);
        if (targets.contains(name))
            throw DataError(QStringLiteral("%1: a second file for %2").arg(file, name));
        if (QFileInfo(folder + name).exists() && !options.Force)
            throw DataError(
                QStringLiteral("%1 is already there (--force replaces it)").arg(day + '/' + name));
        targets << name;
    }
    // Every picture is read and converted before the first is written, so a file that is
    // no picture leaves the day as it was.
    const QString extension = QLatin1String(ExtensionOf(options.Kind));
    std::vector<QByteArray> pictures;
    for (const QString& file : files)
        pictures.push_back(FrameBytes(file, extension));
    if (!QDir().mkpath(folder))
        throw FileError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder));
    QStringList lines;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString target = folder + targets[i];
        WriteFileAtomically(target, pictures[std::size_t(i)]);
        try {
            DecodeBack(target, extension);
        } catch (const FileError&) {
            QFile::remove(target); // what the program could not show stays off the disc
            throw;
        }
        lines << QStringLiteral("%1 -> %2/%3").arg(files[i], day, targets[i]);
    }
    return lines;
}

// ---- catalogue ----

QStringList MakeCatalogue(const QString& discRoot, const QString& listPath,
                          const QString& appData) {
    const QByteArray input = ReadWholeFile(listPath, 64LL * 1024 * 1024);
    const QString listName = QFileInfo(listPath).fileName();
    TextLineReader reader = TextLineReader::FromBytes(input);
    reader.ReadLine(); // the header
    QByteArray catalogue;
    struct Narrative {
        QString Path;
        QString Text; ///< "" removes the file
    };
    std::vector<Narrative> narratives;
    std::map<QString, int> lineOfDay;
    int rows = 0, line = 1;
    auto refuse = [&](const QString& why) {
        throw DataError(QStringLiteral("%1 line %2: %3").arg(listName).arg(line).arg(why));
    };
    while (!reader.AtEnd()) {
        ++line;
        const CaseListRow row = SplitCaseListLine(QString::fromLatin1(reader.ReadLine()));
        if (!IsIncludedRow(row)) continue;
        if (!IsDayName(row[0])) refuse(QStringLiteral("\"%1\" is not a case day").arg(row[0]));
        if (const auto seen = lineOfDay.find(row[0]); seen != lineOfDay.end())
            refuse(QStringLiteral("%1 is listed again (first on line %2); one row per day")
                       .arg(row[0])
                       .arg(seen->second));
        lineOfDay.emplace(row[0], line);
        const QString codes = row[4].trimmed();
        for (const QChar c : codes)
            if (!QStringLiteral("NSTDCFOMUWZH").contains(c))
                refuse(QStringLiteral("'%1' in the codes \"%2\" is no code (N S T; D C F O M U W "
                                      "Z H)")
                           .arg(c)
                           .arg(codes));
        const QString ranking = row[5].trimmed();
        if (!ranking.isEmpty() &&
            (ranking.size() != 1 || ranking[0] < QLatin1Char('0') || ranking[0] > QLatin1Char('5')))
            refuse(QStringLiteral("the ranking \"%1\" is none of 0 to 5").arg(ranking));
        const QString folder = DayFolder(discRoot, row[0], false);
        if (!QFileInfo(folder).isDir())
            refuse(QStringLiteral("no day folder %1 on the disc").arg(row[0]));
        catalogue += EntryFromRow(row).ToBytes();
        ++rows;
        narratives.push_back({folder + QStringLiteral("narr.txt"), row[9]});
        narratives.push_back({folder + QStringLiteral("fcst.txt"), row[10]});
    }
    if (!QFileInfo(appData).isDir() && !QDir().mkpath(appData))
        throw FileError(QStringLiteral("Cannot create the folder \"%1\"").arg(appData));
    // The days' texts first, the catalogue last: a failure on the way (a read-only disc)
    // leaves the earlier catalogue, which still lists every day it listed.
    int written = 0, removed = 0;
    for (const Narrative& n : narratives) {
        if (!n.Text.isEmpty() || n.Path.endsWith(QLatin1String("narr.txt"))) {
            WriteFileAtomically(n.Path, n.Text.toLatin1() + QByteArrayLiteral("\r\n"));
            ++written;
        } else if (QFileInfo::exists(n.Path) || QFileInfo(n.Path).isSymLink()) {
            // An emptied column: the day has no discussion any more. A link goes, never
            // what it leads to.
            if (!QFile::remove(n.Path))
                throw FileError(QStringLiteral("Cannot remove \"%1\"").arg(n.Path));
            ++removed;
        }
    }
    WriteFileAtomically(appData + QStringLiteral("nimbrel.cas"), catalogue);
    QString summary =
        QStringLiteral("nimbrel.cas: %1 entries, %2 narrative files").arg(rows).arg(written);
    if (removed > 0) summary += QStringLiteral(", %1 fcst.txt removed").arg(removed);
    return {summary};
}

} // namespace nimbrel::disc
