#pragma once
// What the target map shows besides the weather, so that the places the product texts
// name can be found on it: the cities with their names, a scale bar in statute miles,
// the read-out of where the cursor is, and the outlines of the products already issued.
#include <cstdint>
#include <vector>

#include <QPoint>
#include <QRect>
#include <QString>

#include "map/basemap.h"
#include "map/geodesy.h"
#include "map/projection.h"
#include "products/places.h"
#include "products/product_record.h"

class QFont;
class QFontMetrics;
class QPainter;

namespace nimbrel {

/// The font of the city names (small, so that names crowd the map as little as they can).
QFont CityLabelFont();

/// One city placed on the map: its dot and the box its name occupies, in map pixels.
struct CityLabel {
    QPoint Dot;
    QRect Box; ///< the name's box; the name is drawn at its left, on its baseline
    QString Text;
    int Baseline = 0; ///< the name's baseline as a y in map pixels
};

/// The smallest population named at a zoom: the largest cities at the whole-Plains view,
/// the towns the products can name (30000 and more) once the view is zoomed in enough.
double CityPopulationShown(double scale);

/// Places the cities of `cities` that are on the view and large enough for its zoom,
/// largest first. A name goes right, left, above or below its dot (the first place that
/// fits); it lies wholly inside the view's Width x Height, overlaps no other name and no
/// dot, stays out of the `keepClear` boxes and covers none of the `avoid` points (report
/// symbols' centres) by less than the symbol's half-size. A city whose name finds no place
/// is left out, dot and all; so is one whose dot falls under a name already placed.
std::vector<CityLabel> PlaceCityLabels(const std::vector<City>& cities,
                                       const ProjectionDescriptor& view,
                                       const QFontMetrics& metrics,
                                       const std::vector<QRect>& keepClear = {},
                                       const std::vector<QPoint>& avoid = {});
/// Draws the placed cities: a dark dot and the name over a faint white halo.
void DrawCityLabels(QPainter& painter, const std::vector<CityLabel>& labels);

/// A scale bar of a round length (1, 2 or 5 times a power of ten statute miles).
struct ScaleBar {
    double Miles = 0.0; ///< statute miles; 0 when the view has no usable scale
    int Pixels = 0;     ///< the bar's length on the map
};
/// The longest round bar no longer than `maxPixels`, measured along the horizontal through
/// the view's centre with the great-circle distance (statute miles as the products count
/// them, nautical x 1.15).
ScaleBar ChooseScaleBar(const ProjectionDescriptor& view, int maxPixels);
/// Where the bar and its words go: the bottom-left corner of the view.
QRect ScaleBarBox(const ProjectionDescriptor& view);
/// Draws the bar ("100 MILES") in `box`.
void DrawScaleBar(QPainter& painter, const ScaleBar& bar, const QRect& box);

/// A fingerprint of a city list (names, sizes and places), for the basemap cache's stamp.
std::uint32_t CityListStamp(const std::vector<City>& cities);
/// What the target map draws over its geography: the scale bar always, and the city
/// names when `cities` is given (`citiesStamp` its CityListStamp), kept clear of the
/// `reports` already on the map (never of those still to come, which would give them
/// away), on a bitmap `pixelRatio` times finer. The stamp differs whenever the drawing
/// would.
BasemapExtras TargetMapExtras(const std::vector<City>* cities, std::uint32_t citiesStamp,
                              std::vector<GeoPoint> reports, double pixelRatio = 1.0);

/// The status read-out of a map pixel: "35.4N 97.6W — 10 MILES NORTHWEST OF OKLAHOMA CITY
/// OKLAHOMA", the place in the words of the watch texts (nearest city by the same rule,
/// miles rounded to five). Only the latitude and longitude when there is no city list;
/// empty off the globe's visible disc.
QString CursorReadout(const ProjectionDescriptor& view, double x, double y,
                      const std::vector<City>& cities);

/// "Slight risk 15Z": the kind and the hour of issue, the label of an issued product.
QString IssuedProductLabel(const ProductRecord& record);
/// Every issued product as a thin outline in its score-map colour (issue order) and line
/// style, labelled at its topmost corner on the map. Outlines off the visible globe are
/// skipped.
void DrawIssuedProducts(QPainter& painter, const ProjectionDescriptor& view,
                        const ProductRecords& products);

} // namespace nimbrel
