#include "disc/disc_charts.h"

#include <optional>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include "app/folders.h"
#include "base/errors.h"
#include "disc/disc_kit.h"
#include "grids/charts.h"
#include "viewer/encoders.h"

namespace nimbrel::disc {

const char* const ChartsHelp =
    R"(usage: nimbrel-disc charts DISC DAY FILE... [--source NAME] [--time FORMAT]
                             [--appdata DIR] [--force] [--json]

Draws the analysed charts of the case day DAY (yyyy-mm-dd) from gridded analyses into
DISC/DAY: GRIB1, GRIB2 or NetCDF files as the archives give them (ERA5, the North
American Regional Reanalysis, the NCEP/NCAR reanalysis, GFS, NAM, RAP), one file for
the whole day or one per time. For each valid time of the case window, 1200 UTC of DAY
to 1100 UTC of the next day, it writes:
  hsfc-yymmdd-hhnn.gif  sea-level isobars every 4 mb with highs and lows, 2 m dew
                        point shaded from 50 F, 10 m wind barbs (every time present)
  h850-...gif           heights every 30 m, isotherms every 2 C, dew point >= 8 C
  h700-...gif           heights every 30 m, isotherms, relative humidity >= 70 %
  h500-...gif           heights every 60 m, isotherms, absolute vorticity (from the
                        file, or worked out from the winds)
  h250-...gif           heights every 120 m, isotachs from 70 kt
                        (upper-air charts at 1200 and 0000 UTC, as the disc plays them)
  satv-yymmdd-hhnn.jpg  an enhanced infrared picture from a GridSat-B1 file
                        (variable irwin_cdr); the satellite view then shows infrared,
                        not visible, imagery
All charts share one Lambert conformal projection of the contiguous States with the
state outlines of nimbrel.gis (from DIR, default the per-user data folder, else the
installed data).

A file whose fields carry no time (some single-time extracts) takes it from its name
with --time FORMAT, as in the import command ("era5_%Y-%m-%dT%H.nc").

Chart titles read "500 MB ANALYSIS  VALID 1200 UTC 26 Oct 2010  SOURCE" (the surface
chart "SURFACE ANALYSIS ..."); SOURCE is NAME, else what the files say of themselves
(ERA5, GridSat-B1), else the first file's name.

Variables are recognised by ERA5 short names (z t u v r q msl 2d 10u 10v, and the NetCDF
names d2m u10 v10), NCEP names (HGT TMP UGRD VGRD RH SPFH ABSV PRMSL DPT) and CF standard
names. The output names what was used from each file, and every chart or layer it could
not draw and why: a missing field leaves its layer out, a missing height or sea-level
pressure leaves that chart out. When no time of the window is in the files nothing is
written. Everything is drawn before the first file is written; frames already there
are refused unless --force.
)";

namespace {

using namespace nimbrel::grids;

DateTime ToDateTime(qint64 unix) {
    const QDateTime t = QDateTime::fromSecsSinceEpoch(unix, Qt::UTC);
    return EncodeDate(t.date().year(), t.date().month(), t.date().day()) +
           EncodeTime(t.time().hour(), t.time().minute(), 0);
}

QString OutlineFile(const QString& appData) {
    QStringList tried;
    if (!appData.isEmpty()) tried << appData + QStringLiteral("nimbrel.gis");
    const QString installed = InstalledDataFolder(QCoreApplication::applicationDirPath());
    if (!installed.isEmpty()) tried << installed + QStringLiteral("appdata/nimbrel.gis");
    for (const QString& path : tried)
        if (QFileInfo(path).isFile()) return path;
    throw DataError(QStringLiteral("The states' outlines (nimbrel.gis) are in none of: %1")
                        .arg(tried.join(QStringLiteral(", "))));
}

struct Planned {
    QString Name;
    QByteArray Bytes;
    qint64 Valid = 0;
    std::optional<ChartKind> Kind; ///< none for the infrared picture
};

} // namespace

