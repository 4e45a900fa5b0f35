#include "map/polygon.h"

#include <cmath>
#include <numbers>

#include <QPainter>
#include <QPolygon>

#include "base/rounding.h"

namespace nimbrel {
namespace {

constexpr double Pi = std::numbers::pi_v<double>;
constexpr int AxisHalfWidth = 10; // the band's width while the axis is being dragged

// Vertex roles as 0-based indices.
constexpr std::size_t AxisStartMinus = 0; // A - d
constexpr std::size_t AxisStart = 1;      // A
constexpr std::size_t AxisStartPlus = 2;  // A + d
constexpr std::size_t AxisEndPlus = 3;    // B + d
constexpr std::size_t AxisEnd = 4;        // B
constexpr std::size_t AxisEndMinus = 5;   // B - d

// A screen bearing in degrees, 0 up and clockwise, brought into [0, 360].
double NormaliseBearing(double degrees) {
    if (degrees < 0.0) degrees += 360.0;
    if (degrees > 360.0) degrees -= 360.0;
    return degrees;
}

std::int32_t RoundToPixel(double v) {
    return static_cast<std::int32_t>(RoundHalfEven(v));
}

QPolygon ToPolygon(const std::array<PixelPoint, 6>& points) {
    QPolygon poly(6);
    for (int i = 0; i < 6; ++i)
        poly.setPoint(i, points[i].X, points[i].Y);
    return poly;
}

} // namespace

void ReprojectPolygon(ForecastPolygon& polygon, const ProjectionDescriptor& viewport) {
    for (std::size_t i = 0; i < 6; ++i)
        polygon.Vertices[i] = ProjectToScreen(viewport, polygon.GeoVertices[i]);
}

void PolygonPress(ForecastPolygon& polygon, const ProjectionDescriptor& viewport, int x, int y) {
    if (polygon.Drag == DragState::NotDrawing) {
        polygon.Vertices.fill(PixelPoint{x, y});
        polygon.Drag = DragState::DrawingAxis;
    } else if (polygon.Drag == DragState::SettingWidth) {
        // There is no cancel: a second press fixes the shape as it stands.
        polygon.Drag = DragState::NotDrawing;
        for (std::size_t i = 0; i < 6; ++i)
            polygon.GeoVertices[i] =
                ScreenToGeo(viewport, polygon.Vertices[i].X, polygon.Vertices[i].Y);
    }
}

void PolygonRelease(ForecastPolygon& polygon) {
    if (polygon.Drag == DragState::DrawingAxis) polygon.Drag = DragState::SettingWidth;
}

PolygonMoveResult PolygonMove(ForecastPolygon& polygon, int x, int y) {
    PolygonMoveResult result;
    auto& v = polygon.Vertices;
    const PixelPoint a = v[AxisStart];
    if (polygon.Drag == DragState::DrawingAxis) {
        v[AxisStartMinus] = {a.X - AxisHalfWidth, a.Y};
        v[AxisStartPlus] = {a.X + AxisHalfWidth, a.Y};
        v[AxisEnd] = {x, y};
        v[AxisEndPlus] = {x + AxisHalfWidth, y};
        v[AxisEndMinus] = {x - AxisHalfWidth, y};
        result.Redraw = true;
        return result;
    }
    if (polygon.Drag != DragState::SettingWidth) return result;

    const PixelPoint b = v[AxisEnd];
    // Normal of the axis: its screen bearing (0 up, clockwise) turned a quarter right.
    const double p =
        NormaliseBearing(std::atan2(double(b.X - a.X), double(a.Y - b.Y)) * 180.0 / Pi + 90.0);
    const double r = std::sqrt(double(b.X - x) * (b.X - x) + double(b.Y - y) * (b.Y - y));
    const double q = NormaliseBearing(std::atan2(double(x - b.X), double(b.Y - y)) * 180.0 / Pi);

    // The width snaps to the nearest of the compass quarters or of the axis normal; on a
    // tie the earlier candidate stays, so the compass wins over an equal normal.
    const double pOpposite = p > 180.0 ? p - 180.0 : p + 180.0;
    struct Candidate {
        double Direction;
        const QString* Words;
    };
    const Candidate candidates[] = {{360.0, &NorthAndSouth}, {0.0, &NorthAndSouth},
                                    {90.0, &EastAndWest},    {180.0, &NorthAndSouth},
                                    {270.0, &EastAndWest},   {p, &EitherSide},
                                    {pOpposite, &EitherSide}};
    const Candidate* chosen = &candidates[0];
    double best = std::fabs(chosen->Direction - q);
    for (const Candidate& c : candidates) {
        const double diff = std::fabs(c.Direction - q);
        if (diff < best) {
            best = diff;
            chosen = &c;
        }
    }
    polygon.SideWords = *chosen->Words;

    result.HasStatus = true;
    // The shape's size as it is being set: the axis from A to B and the half-width.
    result.StatusText = QStringLiteral("Axis %1 px, width %2 px")
                            .arg(RoundToPixel(std::hypot(b.X - a.X, b.Y - a.Y)))
                            .arg(RoundToPixel(r));

    const double theta = chosen->Direction * Pi / 180.0;
    PixelPoint d{RoundToPixel(r * std::sin(theta)), RoundToPixel(-r * std::cos(theta))};
    // A shape must have some width, or its outline would collapse onto the axis.
    if (d.X == 0 && d.Y == 0) d = {2, 0};
    v[AxisStartMinus] = {a.X - d.X, a.Y - d.Y};
    v[AxisStartPlus] = {a.X + d.X, a.Y + d.Y};
    v[AxisEndPlus] = {b.X + d.X, b.Y + d.Y};
    v[AxisEndMinus] = {b.X - d.X, b.Y - d.Y};
    result.Redraw = true;
    return result;
}

void DrawRubberBand(QImage& view, ForecastPolygon& polygon) {
    if (view.isNull()) return;
    QPainter p(&view);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Not-xor toggles: the same outline drawn twice leaves the picture as it was, so the
    // previous band is erased by drawing it again. Only the outline is drawn (a white
    // brush under not-xor would change nothing anyway).
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p.setPen(QPen(QColor(0, 0, 255), 2, Qt::SolidLine));
    p.setBrush(Qt::NoBrush);
    if (polygon.LastDrawnOutline[0].X != MissingPixel)
        p.drawPolygon(ToPolygon(polygon.LastDrawnOutline));
    p.drawPolygon(ToPolygon(polygon.Vertices));
    polygon.LastDrawnOutline = polygon.Vertices;
}

void ForgetRubberBand(ForecastPolygon& polygon) {
    polygon.LastDrawnOutline[0].X = MissingPixel;
}

void DrawFixedPolygon(QImage& bitmap, const ForecastPolygon& polygon) {
    if (bitmap.isNull()) return;
    QPainter p(&bitmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(ToPolygon(polygon.Vertices));
}

} // namespace nimbrel
