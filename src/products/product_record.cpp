#include "products/product_record.h"

#include <cmath>

#include "products/product_stamps.h"

namespace nimbrel {

ProductRecord MakeProductRecord(ProductKind kind, DateTime issueTime, DateTime caseStart,
                                const std::array<GeoPoint, 6>& corners) {
    ProductRecord r;
    r.Kind = kind;
    r.IssueTime = issueTime;
    r.Corners = corners;
    if (IsWatch(kind)) {
        constexpr double WatchLength = 0.25; // six hours, in days
        r.ValidFrom = RoundToStep(issueTime, 96.0);
        r.ValidUntil = RoundToStep(issueTime + WatchLength, 24.0);
    } else {
        r.ValidFrom = issueTime;
        r.ValidUntil = std::floor(caseStart) + 1.5; // 1200 UTC of the next day
    }
    return r;
}

std::array<GeoPoint, 6> ProductCorners(const ForecastPolygon& polygon, const ScreenToGeoFn& toGeo) {
    if (polygon.IsSet() && polygon.Drag == DragState::NotDrawing) return polygon.GeoVertices;
    std::array<GeoPoint, 6> corners{};
    for (std::size_t i = 0; i < corners.size(); ++i)
        corners[i] = toGeo(polygon.Vertices[i].X, polygon.Vertices[i].Y);
    return corners;
}

} // namespace nimbrel
