#include "disc_soundings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "base/errors.h"
#include "disc/disc_kit.h"
#include "soundings/diagnostics.h"
#include "soundings/skewt.h"
#include "viewer/encoders.h"
#include "viewer/stations.h"

namespace nimbrel::disc {
namespace {

using namespace soundings;

struct Read {
    Sounding S;
    Diagnostics D;
};

std::vector<Read> ReadAll(const QStringList& files) {
    std::vector<Read> out;
    for (const QString& file : files)
        for (Sounding& s : ReadSoundingFile(file)) {
            Diagnostics d = Diagnose(s);
            out.push_back({std::move(s), std::move(d)});
        }
    return out;
}

QString Iso(DateTime t) {
    return FormatDateTime(QStringLiteral("yyyy\"-\"mm\"-\"dd\"T\"hh\":\"nn\":00Z\""), t);
}

QJsonValue Value(double v, int decimals = 0) {
    if (!Has(v)) return QJsonValue::Null;
    const double scale = std::pow(10.0, decimals);
    return std::round(v * scale) / scale;
}

QJsonObject ParcelJson(const Parcel& p) {
    if (!Has(p.StartPressure)) return {};
    return {{QStringLiteral("cape"), Value(p.Cape)},
            {QStringLiteral("cin"), Value(p.Cin)},
            {QStringLiteral("lcl_m"), Value(p.LclHeight)},
            {QStringLiteral("lfc_m"), Value(p.LfcHeight)},
            {QStringLiteral("el_m"), Value(p.ElHeight)},
            {QStringLiteral("li"), Value(p.LiftedIndex, 1)}};
}

QJsonValue WindJson(const Wind& w) {
    if (!Has(w.U)) return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("dir"), Value(w.Direction())},
                       {QStringLiteral("kt"), Value(w.Knots(), 1)}};
}

QJsonValue Knots(const Wind& w) {
    return Has(w.U) ? Value(w.Knots(), 1) : QJsonValue(QJsonValue::Null);
}

QString Text(double v, int decimals, const char* unit) {
    return Has(v) ? QString::number(v, 'f', decimals) + QLatin1Char(' ') + QLatin1String(unit)
                  : QStringLiteral("none");
}

QString ParcelText(const char* name, const Parcel& p) {
    if (!Has(p.StartPressure)) return QStringLiteral("  %1: no parcel").arg(QLatin1String(name));
    return QStringLiteral("  %1 parcel from %2: CAPE %3, CIN %4, LCL %5, LFC %6, EL %7, LI %8")
        .arg(QLatin1String(name), Text(p.StartPressure, 0, "mb"), Text(p.Cape, 0, "J/kg"),
             Text(p.Cin, 0, "J/kg"), Text(p.LclHeight, 0, "m AGL"), Text(p.LfcHeight, 0, "m AGL"),
             Text(p.ElHeight, 0, "m AGL"), Text(p.LiftedIndex, 1, "C"));
}

QString WindText(const Wind& w) {
    return Has(w.U) ? QStringLiteral("%1 deg %2 kt")
                          .arg(w.Direction(), 0, 'f', 0)
                          .arg(w.Knots(), 0, 'f', 1)
                    : QStringLiteral("none");
}

// The row of the station table an archive's station belongs to, and the identifier of
// that row it matched (either of "OKC/OUN").
bool FindStation(const QString& archiveName, QString& identifier) {
    const QString letters = StationLetters(archiveName);
    StationTable table;
    FillStationTable(table);
    for (const SoundingStation& row : table)
        for (const QString& id : row.Identifiers.split(QLatin1Char('/')))
            if (id.compare(letters, Qt::CaseInsensitive) == 0) {
                identifier = id;
                return true;
            }
    return false;
}

QStringList OtherIdentifiers(const QString& identifier) {
    StationTable table;
    FillStationTable(table);
    for (const SoundingStation& row : table) {
        QStringList ids = row.Identifiers.split(QLatin1Char('/'));
        if (ids.contains(identifier)) {
            ids.removeAll(identifier);
            return ids;
        }
    }
    return {};
}

} // namespace

QStringList SoundingInfoText(const QStringList& files) {
    QStringList lines;
    for (const Read& r : ReadAll(files)) {
        const Diagnostics& d = r.D;
        lines << QStringLiteral("%1 %2 (%3, %4 levels)")
                     .arg(r.S.Station, Iso(r.S.Launch), r.S.Source)
                     .arg(r.S.Levels.size());
        lines << ParcelText("surface-based", d.SurfaceBased)
              << ParcelText("mixed-layer (100 mb)", d.MixedLayer)
              << ParcelText("most unstable (lowest 300 mb)", d.MostUnstable);
        lines << QStringLiteral(
                     "  precipitable water %1, 700-500 mb lapse rate %2, freezing level %3")
                     .arg(Text(d.PrecipitableWater, 1, "mm"), Text(d.LapseRate700500, 1, "C/km"),
                          Text(d.FreezingLevel, 0, "m AGL"));
        lines << QStringLiteral("  bulk shear 0-1 km %1, 0-6 km %2")
                     .arg(Text(Has(d.Shear01.U) ? d.Shear01.Knots() : Missing, 0, "kt"),
                          Text(Has(d.Shear06.U) ? d.Shear06.Knots() : Missing, 0, "kt"));
        lines << QStringLiteral("  Bunkers right mover %1, left mover %2")
                     .arg(WindText(d.BunkersRight), WindText(d.BunkersLeft));
        lines << QStringLiteral("  storm-relative helicity 0-1 km %1, 0-3 km %2")
                     .arg(Text(d.Srh01, 0, "m2/s2"), Text(d.Srh03, 0, "m2/s2"));
    }
    return lines;
}

