#include "station_map.h"

#include <QPainter>

#include "raster.h"
#include "viewer/stations.h"

namespace nimbrel::tools {
namespace {

// Real positions of the sites named first in each row of the station table (the sites
// in use when the table was drawn up), degrees north and east.
constexpr LatLon Sites[20] = {
    {39.77, -104.87}, // DEN Denver
    {35.04, -106.62}, // ABQ Albuquerque
    {31.87, -106.70}, // EPZ Santa Teresa (ELP El Paso)
    {29.37, -100.92}, // DRT Del Rio
    {28.85, -96.92},  // VCT Victoria (CRP Corpus Christi)
    {31.95, -102.19}, // MAF Midland
    {32.22, -98.18},  // SEP Stephenville (FWD Fort Worth)
    {32.35, -94.65},  // GGG Longview (SHV Shreveport)
    {35.23, -101.71}, // AMA Amarillo
    {35.39, -97.60},  // OKC Oklahoma City (OUN Norman)
    {34.83, -92.26},  // LZK Little Rock
    {37.76, -99.97},  // DDC Dodge City
    {36.88, -93.90},  // UMN Monett (SGF Springfield)
    {39.07, -95.63},  // TOP Topeka
    {41.13, -100.68}, // LBF North Platte
    {41.32, -96.37},  // OVN Omaha (OAX Valley)
    {44.07, -103.21}, // RAP Rapid City
    {45.45, -98.41},  // ABR Aberdeen (HON Huron)
    {45.55, -94.05},  // STC St. Cloud (MPX Chanhassen)
    {30.13, -93.22},  // LCH Lake Charles
};

} // namespace

LatLon StationPosition(int row) {
    return Sites[row];
}

StationMapProjection::StationMapProjection() {
    StationTable table;
    FillStationTable(table);
    std::vector<QPointF> projected, pixels;
    for (int i = 0; i < 20; ++i) {
        projected.push_back(conic_.Project(Sites[i]));
        pixels.push_back(QPointF(table[std::size_t(i)].X, table[std::size_t(i)].Y));
    }
    placement_ = FitAffine(projected, pixels);
    std::vector<QPointF> placed;
    for (const QPointF& p : projected)
        placed.push_back(placement_.Map(p));
    bend_ = ThinPlateSpline(placed, pixels);
}

QPointF StationMapProjection::ProjectUnbent(const LatLon& p) const {
    return placement_.Map(conic_.Project(p));
}
QPointF StationMapProjection::Project(const LatLon& p) const {
    return bend_.Map(ProjectUnbent(p));
}

QImage DrawStationMap(const QString& appData) {
    const StationMapProjection projection;
    auto project = [&](const LatLon& p) { return projection.Project(p); };

    QImage image(StationMapWidth, StationMapHeight, QImage::Format_RGB32);
    image.fill(QColor(255, 255, 255));
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor(225, 225, 225), 1));
        DrawPolylines(painter, ReadLineFile(appData + QStringLiteral("nimbrel.cgf")), project);
        painter.setPen(QPen(QColor(150, 180, 220), 1));
        DrawPolylines(painter, ReadLineFile(appData + QStringLiteral("nimbrel.pr1")), project);
        painter.setPen(QPen(QColor(90, 90, 90), 1));
        DrawPolylines(painter, ReadOutlineFile(appData + QStringLiteral("nimbrel.gis")), project);
    }

    // Labels sit beside the 30-pixel circles the program draws over each station.
    StationTable table;
    FillStationTable(table);
    for (const SoundingStation& s : table) {
        const QString label = s.Identifiers;
        int x = s.X + 17;
        if (x + TextWidth(label) > StationMapWidth - 2) x = s.X - 17 - TextWidth(label);
        const int y = s.Y - GlyphHeight / 2;
        for (int dy = -1; dy <= GlyphHeight;
             ++dy) // a white backing keeps labels readable over lines
            for (int dx = -1; dx <= TextWidth(label); ++dx)
                if (image.rect().contains(x + dx, y + dy))
                    image.setPixel(x + dx, y + dy, qRgb(255, 255, 255));
        DrawText(image, x, y, label, QColor(0, 0, 0));
    }
    DrawText(image, 4, 4, QStringLiteral("UPPER AIR STATIONS"), QColor(0, 0, 0), 2);
    DrawText(image, 4, StationMapHeight - 11, QStringLiteral("CLICK A STATION FOR ITS SOUNDINGS"),
             QColor(80, 80, 80));
    return image;
}

} // namespace nimbrel::tools
