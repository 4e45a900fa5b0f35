// Importing a folder of archive images by a pattern of their names.
#include <cmath>
#include <map>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>

#include "base/errors.h"
#include "base/mask.h"
#include "base/records.h"
#include "disc/disc_instructor.h"
#include "disc/disc_kit.h"
#include "viewer/decoders.h"
#include "viewer/encoders.h"
#include "viewer/gif_export.h"

namespace nimbrel::disc {
namespace {

const char* Extension(const QString& kind) {
    return kind == QLatin1String("satv") || kind == QLatin1String("h700") ||
                   kind == QLatin1String("h250")
               ? "jpg"
               : "gif";
}

struct Planned {
    QString Source;
    QString Day;
    QString Kind;
    QString Target; ///< frame name
    QByteArray Bytes;
    QSize Size;
};

// The pattern as a regular expression with a named group per field.
QRegularExpression PatternExpression(const QString& pattern) {
    QString rx = QStringLiteral("^");
    QStringList seen;
    auto group = [&](const QString& name, const QString& body) {
        if (seen.contains(name))
            throw DataError(QStringLiteral("The pattern \"%1\" names a field twice").arg(pattern));
        seen << name;
        rx += QStringLiteral("(?<%1>%2)").arg(name, body);
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (pattern.mid(i, 6) == QLatin1String("{kind}")) {
            group(QStringLiteral("kind"), QStringLiteral("[^/]+?"));
            i += 5;
        } else if (pattern.mid(i, 9) == QLatin1String("{station}")) {
            group(QStringLiteral("station"), QStringLiteral("[^/]+?"));
            i += 8;
        } else if (c == QLatin1Char('%') && i + 1 < pattern.size()) {
            const QChar f = pattern[++i];
            static const std::map<char, std::pair<const char*, int>> fields = {
                {'Y', {"Y", 4}}, {'y', {"y", 2}}, {'m', {"m", 2}}, {'d', {"d", 2}},
                {'j', {"j", 3}}, {'H', {"H", 2}}, {'M', {"M", 2}}};
            if (f == QLatin1Char('%')) {
                rx += QStringLiteral("%");
            } else if (const auto it = fields.find(f.toLatin1()); it != fields.end()) {
                group(QLatin1String(it->second.first),
                      QStringLiteral("\\d{%1}").arg(it->second.second));
            } else {
                throw DataError(QStringLiteral("Unknown field %%1 in the pattern").arg(f));
            }
        } else if (c == QLatin1Char('*')) {
            rx += QStringLiteral("[^/]*");
        } else {
            rx += QRegularExpression::escape(QString(c));
        }
    }
    QRegularExpression out(rx + QLatin1Char('$'));
    if (!out.isValid())
        throw DataError(QStringLiteral("The pattern \"%1\" cannot be read").arg(pattern));
    return out;
}

QString DayName(DateTime day) {
    return FormatDateTime(QStringLiteral("yyyy-mm-dd"), day);
}

// The picture's bytes in the kind's format and its size.
std::pair<QByteArray, QSize> Convert(const QString& source, const QString& extension) {
    const QByteArray bytes = ReadWholeFile(source, MaxImageFileBytes);
    try {
        if (extension == QLatin1String("jpg") && bytes.startsWith("\xFF\xD8"))
            return {bytes, DecodeJpeg(bytes).size()};
        if (extension == QLatin1String("gif") && bytes.startsWith("GIF8"))
            return {bytes, DecodeGif(bytes).size()};
    } catch (const FileError&) {
        // Not decodable as it stands: Qt's readers get a try below.
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
    return {extension == QLatin1String("jpg") ? EncodeJpeg(image, 85) : ReducedGif(image),
            image.size()};
}

} // namespace

QByteArray ReducedGif(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < rgb.height() && colours.size() <= 256; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width() && colours.size() <= 256; ++x)
            colours.insert(line[x] | 0xFF000000u);
    }
    if (colours.size() <= 256) return EncodeGif(rgb);
    const IndexedPicture reduced = ReduceColours(rgb);
    QImage indexed(reduced.Width, reduced.Height, QImage::Format_RGB32);
    for (int y = 0; y < reduced.Height; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(indexed.scanLine(y));
        for (int x = 0; x < reduced.Width; ++x)
            line[x] = reduced.Palette[reduced.Indices[std::size_t(y) * std::size_t(reduced.Width) +
                                                      std::size_t(x)]];
    }
    return EncodeGif(indexed); // 256 colours or fewer: kept exactly
}

