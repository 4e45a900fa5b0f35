#include "map/geodesy.h"

#include <cmath>
#include <numbers>

namespace nimbrel {
namespace {

constexpr double Pi = std::numbers::pi_v<double>;
constexpr double Rad(double deg) {
    return deg * Pi / 180.0;
}
constexpr double Deg(double rad) {
    return rad * 180.0 / Pi;
}

// Inline here so that the distance of many pairs runs without calls between them.
inline double ArcSinDegHere(double x) {
    if (x >= 1.0) return 90.0;
    if (x <= -1.0) return -90.0;
    return Deg(std::atan(x / std::sqrt(1.0 - x * x)));
}

inline double ArcCosRadHere(double x) {
    return Pi / 2.0 - ArcSinDegHere(x) * Pi / 180.0;
}

} // namespace

double ArcSinDeg(double x) {
    return ArcSinDegHere(x);
}

double ArcCosRad(double x) {
    return ArcCosRadHere(x);
}

double Tangent(double a) {
    return std::sin(a) / std::cos(a);
}

double GreatCircleDistance(const GeoPoint& a, const GeoPoint& b) {
    if (a.Latitude == b.Latitude && a.Longitude == b.Longitude) return 0.0;
    const double pa = Rad(a.Latitude), pb = Rad(b.Latitude);
    const double dl = Rad(b.Longitude - a.Longitude);
    const double c = std::sin(pa) * std::sin(pb) + std::cos(pa) * std::cos(pb) * std::cos(dl);
    return Deg(ArcCosRad(c)) * 60.0;
}

TrigPoint WithLatitudeTrig(const GeoPoint& p) {
    const double phi = Rad(p.Latitude);
    return {p, std::sin(phi), std::cos(phi),
            std::abs(p.Latitude) <= 90.0 && std::abs(p.Longitude) <= 1e6};
}

double PreparedDistance(const TrigPoint& a, const TrigPoint& b) {
    if (a.Point.Latitude == b.Point.Latitude && a.Point.Longitude == b.Point.Longitude) return 0.0;
    // RadiansOf, as PreparedDistanceAtLeast takes it: its reasoning holds for this dl.
    const double dl = RadiansOf(b.Point.Longitude - a.Point.Longitude);
    const double c = a.SinLatitude * b.SinLatitude + a.CosLatitude * b.CosLatitude * std::cos(dl);
    return Deg(ArcCosRadHere(c)) * 60.0;
}

double InitialBearing(const GeoPoint& from, const GeoPoint& to) {
    const double p1 = Rad(from.Latitude), p2 = Rad(to.Latitude);
    const double dl = Rad(to.Longitude - from.Longitude);
    double theta =
        Deg(std::atan2(std::sin(dl) * std::cos(p2),
                       std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl)));
    if (theta < 0.0) theta += 360.0;
    // atan2 can return exactly -0.0 or a value that rounds to 360 after the addition.
    if (theta >= 360.0) theta -= 360.0;
    return theta;
}

GeoPoint DestinationPoint(const GeoPoint& start, double distance, double bearing) {
    const double delta = Rad(distance / 60.0);
    const double theta = Rad(bearing);
    const double p1 = Rad(start.Latitude);
    GeoPoint out;
    out.Latitude = ArcSinDeg(std::sin(p1) * std::cos(delta) +
                             std::cos(p1) * std::sin(delta) * std::cos(theta));
    const double num = std::sin(delta) * std::sin(theta);
    const double den =
        std::cos(p1) * std::cos(delta) - std::sin(p1) * std::sin(delta) * std::cos(theta);
    out.Longitude = start.Longitude + Deg(std::atan(num / den));
    return out;
}

const char* CompassOctant(double bearing) {
    const char* word = "NORTH";
    if (bearing >= 22.5 && bearing < 67.5)
        word = "NORTHEAST";
    else if (bearing >= 67.5 && bearing < 112.5)
        word = "EAST";
    else if (bearing >= 112.5 && bearing < 157.5)
        word = "SOUTHEAST";
    else if (bearing >= 157.5 && bearing < 202.5)
        word = "SOUTH";
    else if (bearing >= 202.5 && bearing < 247.5)
        word = "SOUTHWEST";
    else if (bearing >= 247.5 && bearing < 292.5)
        word = "WEST";
    else if (bearing >= 292.5 && bearing < 337.5)
        word = "NORTHWEST";
    return word;
}

} // namespace nimbrel
