#include "charts.h"

#include <cmath>
#include <map>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include "base/errors.h"
#include "base/records.h"
#include "projection.h"
#include "raster.h"
#include "soundings/skewt.h"
#include "station_map.h"
#include "viewer/decoders.h"
#include "viewer/stations.h"

namespace nimbrel::tools {
namespace {

struct KindStyle {
    const char* Prefix;
    const char* Title;
    const char* Extension;
    QColor Background, Outline, Grid, Text;
};

// Satellite pictures are photographic, so they go out as JPEG; the analyses are line
// drawings and go out as GIF, except 700 and 250 mb which are JPEG so that the viewer's
// two decoders are both exercised on ordinary charts.
const KindStyle Styles[] = {
    {"satv", "VISIBLE SATELLITE", "jpg", QColor(28, 30, 38), QColor(150, 150, 150),
     QColor(60, 62, 72), QColor(235, 235, 235)},
    {"hsfc", "SURFACE ANALYSIS", "gif", QColor(255, 255, 255), QColor(120, 120, 120),
     QColor(215, 225, 240), QColor(0, 0, 0)},
    {"h850", "850 MB ANALYSIS", "gif", QColor(255, 255, 255), QColor(120, 120, 120),
     QColor(215, 225, 240), QColor(0, 0, 0)},
    {"h700", "700 MB ANALYSIS", "jpg", QColor(255, 255, 255), QColor(120, 120, 120),
     QColor(215, 225, 240), QColor(0, 0, 0)},
    {"h500", "500 MB ANALYSIS", "gif", QColor(255, 255, 255), QColor(120, 120, 120),
     QColor(215, 225, 240), QColor(0, 0, 0)},
    {"h250", "250 MB ANALYSIS", "jpg", QColor(255, 255, 255), QColor(120, 120, 120),
     QColor(215, 225, 240), QColor(0, 0, 0)},
};

const KindStyle& StyleOf(const QString& prefix) {
    for (const KindStyle& s : Styles)
        if (prefix == QLatin1String(s.Prefix)) return s;
    throw DataError(QStringLiteral("Unknown chart kind ") + prefix);
}

QString ValidText(DateTime valid) {
    return QStringLiteral("VALID ") + FormatDateTime(QStringLiteral("hhnn"), valid) +
           QStringLiteral(" UTC");
}

void DrawSampleMark(QImage& image, QColor colour) {
    const QString mark = QStringLiteral("SAMPLE");
    DrawText(image, image.width() - TextWidth(mark, 3) - 10, image.height() - 7 * 3 - 10, mark,
             colour, 3);
}

// The chart area: a conic projection of the central United States scaled to the image.
struct ChartProjection {
    LambertConic Conic{33.0, 45.0, 38.0, -97.0};
    double Scale = 0.0;
    QPointF Centre;
    ChartProjection() {
        // 24 degrees of latitude fill the height below the title band.
        const QPointF south = Conic.Project({26.0, -97.0}), north = Conic.Project({50.0, -97.0});
        Scale = (ChartHeight - 60) / (north.y() - south.y());
        Centre = QPointF(ChartWidth / 2.0, 40 + (ChartHeight - 60) / 2.0);
    }
    QPointF Project(const LatLon& p) const {
        const QPointF c = Conic.Project(p), o = Conic.Project({38.0, -97.0});
        return {Centre.x() + (c.x() - o.x()) * Scale, Centre.y() - (c.y() - o.y()) * Scale};
    }
};

// Everything of a chart but its valid time: the same for every frame of a kind.
QImage DrawChartBase(const QString& prefix, const std::vector<Polyline>& outlines) {
    const KindStyle& style = StyleOf(prefix);
    const ChartProjection projection;
    auto project = [&](const LatLon& p) { return projection.Project(p); };

    QImage image(ChartWidth, ChartHeight, QImage::Format_RGB32);
    image.fill(style.Background);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(style.Grid, 1));
        std::vector<Polyline> graticule;
        for (int lat = 20; lat <= 55; lat += 5) {
            Polyline line;
            for (int lon = -130; lon <= -60; ++lon)
                line.push_back({double(lat), double(lon)});
            graticule.push_back(line);
        }
        for (int lon = -130; lon <= -60; lon += 5) {
            Polyline line;
            for (int lat = 20; lat <= 55; ++lat)
                line.push_back({double(lat), double(lon)});
            graticule.push_back(line);
        }
        DrawPolylines(painter, graticule, project);
        painter.setPen(QPen(style.Outline, 1));
        DrawPolylines(painter, outlines, project);
        painter.fillRect(0, 0, ChartWidth, 32, style.Background);
        painter.setPen(QPen(style.Text, 1));
        painter.drawLine(0, 32, ChartWidth, 32);
    }
    DrawText(image, 10, 9, QString::fromLatin1(style.Title), style.Text, 2);
    // The frame holds no weather at all: said in its middle, where a trainee looks, on a
    // band of its own so that no outline runs through the words.
    const QRect band = NoChartBand();
    {
        QPainter painter(&image);
        painter.fillRect(band, style.Background);
        painter.setPen(QPen(style.Text, 1));
        painter.drawRect(band.adjusted(0, 0, -1, -1));
    }
    DrawText(image, band.left() + NoChartMargin, band.top() + NoChartMargin, NoChartText,
             style.Text, 2);
    DrawText(image, 10, ChartHeight - 17,
             QStringLiteral("BLANK SAMPLE FRAME - THE SAME ON EVERY DAY OF THE SAMPLE DISC"),
             style.Text);
    DrawSampleMark(image, style.Text);
    return image;
}

} // namespace

