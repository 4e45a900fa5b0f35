#pragma once
// The practically perfect forecast (after Brooks et al. 1998 and Hitchens, Brooks and
// Kay 2013): the probability field a forecaster who knew where the day's reports fell
// would have drawn, made by smoothing the reports on an 80 km grid.
#include <array>
#include <vector>

#include "map/geodesy.h"

namespace nimbrel {

/// Grid spacing (Delta) and smoothing length (sigma) of the field, km.
inline constexpr double PerfectGridKm = 80.0;
inline constexpr double PerfectSigmaKm = 120.0;
/// Probability that bounds the practically perfect outlook (all reports) and the
/// practically perfect tornado area (tornado reports only).
inline constexpr double PerfectOutlookThreshold = 0.15;
inline constexpr double PerfectTornadoThreshold = 0.05;

/// Plane position in km of the Lambert azimuthal equal-area projection centred on the
/// target map's starting centre, 35N 100W, on the program's sphere (1 degree = 60 nm).
struct PlanePoint {
    double X = 0.0; ///< km east
    double Y = 0.0; ///< km north
};
PlanePoint ToPlane(const GeoPoint& p);
GeoPoint FromPlane(const PlanePoint& p);

/// Grid point (I, J) lies at (I * 80 km, J * 80 km) of the plane; its grid box is the
/// square of side 80 km around it.
struct GridIndex {
    int I = 0;
    int J = 0;
    friend bool operator==(const GridIndex&, const GridIndex&) = default;
};
/// The grid point nearest to `p` (the one whose box holds it).
GridIndex NearestGridPoint(const GeoPoint& p);

/// The probability field over a rectangle of grid points: the target map's starting
/// view, widened where needed so that every event point and its neighbourhood fit.
struct PerfectField {
    int FirstI = 0, FirstJ = 0; ///< index of the south-west grid point
    int Columns = 0, Rows = 0;
    std::vector<double> Probability; ///< row by row from the south, west to east
    std::vector<GridIndex> EventPoints;

    double At(int i, int j) const; ///< 0 outside the rectangle
    double Peak() const;
    /// Grid points whose probability reaches `threshold`.
    std::vector<GridIndex> PointsAtLeast(double threshold) const;
};

/// The field of the given reports' start points. A grid point is an event point when
/// at least one report falls in its box, so each report marks exactly one point and a
/// cluster inside one box counts once. At grid point x:
///   p(x) = min(1, sum over event points e of exp(-d(x,e)^2 / (2 sigma^2)) * Delta^2 / (2 pi
///   sigma^2))
/// with d the plane distance between the grid points. Points that are no position on
/// the globe (not finite, latitude beyond 90) are left out. Delta^2 / (2 pi sigma^2) makes the
/// kernel's sum over an infinite grid 1; one isolated report peaks at 0.0707. Event
/// points farther than eight grid steps (640 km, over 5 sigma) add less than 1e-6 and
/// are left out of a point's sum.
PerfectField PracticallyPerfectField(const std::vector<GeoPoint>& reports);

/// The four corners of the grid box of `point`, south-west first, counter-clockwise.
std::array<GeoPoint, 4> GridBoxCorners(const GridIndex& point);
/// Area of one grid box in square statute miles.
double GridBoxSquareMiles();

} // namespace nimbrel
