#pragma once
// "greatplains.gif", the map behind the sounding station circles. The program places
// its 20 circles at fixed pixels of this picture, so the map is drawn to fit them: a
// conic projection placed by least squares on the stations' real positions, then bent
// gently (a thin-plate spline) so that every station lands exactly on its pixel.
#include <QImage>
#include <QString>

#include "geography.h"
#include "projection.h"

namespace nimbrel::tools {

inline constexpr int StationMapWidth = 400;
inline constexpr int StationMapHeight = 600;

/// Real position of the upper-air site named first in row `row` (0-based) of the
/// station table.
LatLon StationPosition(int row);

class StationMapProjection {
public:
    /// Fits the projection to the station table.
    StationMapProjection();
    /// Pixel of a point with the least-squares placement only (no bending).
    QPointF ProjectUnbent(const LatLon& p) const;
    /// Pixel of a point on the finished map.
    QPointF Project(const LatLon& p) const;

private:
    LambertConic conic_;
    Affine placement_;
    ThinPlateSpline bend_;
};

/// Draws the station map from the outline and line files of `appData` (ending in '/').
QImage DrawStationMap(const QString& appData);

/// Draws `lines` projected by `project` with the current pen; segments whose ends are
/// far outside the picture are skipped.
template <typename Project>
void DrawPolylines(class QPainter& painter, const std::vector<Polyline>& lines,
                   const Project& project);

} // namespace nimbrel::tools

#include <QPainter>

namespace nimbrel::tools {
template <typename Project>
void DrawPolylines(QPainter& painter, const std::vector<Polyline>& lines, const Project& project) {
    const QRectF window = QRectF(painter.window()).adjusted(-2000, -2000, 2000, 2000);
    for (const Polyline& line : lines) {
        for (std::size_t i = 1; i < line.size(); ++i) {
            const QPointF a = project(line[i - 1]), b = project(line[i]);
            if (!window.contains(a) || !window.contains(b)) continue;
            painter.drawLine(a, b);
        }
    }
}
} // namespace nimbrel::tools