QByteArray SoundingInfoJson(const QStringList& files) {
    QJsonArray all;
    for (const Read& r : ReadAll(files)) {
        const Diagnostics& d = r.D;
        all.append(QJsonObject{
            {QStringLiteral("station"), r.S.Station},
            {QStringLiteral("time"), Iso(r.S.Launch)},
            {QStringLiteral("file"), r.S.Source},
            {QStringLiteral("sb"), ParcelJson(d.SurfaceBased)},
            {QStringLiteral("ml"), ParcelJson(d.MixedLayer)},
            {QStringLiteral("mu"), ParcelJson(d.MostUnstable)},
            {QStringLiteral("pw_mm"), Value(d.PrecipitableWater, 1)},
            {QStringLiteral("lapse_700_500"), Value(d.LapseRate700500, 1)},
            {QStringLiteral("freezing_level_m"), Value(d.FreezingLevel)},
            {QStringLiteral("shear_0_1_kt"), Knots(d.Shear01)},
            {QStringLiteral("shear_0_6_kt"), Knots(d.Shear06)},
            {QStringLiteral("bunkers_right"), WindJson(d.BunkersRight)},
            {QStringLiteral("bunkers_left"), WindJson(d.BunkersLeft)},
            {QStringLiteral("srh_0_1"), Value(d.Srh01)},
            {QStringLiteral("srh_0_3"), Value(d.Srh03)},
        });
    }
    return QJsonDocument(all).toJson(QJsonDocument::Indented);
}

QStringList WriteSoundingFrames(const QString& discRoot, const QString& day,
                                const QStringList& files) {
    const QString folder = DayFolder(discRoot, day, true);
    const DateTime date =
        EncodeDate(day.left(4).toInt(), day.mid(5, 2).toInt(), day.mid(8, 2).toInt());
    // The evening's 0000 UTC sounding of the day itself is what a forecaster has at the
    // start, so the day's soundings run from 0000 UTC to the case's last hour.
    const DateTime first = date, last = date + 1.0 + 11 * OneHour;
    QStringList lines;
    // An IGRA station file holds decades of soundings: only the day's are diagnosed and
    // drawn, and beyond a few the others of a file are counted rather than listed.
    constexpr int ListedPerFile = 10;
    for (const QString& file : files) {
        int skipped = 0;
        for (const Sounding& s : ReadSoundingFile(file)) {
            auto skip = [&](const QString& why) {
                if (++skipped <= ListedPerFile)
                    lines << QStringLiteral("skipped %1 %2 (%3): %4")
                                 .arg(s.Station, Iso(s.Launch), s.Source, why);
            };
            QString id;
            if (!FindStation(s.Station, id)) {
                skip(QStringLiteral("not a station of the table"));
                continue;
            }
            if (s.Launch < first - OneMinute / 2 || s.Launch > last + OneMinute / 2) {
                skip(QStringLiteral("outside %1 0000 UTC to the case's last hour").arg(day));
                continue;
            }
            const QString what =
                QStringLiteral("%1 %2 (%3)").arg(s.Station, Iso(s.Launch), s.Source);
            const Read r{s, Diagnose(s)};
            const QString time = FormatDateTime(QStringLiteral("yymmdd\"-\"hhnn"), r.S.Launch);
            const QString name = QStringLiteral("skew-%1-%2.gif").arg(time, id.toLower());
            WriteFileAtomically(folder + name, EncodeGif(DrawSoundingFrame(r.S, r.D, id)));
            lines << QStringLiteral("%1/%2: %3").arg(day, name, what);
            // The picker shows a row's frames under its first identifier, or when there are
            // none under its second: all of the day's frames of the row go under one.
            for (const QString& other : OtherIdentifiers(id)) {
                const QStringList others =
                    QDir(folder).entryList({QStringLiteral("skew-??????-????-") + other.toLower() +
                                            QStringLiteral(".gif")},
                                           QDir::Files | QDir::System);
                for (const QString& old : others) {
                    const QString target = old.left(17) + id.toLower() + QStringLiteral(".gif");
                    const bool replaced = QFileInfo::exists(folder + target);
                    if (replaced ? !QFile::remove(folder + old)
                                 : !QFile::rename(folder + old, folder + target))
                        throw FileError(QStringLiteral("Cannot move \"%1\" to \"%2\"")
                                            .arg(folder + old, target));
                    lines << QStringLiteral("%1/%2: %3")
                                 .arg(day, old,
                                      replaced ? QStringLiteral("removed, replaced by ") + target
                                               : QStringLiteral("renamed to ") + target);
                }
            }
        }
        if (skipped > ListedPerFile)
            lines << QStringLiteral("skipped %1 more soundings of %2")
                         .arg(skipped - ListedPerFile)
                         .arg(file);
    }
    return lines;
}

} // namespace nimbrel::disc