QString KindFromArchiveName(const QString& name) {
    static const std::map<QString, QString> kinds = {
        {"satv", "satv"},     {"vis", "satv"},   {"visible", "satv"}, {"sat", "satv"},
        {"goes", "satv"},     {"hsfc", "hsfc"},  {"sfc", "hsfc"},     {"surface", "hsfc"},
        {"h850", "h850"},     {"850", "h850"},   {"850mb", "h850"},   {"h700", "h700"},
        {"700", "h700"},      {"700mb", "h700"}, {"h500", "h500"},    {"500", "h500"},
        {"500mb", "h500"},    {"h250", "h250"},  {"250", "h250"},     {"250mb", "h250"},
        {"skew", "skew"},     {"skewt", "skew"}, {"raob", "skew"},    {"sounding", "skew"},
        {"soundings", "skew"}};
    const auto it = kinds.find(name.toLower());
    return it == kinds.end() ? QString() : it->second;
}

QString StationFromArchiveName(const QString& name) {
    // The 20 stations by their current WMO numbers; Denver's upper-air site is also DNR.
    static const std::map<QString, QString> wmo = {
        {"72469", "den"}, {"72365", "abq"}, {"72364", "epz"}, {"72261", "drt"}, {"72251", "crp"},
        {"72265", "maf"}, {"72249", "fwd"}, {"72248", "shv"}, {"72363", "ama"}, {"72357", "oun"},
        {"72340", "lzk"}, {"72451", "ddc"}, {"72440", "sgf"}, {"72456", "top"}, {"72562", "lbf"},
        {"72558", "oax"}, {"72662", "rap"}, {"72659", "abr"}, {"72649", "mpx"}, {"72240", "lch"},
        {"dnr", "den"}};
    QString id = name.toLower();
    if (const auto it = wmo.find(id); it != wmo.end()) return it->second;
    if (id.size() == 4 && id.startsWith(QLatin1Char('k'))) id = id.mid(1);
    static const QStringList known = {"den", "abq", "epz", "elp", "drt", "vct", "crp", "maf",
                                      "sep", "fwd", "ggg", "shv", "ama", "okc", "oun", "lzk",
                                      "ddc", "umn", "sgf", "top", "lbf", "ovn", "oax", "rap",
                                      "abr", "hon", "stc", "mpx", "lch"};
    return known.contains(id) ? id : QString();
}

