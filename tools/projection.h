#pragma once
// Projections of the tools' pictures: a Lambert conformal conic (the usual projection
// of mid-latitude weather charts), an affine placement of it on an image, and a smooth
// correction that makes chosen points land exactly on chosen pixels.
#include <array>
#include <vector>

#include <QPointF>

#include "geography.h"

namespace nimbrel::tools {

/// Lambert conformal conic on the unit sphere: returns (easting, northing) in earth
/// radii. Parallels and origin in degrees.
struct LambertConic {
    double Parallel1 = 33.0, Parallel2 = 45.0, OriginLatitude = 39.0, OriginLongitude = -98.0;
    QPointF Project(const LatLon& p) const;
};

/// x = A[0]*e + A[1]*n + A[2], y = A[3]*e + A[4]*n + A[5].
struct Affine {
    std::array<double, 6> A{1, 0, 0, 0, 1, 0};
    QPointF Map(QPointF p) const {
        return {A[0] * p.x() + A[1] * p.y() + A[2], A[3] * p.x() + A[4] * p.y() + A[5]};
    }
};

/// Least-squares affine map from `from` to `to` (at least three points not on a line);
/// throws DataError when the points do not determine one.
Affine FitAffine(const std::vector<QPointF>& from, const std::vector<QPointF>& to);

/// Thin-plate spline through control points: Map(from[i]) == to[i] exactly, and the
/// map bends as little as possible in between (far from the points it is affine).
class ThinPlateSpline {
public:
    ThinPlateSpline() = default;
    ThinPlateSpline(const std::vector<QPointF>& from, const std::vector<QPointF>& to);
    QPointF Map(QPointF p) const;
    bool IsIdentity() const { return from_.empty(); }

private:
    std::vector<QPointF> from_;
    std::vector<double> wx_, wy_; // n weights, then the affine part (1, x, y)
};

/// Solves the square system m * x = b by Gaussian elimination with partial pivoting;
/// throws DataError when it is singular.
std::vector<double> SolveLinear(std::vector<std::vector<double>> m, std::vector<double> b);

} // namespace nimbrel::tools
