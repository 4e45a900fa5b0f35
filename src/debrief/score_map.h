#pragma once
// The scorecard's map: the target map's geography in a view framed on the day, the
// reports (filled when inside a product while it was valid, hollow when not), each
// product's outline in its kind's colour and line style, the practically perfect areas
// shaded, and a legend below the map where it covers nothing. Drawn from plain inputs so
// that any caller (the score window, a replay hour by hour) can paint it on any painter.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include "debrief/practically_perfect.h"
#include "debrief/scoring.h"
#include "map/geodesy.h"
#include "map/projection.h"

class QPainter;

namespace nimbrel {

/// How a product kind is drawn wherever products are drawn (score map, replay, target
/// map): an Okabe and Ito colour a colour-blind trainee can tell apart, and a line style
/// of its own so that no two kinds rely on colour alone.
struct ProductStyle {
    QColor Colour;
    Qt::PenStyle Line = Qt::SolidLine;
};
ProductStyle ProductStyleOf(ProductKind kind);

struct MapReport {
    GeoPoint Where;
    std::int32_t Kind = 0; ///< a ReportKind value
    bool Inside = false;   ///< inside a product while it was valid
    /// Bit i: inside product i while it was valid, and of a kind that verifies it.
    std::uint32_t Verifies = 0;
};

struct MapProduct {
    std::array<GeoPoint, 6> Corners{};
    ProductKind Kind = ProductKind::None;
    QString Label;
    bool Faded = false; ///< expired by the hour shown (the replay)
};

/// What stays the same over many drawings of one map (the replay's hours): the geography
/// with the practically perfect areas drawn on it, and every report symbol rendered once
/// to be laid down wherever a report is. Made by MakeScoreMapCache.
struct ScoreMapCache;

struct ScoreMapInputs {
    ProjectionDescriptor Viewport;
    QImage Geography; ///< the basemap at Viewport; a white background when null
    std::vector<MapReport> Reports;
    std::vector<MapProduct> Products;
    std::vector<GridIndex> PerfectArea;        ///< grid boxes of the 15 % area
    std::vector<GridIndex> PerfectTornadoArea; ///< grid boxes of the tornado 5 % area
    QStringList Notes;                         ///< words drawn in the legend, bold
    int PerfectOpacity = 150;                  ///< alpha of the 15 % area's shading, 0-255
    /// The product (index into Products) whose row is selected: it and the reports that
    /// verify it stand out, the rest fade. -1: none.
    int Highlight = -1;
    /// Called after the outlines and before the reports (the replay's chasers), so that
    /// reports stay above whatever it draws.
    std::function<void(QPainter&)> BeneathReports;
    /// Pictures made once from these inputs' viewport, geography, areas and opacity, for
    /// a map drawn many times over (MakeScoreMapCache); the picture is the same with it
    /// or without it. Null: everything is drawn afresh.
    std::shared_ptr<const ScoreMapCache> Cache;
};

/// The cache for drawing `in` again and again with other reports, products and notes:
/// its viewport, geography, practically perfect areas and their opacity must stay as
/// they are while the cache is used. Without `backdrop`, the cache holds the symbols
/// alone (a few kilobytes instead of a picture of the map's size) and the fixed part is
/// drawn afresh each time.
std::shared_ptr<const ScoreMapCache> MakeScoreMapCache(const ScoreMapInputs& in,
                                                       bool backdrop = true);

/// The view that frames `points` (reports first, then products and areas) in an
/// orthographic map of `width` x `height` centred on them, at a scale between
/// `MinFitScale` and `MaxFitScale`. When everything does not fit at the smallest scale,
/// the view frames `mustShow` alone; `outside` counts the points of `mustShow` that
/// still fall off the picture. No point at all gives the target map's starting view.
inline constexpr double MinFitScale = 0.9;
inline constexpr double MaxFitScale = 12.0;
ProjectionDescriptor FitViewport(const std::vector<GeoPoint>& mustShow,
                                 const std::vector<GeoPoint>& alsoShow, int width, int height,
                                 int* outside = nullptr);

/// The target map's background for another view (the score's, a disc preview's), drawn
/// afresh with the target map's pens from the map files of `appData`, leaving the target
/// map's cache alone. Throws FileError when a map file cannot be read.
QImage ScoreMapBackground(const QString& appData, const ProjectionDescriptor& view);

/// The map's inputs from a score: every report with its inside flags, every product in
/// its kind's style, the practically perfect areas. Notes say when nothing was issued,
/// and how many reports fall outside the viewport.
ScoreMapInputs ScoreMapFrom(const ExerciseScore& score, const ProjectionDescriptor& viewport,
                            const QImage& geography);
/// The view fitted to the score's reports, products and practically perfect areas.
ProjectionDescriptor FitScoreViewport(const ExerciseScore& score, int width, int height,
                                      int* reportsOutside = nullptr);

/// Size of the whole picture: the viewport's map with the legend strip below it.
QSize ScoreMapPictureSize(const ScoreMapInputs& in);
/// Paints the map in the viewport's Width x Height pixels from the painter's origin and
/// the legend below it.
void DrawScoreMap(QPainter& painter, const ScoreMapInputs& in);
/// The map on a picture of ScoreMapPictureSize (at least 1 x 1), drawn `pixelRatio`
/// times finer (its devicePixelRatio set) for a high-density screen.
QImage RenderScoreMap(const ScoreMapInputs& in, double pixelRatio = 1.0);

} // namespace nimbrel
