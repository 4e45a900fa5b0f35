#pragma once
// The scorecard's map: the target map's geography at a viewport, the reports (filled
// when inside a product, hollow when not), each product's outline in its own colour
// with a legend, and the practically perfect areas shaded. Drawn from plain inputs so
// that any caller (the score window, a replay hour by hour) can paint it on any painter.
#include <array>
#include <vector>

#include <QColor>
#include <QImage>
#include <QString>

#include "map/geodesy.h"
#include "map/projection.h"
#include "products/practically_perfect.h"
#include "products/scoring.h"

class QPainter;

namespace nimbrel {

struct MapReport {
    GeoPoint Where;
    std::int32_t Kind = 0; ///< a ReportKind value
    bool Inside = false;
};

struct MapProduct {
    std::array<GeoPoint, 6> Corners{};
    QColor Colour;
    QString Label;
};

struct ScoreMapInputs {
    ProjectionDescriptor Viewport;
    QImage Geography; ///< the basemap at Viewport; a white background when null
    std::vector<MapReport> Reports;
    std::vector<MapProduct> Products;
    std::vector<GridIndex> PerfectArea;        ///< grid boxes of the 15 % area
    std::vector<GridIndex> PerfectTornadoArea; ///< grid boxes of the tornado 5 % area
    std::vector<GeoPoint> Chasers;             ///< optional: where the chasers are
    QString Note;                              ///< words drawn under the legend, if any
    int PerfectOpacity = 150;                  ///< alpha of the 15 % area's shading, 0-255
};

/// Colours a colour-blind trainee can tell apart (Okabe and Ito): products take them in
/// issue order; reports use vermillion (tornado), bluish green (hail) and sky blue
/// (wind) with distinct shapes as well.
QColor ProductColour(std::size_t index);
/// The line of a product kind: outlooks solid, severe thunderstorm watches dashed, tornado
/// watches dash-dotted, so that a product is told by more than its colour.
Qt::PenStyle ProductLineStyle(ProductKind kind);

/// The map's inputs from a score: every report with its inside flag, every product in
/// its colour, the practically perfect areas. A note says when nothing was issued.
ScoreMapInputs ScoreMapFrom(const ExerciseScore& score, const ProjectionDescriptor& viewport,
                            const QImage& geography);

/// Paints the map in the viewport's Width x Height pixels from the painter's origin.
void DrawScoreMap(QPainter& painter, const ScoreMapInputs& in);
/// The map on a picture of the viewport's size (at least 1 x 1), drawn `pixelRatio` times
/// finer (its devicePixelRatio set) for a high-density screen.
QImage RenderScoreMap(const ScoreMapInputs& in, double pixelRatio = 1.0);

} // namespace nimbrel