QStringList MakeCharts(const QString& discRoot, const QString& day, const QStringList& files,
                       const ChartsOptions& options) {
    if (!IsDayName(day)) throw DataError(QStringLiteral("\"%1\" is no day (yyyy-mm-dd)").arg(day));
    if (files.isEmpty()) throw DataError(QStringLiteral("No grid files given"));
    const QString folder = DayFolder(discRoot, day, false);
    const qint64 start =
        QDateTime(QDate::fromString(day, QStringLiteral("yyyy-MM-dd")), QTime(12, 0), Qt::UTC)
            .toSecsSinceEpoch();
    const qint64 end = start + qint64(23) * 3600;

    std::map<QString, qint64> fileTimes;
    if (!options.TimeFormat.isEmpty()) {
        const DateTime caseDay =
            EncodeDate(day.left(4).toInt(), day.mid(5, 2).toInt(), day.mid(8, 2).toInt());
        for (const QString& file : files) {
            const DateTime t =
                ParseTimeWithFormat(QFileInfo(file).fileName(), options.TimeFormat, caseDay);
            const DateParts d = DecodeDate(t);
            const TimeParts h = DecodeTime(t);
            fileTimes[file] =
                QDateTime(QDate(d.Year, d.Month, d.Day), QTime(h.Hour, h.Minute), Qt::UTC)
                    .toSecsSinceEpoch();
        }
    }
    GridFiles grids(files, fileTimes);
    if (!options.Source.trimmed().isEmpty())
        grids.SetSourceLabel(options.Source.trimmed().toUpper().left(40));
    std::vector<qint64> times;
    for (qint64 t : grids.ValidTimes())
        if (t >= start && t <= end) times.push_back(t);
    if (times.empty()) {
        const auto all = grids.ValidTimes();
        auto text = [](qint64 t) {
            return QDateTime::fromSecsSinceEpoch(t, Qt::UTC)
                .toString(QStringLiteral("yyyy-MM-dd hh:mm"));
        };
        throw DataError(QStringLiteral("No time of the case window (%1 to %2 UTC) is in the files "
                                       "(they hold %3 to %4 UTC); nothing written")
                            .arg(text(start), text(end), text(all.front()), text(all.back())));
    }
    const Geography geography = Geography::FromOutlineFile(OutlineFile(options.AppData));

    QStringList lines;
    for (const QString& u : grids.Used())
        lines << QStringLiteral("used %1").arg(u);
    // The frames to make are settled first (names, clashes with frames already there),
    // then every one is drawn and encoded in memory: a failure part-way leaves the day
    // as it was.
    std::vector<Planned> planned;
    for (const qint64 t : times) {
        const DateTime valid = ToDateTime(t);
        const QString hhnn =
            QDateTime::fromSecsSinceEpoch(t, Qt::UTC).toString(QStringLiteral("hhmm"));
        const bool satellite = grids.Find(t, Quantity::Brightness, 0) != nullptr;
        if (satellite)
            planned.push_back({FrameName(QStringLiteral("satv"), valid, {}), {}, t, std::nullopt});
        const int hour = QDateTime::fromSecsSinceEpoch(t, Qt::UTC).time().hour();
        const bool upperAirTime = t % 3600 == 0 && (hour == 0 || hour == 12);
        for (const ChartKind kind : {ChartKind::Surface, ChartKind::Mb850, ChartKind::Mb700,
                                     ChartKind::Mb500, ChartKind::Mb250}) {
            if (kind != ChartKind::Surface && !upperAirTime) continue;
            const QString missing = MissingMainField(grids, t, kind);
            if (!missing.isEmpty()) {
                // A file of satellite pictures only says nothing about charts.
                if (!satellite)
                    lines << QStringLiteral("not drawn %1 %2 UTC: %3")
                                 .arg(ChartPrefix(kind), hhnn, missing);
                continue;
            }
            // Line charts are GIF whatever kind, unlike imported scans of the 700 and 250 mb
            // charts, which come as photographs of paper and are kept as JPEG.
            planned.push_back(
                {ChartPrefix(kind) +
                     FormatDateTime(QStringLiteral("\"-\"yymmdd\"-\"hhnn\".gif\""), valid),
                 {},
                 t,
                 kind});
        }
    }
    if (planned.empty())
        throw DataError(
            QStringLiteral("Nothing to draw in the case window (%1); nothing written")
                .arg(lines.filter(QStringLiteral("not drawn")).join(QStringLiteral("; "))));
    for (const Planned& p : planned)
        if (QFileInfo::exists(folder + p.Name) && !options.Force)
            throw DataError(
                QStringLiteral("%1 is already there (--force replaces it); nothing written")
                    .arg(day + QLatin1Char('/') + p.Name));
    for (Planned& p : planned) {
        if (!p.Kind) {
            p.Bytes =
                EncodeJpeg(DrawInfrared(grids.Warp(*grids.Find(p.Valid, Quantity::Brightness, 0)),
                                        p.Valid, geography, QStringLiteral("GRIDSAT-B1")),
                           85);
            continue;
        }
        const Chart chart = DrawChart(grids, p.Valid, *p.Kind, geography);
        const QString hhnn =
            QDateTime::fromSecsSinceEpoch(p.Valid, Qt::UTC).toString(QStringLiteral("hhmm"));
        for (const QString& l : chart.Left)
            lines << QStringLiteral("%1 %2 UTC: %3").arg(ChartPrefix(*p.Kind), hhnn, l);
        p.Bytes = EncodeGif(chart.Image);
    }
    if (!QDir().mkpath(folder))
        throw FileError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder));
    for (const Planned& p : planned) {
        WriteFileAtomically(folder + p.Name, p.Bytes);
        lines << QStringLiteral("wrote %1/%2").arg(day, p.Name);
    }
    lines << QStringLiteral("%1 frames from %2 times, source %3")
                 .arg(planned.size())
                 .arg(times.size())
                 .arg(grids.SourceLabel());
    return lines;
}

} // namespace nimbrel::disc