QRect NoChartBand() {
    const int width = TextWidth(NoChartText, 2) + 2 * NoChartMargin;
    const int height = 7 * 2 + 2 * NoChartMargin;
    return {(ChartWidth - width) / 2, (ChartHeight - height) / 2, width, height};
}

QString FrameSpec::FileName() const {
    QString name =
        Prefix + QLatin1Char('-') + FormatDateTime(QStringLiteral("yymmdd\"-\"hhnn"), Valid);
    if (!Station.isEmpty()) name += QLatin1Char('-') + Station;
    return name + QLatin1Char('.') + Extension;
}

std::vector<FrameSpec> FramesOfDay(int year, int month, int day) {
    const DateTime start = EncodeDate(year, month, day) + 12 * OneHour;
    std::vector<FrameSpec> frames;
    for (int half = 0; half <= 46; ++half)
        frames.push_back(
            {QStringLiteral("satv"), start + half * OneHour / 2, {}, QStringLiteral("jpg")});
    for (int hour = 0; hour <= 23; ++hour)
        frames.push_back(
            {QStringLiteral("hsfc"), start + hour * OneHour, {}, QStringLiteral("gif")});
    StationTable table;
    FillStationTable(table);
    for (int hour : {0, 12}) {
        const DateTime valid = start + hour * OneHour;
        for (const char* prefix : {"h850", "h700", "h500", "h250"})
            frames.push_back({QString::fromLatin1(prefix),
                              valid,
                              {},
                              QString::fromLatin1(StyleOf(QString::fromLatin1(prefix)).Extension)});
        for (std::size_t row = 0; row < table.size(); ++row) {
            const QStringList ids = table[row].Identifiers.toLower().split(QLatin1Char('/'));
            const bool second = (row == 9 || row == 15) && ids.size() > 1;
            frames.push_back(
                {QStringLiteral("skew"), valid, second ? ids[1] : ids[0], QStringLiteral("gif")});
        }
    }
    return frames;
}

QImage DrawFrameBase(const FrameSpec& frame, const std::vector<Polyline>& outlines) {
    // A station and hour with no sounding says so in words: an empty diagram would look
    // like data. The real soundings of the sample days replace these (nimbrel-disc
    // soundings, run by the build).
    return frame.Prefix == QLatin1String("skew")
               ? soundings::DrawNoSounding(frame.Station.toUpper(), frame.Valid)
               : DrawChartBase(frame.Prefix, outlines);
}

void StampValidTime(QImage& image, const FrameSpec& frame) {
    if (frame.Prefix == QLatin1String("skew")) return; // the sounding frame names its hour
    const QString valid = ValidText(frame.Valid);
    DrawText(image, ChartWidth - 10 - TextWidth(valid, 2), 9, valid, StyleOf(frame.Prefix).Text, 2);
}

QImage DrawFrame(const FrameSpec& frame, const std::vector<Polyline>& outlines) {
    QImage image = DrawFrameBase(frame, outlines);
    StampValidTime(image, frame);
    return image;
}

QString SharedFrameName(const FrameSpec& frame) {
    QString name =
        frame.Prefix + QLatin1Char('-') + FormatDateTime(QStringLiteral("hhnn"), frame.Valid);
    if (!frame.Station.isEmpty()) name += QLatin1Char('-') + frame.Station;
    return name + QLatin1Char('.') + frame.Extension;
}

int WriteSampleFrames(const QString& appData, const QString& discRoot, const QStringList& days) {
    const std::vector<Polyline> outlines = ReadOutlineFile(appData + QStringLiteral("nimbrel.gis"));
    const QString shared = discRoot + SharedFramesFolder + QLatin1Char('/');
    if (!QDir().mkpath(shared)) throw FileError(QStringLiteral("Cannot create ") + shared);
    int written = 0;
    std::map<QString, QImage> bases; // by kind and station: only the time differs
    for (const QString& day : days) {
        const QString folder = discRoot + day + QLatin1Char('/');
        if (!QDir().mkpath(folder)) throw FileError(QStringLiteral("Cannot create ") + folder);
        bool okY = false, okM = false, okD = false;
        const int y = day.left(4).toInt(&okY), m = day.mid(5, 2).toInt(&okM),
                  d = day.mid(8, 2).toInt(&okD);
        if (!okY || !okM || !okD || !IsValidDate(y, m, d))
            throw DataError(QStringLiteral("Not a case day: ") + day);
        for (const FrameSpec& frame : FramesOfDay(y, m, d)) {
            // The picture has no date: draw it once, and let every day link to it.
            const QString sharedName = SharedFrameName(frame);
            const QString sharedPath = shared + sharedName;
            if (!QFileInfo::exists(sharedPath)) {
                const QString key = frame.Prefix == QLatin1String("skew")
                                        ? sharedName
                                        : frame.Prefix + frame.Station;
                auto base = bases.find(key);
                if (base == bases.end())
                    base = bases.emplace(key, DrawFrameBase(frame, outlines)).first;
                QImage image = base->second.copy();
                StampValidTime(image, frame);
                if (frame.Extension == QLatin1String("jpg"))
                    WriteJpeg(image, sharedPath);
                else
                    WriteGif(image, sharedPath);
            }
            const QString path = folder + frame.FileName();
            QFile::remove(path);
            // A relative link keeps the disc movable; where links cannot be made, a copy.
            if (!QFile::link(QStringLiteral("../") + SharedFramesFolder + QLatin1Char('/') +
                                 sharedName,
                             path))
                CopyWholeFile(sharedPath, path, MaxImageFileBytes);
            ++written;
        }
    }
    return written;
}

} // namespace nimbrel::tools
