#pragma once
// What is kept of every issued product for scoring at the end of the exercise: its
// kind, when it was issued, its area's six geographic corners and the time it is valid.
#include <array>
#include <vector>

#include "base/datetime.h"
#include "map/geodesy.h"
#include "map/polygon.h"
#include "products/product_kind.h"
#include "products/regions.h"

namespace nimbrel {

struct ProductRecord {
    ProductKind Kind = ProductKind::None;
    DateTime IssueTime = 0.0;          ///< the clock at issue, UTC
    std::array<GeoPoint, 6> Corners{}; ///< vertex 1 first, degrees
    DateTime ValidFrom = 0.0;          ///< UTC, included
    DateTime ValidUntil = 0.0;         ///< UTC, included
};

using ProductRecords = std::vector<ProductRecord>;

/// The record of a product issued at `issueTime` (UTC) in the case whose 1200 UTC start
/// is `caseStart`. An outlook is valid from its issue to 1200 UTC of the day after the
/// case day (the end of the convective day it forecasts). A watch is valid for the six
/// hours its own text announces: from the issue time to six hours later, rounded as the
/// text rounds its local times (to the quarter hour and to the hour).
ProductRecord MakeProductRecord(ProductKind kind, DateTime issueTime, DateTime caseStart,
                                const std::array<GeoPoint, 6>& corners);

/// The corners of the area a product was issued from: the fixed polygon's geographic
/// corners, or, while it is still being drawn, its pixel corners through `toGeo`.
std::array<GeoPoint, 6> ProductCorners(const ForecastPolygon& polygon, const ScreenToGeoFn& toGeo);

} // namespace nimbrel
