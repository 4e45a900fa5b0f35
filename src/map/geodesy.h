#pragma once
// Positions on a spherical earth. Distances are nautical miles taken as minutes of
// arc (one degree of great circle = 60 nm); angles are degrees unless noted.
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
};
TrigPoint WithLatitudeTrig(const GeoPoint& p);
/// The same as GreatCircleDistance of the two points, to the last bit: the same operations
/// in the same order, with the latitudes' sines and cosines taken from the arguments.
double PreparedDistance(const TrigPoint& a, const TrigPoint& b);
/// Initial bearing in degrees, 0 <= result < 360, clockwise from north.
double InitialBearing(const GeoPoint& from, const GeoPoint& to);
/// Point reached from `start` over `distance` nautical miles along `bearing` degrees.
GeoPoint DestinationPoint(const GeoPoint& start, double distance, double bearing);
/// Eight-way compass word in upper case ("NORTH", "NORTHEAST", ...).
const char* CompassOctant(double bearing);

} // namespace nimbrel