PatternImport ImportByPattern(const QString& discRoot, const PatternOptions& o) {
    if (o.Pattern.isEmpty()) throw DataError(QStringLiteral("No pattern"));
    if (o.Force && o.SkipExisting)
        throw DataError(QStringLiteral("--force and --skip-existing contradict each other"));
    if (!QFileInfo(o.From).isDir())
        throw FileError(QStringLiteral("No archive folder %1").arg(o.From));
    if (!QFileInfo(discRoot).isDir())
        throw FileError(QStringLiteral("No disc folder \"%1\"").arg(discRoot));
    const QRegularExpression rx = PatternExpression(o.Pattern);
    const bool hasKind = o.Pattern.contains(QLatin1String("{kind}"));
    const bool hasDate =
        o.Pattern.contains(QLatin1String("%Y")) || o.Pattern.contains(QLatin1String("%y"));
    if (!hasKind && KindFromArchiveName(o.Kind).isEmpty())
        throw DataError(QStringLiteral("The pattern has no {kind}: give the kind with --kind"));
    if (!o.Pattern.contains(QLatin1String("%H")))
        throw DataError(QStringLiteral("The pattern has no hour (%H)"));
    if (!hasDate && o.Days.size() != 1)
        throw DataError(
            QStringLiteral("A pattern without a date (%Y or %y) needs exactly one DAY"));
    QStringList days = o.Days;
    if (days.isEmpty()) days = ListMatching(discRoot, QStringLiteral("????-??-??"));
    for (const QString& day : days)
        DayFolder(discRoot, day, false); // refuses a name that is no day, or leads out

    PatternImport out;
    QStringList sources;
    QDirIterator it(o.From, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        sources << it.next();
    sources.sort();
    const QDir from(o.From);
    std::vector<Planned> plan;
    for (const QString& source : sources) {
        const QString relative = from.relativeFilePath(source);
        const QRegularExpressionMatch m = rx.match(relative);
        if (!m.hasMatch()) continue;
        const QString kind =
            KindFromArchiveName(hasKind ? m.captured(QStringLiteral("kind")) : o.Kind);
        if (kind.isEmpty()) {
            out.Lines << QStringLiteral("%1: skipped, no kind is called \"%2\" (see import --help)")
                             .arg(relative, m.captured(QStringLiteral("kind")));
            continue;
        }
        QString station;
        if (kind == QLatin1String("skew")) {
            const QString named = m.captured(QStringLiteral("station")).isEmpty()
                                      ? o.Station
                                      : m.captured(QStringLiteral("station"));
            station = StationFromArchiveName(named);
            if (station.isEmpty()) {
                out.Lines << QStringLiteral("%1: skipped, \"%2\" is none of the 20 sounding "
                                            "stations")
                                 .arg(relative, named);
                continue;
            }
        }
        auto num = [&](const char* field) {
            const QString t = m.captured(QLatin1String(field));
            return t.isEmpty() ? -1 : t.toInt();
        };
        int year = num("Y");
        if (year < 0 && num("y") >= 0) year = num("y") + (num("y") >= 50 ? 1900 : 2000);
        const int hour = num("H"), minute = std::max(0, num("M"));
        if (!IsValidTime(hour, minute, 0)) {
            out.Lines << QStringLiteral("%1: skipped, no time of day").arg(relative);
            continue;
        }
        std::optional<DateTime> date;
        if (year > 0 && num("j") > 0) {
            date = EncodeDate(year, 1, 1) + (num("j") - 1);
            if (DecodeDate(*date).Year != year) date.reset();
        } else if (year > 0) {
            date = TryEncodeDate(year, num("m"), num("d"));
        } else {
            const DateTime day = EncodeDate(days[0].left(4).toInt(), days[0].mid(5, 2).toInt(),
                                            days[0].mid(8, 2).toInt());
            date = day + (hour < 12 ? 1 : 0);
        }
        if (!date) {
            out.Lines << QStringLiteral("%1: skipped, no valid date").arg(relative);
            continue;
        }
        const DateTime valid = *date + EncodeTime(hour, minute, 0);
        // The case day whose window, 1200 UTC to 1200 UTC, holds the valid time.
        const QString day = DayName(std::floor(valid - 0.5 + 1e-9));
        if (!days.contains(day)) {
            out.Lines << QStringLiteral("%1: skipped, %2 UTC is in no case day being filled")
                             .arg(relative,
                                  FormatDateTime(QStringLiteral("yyyy-mm-dd hhnn"), valid));
            continue;
        }
        plan.push_back({source, day, kind, FrameName(kind, valid, station), {}, {}});
    }
    if (plan.empty() && out.Lines.isEmpty())
        throw DataError(
            QStringLiteral("No file under %1 fits the pattern \"%2\"").arg(o.From, o.Pattern));

    // Names: a clash refuses everything; what is there is skipped or refused.
    std::vector<Planned> kept;
    QStringList targets;
    for (Planned& p : plan) {
        const QString where = p.Day + QLatin1Char('/') + p.Target;
        if (targets.contains(where))
            throw DataError(QStringLiteral("%1: a second file for %2").arg(p.Source, where));
        targets << where;
        if (QFileInfo::exists(discRoot + where) || QFileInfo(discRoot + where).isSymLink()) {
            if (o.SkipExisting) {
                out.Lines
                    << QStringLiteral("%1: skipped, %2 is already there").arg(p.Source, where);
                continue;
            }
            if (!o.Force)
                throw DataError(QStringLiteral("%1 is already there (--skip-existing passes over "
                                               "it, --force replaces it)")
                                    .arg(where));
        }
        kept.push_back(std::move(p));
    }
    // Every picture is converted before the first is written.
    for (Planned& p : kept)
        std::tie(p.Bytes, p.Size) = Convert(p.Source, QLatin1String(Extension(p.Kind)));
    // Frames of a kind share one size on a day: the loop is drawn at the first one's.
    if (!o.AnySize) {
        std::map<QString, std::pair<QSize, QString>> sizes; // day/kind -> size, from what
        for (const Planned& p : kept) {
            const QString key = p.Day + QLatin1Char('/') + p.Kind;
            if (!sizes.contains(key)) {
                const QStringList there = ListMatching(discRoot + p.Day + QLatin1Char('/'),
                                                       p.Kind + QStringLiteral("-*"));
                for (const QString& name : there) {
                    const QSize s = QImageReader(discRoot + p.Day + QLatin1Char('/') + name).size();
                    if (s.isValid()) {
                        sizes[key] = {s, p.Day + QLatin1Char('/') + name};
                        break;
                    }
                }
                if (!sizes.contains(key)) sizes[key] = {p.Size, p.Source};
            }
            const auto& [size, what] = sizes[key];
            if (p.Size != size)
                throw DataError(QStringLiteral("%1 is %2 x %3 pixels but %4 is %5 x %6 (--any-size "
                                               "accepts frames of other sizes)")
                                    .arg(p.Source)
                                    .arg(p.Size.width())
                                    .arg(p.Size.height())
                                    .arg(what)
                                    .arg(size.width())
                                    .arg(size.height()));
        }
    }
    for (const Planned& p : kept) {
        try {
            const QString folder = DayFolder(discRoot, p.Day, true);
            const QString target = folder + p.Target;
            WriteFileAtomically(target, p.Bytes);
            try {
                if (QLatin1String(Extension(p.Kind)) == QLatin1String("jpg"))
                    DecodeJpegFile(target);
                else
                    DecodeGifFile(target);
            } catch (const FileError&) {
                QFile::remove(target); // what the program could not show stays off the disc
                throw;
            }
            out.Lines << QStringLiteral("%1 -> %2/%3").arg(p.Source, p.Day, p.Target);
        } catch (const std::exception& e) {
            out.Failure = QString::fromUtf8(e.what());
            out.Lines << QStringLiteral("%1: not written: %2").arg(p.Source, out.Failure);
            break;
        }
    }
    return out;
}

} // namespace nimbrel::disc
