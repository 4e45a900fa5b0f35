#pragma once
// Positions on a spherical earth. Distances are nautical miles taken as minutes of
// arc (one degree of great circle = 60 nm); angles are degrees unless noted.
#include <cmath>
#include <numbers>

#include <QString>

namespace nimbrel {

inline constexpr double MissingCoordinate = -9999.0;

struct GeoPoint {
    double Latitude = 0.0;  ///< degrees, north positive
    double Longitude = 0.0; ///< degrees, east positive
};

/// Arcsine of x in degrees; |x| >= 1 gives +-90 with the sign of x.
double ArcSinDeg(double x);
/// Arccosine of x in radians, computed through ArcSinDeg.
double ArcCosRad(double x);
/// tan a, a in radians, as sin/cos without a guard.
double Tangent(double a);
/// Great-circle distance in nautical miles; exactly 0 for identical points.
double GreatCircleDistance(const GeoPoint& a, const GeoPoint& b);
/// A point with the sine and cosine of its latitude worked out once, for a point whose
/// distance to many others is wanted.
struct TrigPoint {
    GeoPoint Point;
    double SinLatitude = 0.0;
    double CosLatitude = 0.0;
    /// Latitude within +-90 and longitude within +-1e6 degrees (so not NaN): a point
    /// PreparedDistanceAtLeast may reason about.
    bool Floorable = false;
};
TrigPoint WithLatitudeTrig(const GeoPoint& p);
/// The same as GreatCircleDistance of the two points, to the last bit: the same operations
/// in the same order, with the latitudes' sines and cosines taken from the arguments.
double PreparedDistance(const TrigPoint& a, const TrigPoint& b);

/// Degrees to radians, as every function here turns them.
inline double RadiansOf(double degrees) {
    return degrees * std::numbers::pi_v<double> / 180.0;
}

/// True only when PreparedDistance(a, b) >= limit (nautical miles) is certain; false
/// tells nothing, and the distance itself must be worked out. A few operations, so that
/// pairs too far apart to matter skip the cosine and the arcsine.
///
/// Two floors of the distance, for two Floorable points (else the answer is false):
/// - the difference of the latitudes: no path between two parallels is shorter;
/// - the chord. PreparedDistance is the arccosine of c = sin pa sin pb + cos pa cos pb
///   cos dl. Here cos dl is replaced by 1 - dl^2/2 + dl^4/24, never below it, plus a
///   slack above its rounding; the cosines of the latitudes are not negative, so (rounding
///   being monotonic) the sum cu is not below the c PreparedDistance computes, and the arc
///   of cu is at least its chord, sqrt(2 - 2 cu).
/// The margin covers what the arcsine route of PreparedDistance may lose to rounding,
/// below 1e-4 nm at the worst (distances near 0 and 180 degrees).
inline bool PreparedDistanceAtLeast(const TrigPoint& a, const TrigPoint& b, double limit) {
    constexpr double Margin = 0.01; // nm
    constexpr double RadiansPerNm = std::numbers::pi_v<double> / (180.0 * 60.0);
    constexpr double Slack = 1e-15; // some ulps of 1, above the series' own rounding
    if (!(a.Floorable && b.Floorable)) return false;
    const double reach = limit + Margin;
    if (!(reach > 0.0)) return false; // NaN, or a limit at or below zero
    if (std::abs(a.Point.Latitude - b.Point.Latitude) * 60.0 >= reach) return true;
    const double r = reach * RadiansPerNm; // the chord that rules the pair out
    const double dl = RadiansOf(b.Point.Longitude - a.Point.Longitude);
    const double dl2 = dl * dl;
    const double cosAbove = 1.0 - dl2 * 0.5 + dl2 * dl2 * (1.0 / 24.0) + Slack;
    const double cu = a.SinLatitude * b.SinLatitude + a.CosLatitude * b.CosLatitude * cosAbove;
    return 2.0 - 2.0 * cu >= r * r;
}

/// Initial bearing in degrees, 0 <= result < 360, clockwise from north.
double InitialBearing(const GeoPoint& from, const GeoPoint& to);
/// Point reached from `start` over `distance` nautical miles along `bearing` degrees.
GeoPoint DestinationPoint(const GeoPoint& start, double distance, double bearing);
/// Eight-way compass word in upper case ("NORTH", "NORTHEAST", ...).
const char* CompassOctant(double bearing);

} // namespace nimbrel
