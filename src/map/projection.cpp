#include "map/projection.h"
#include "map/projection_exact.h"

#include <cmath>
#include <numbers>

#include "base/errors.h"
#include "base/records.h"

namespace nimbrel {
namespace {

constexpr double Pi = std::numbers::pi_v<double>;
// Degrees to radians inside the projection. Both factors are a little short of pi/180;
// every layer goes through the same forward factor, so the layers stay registered with
// one another, and the inverse keeps its own factor for the angular distance.
constexpr double ForwardFactor = Pi * 0.00555555;
constexpr double InverseFactor = Pi * 0.0055555;

// Field offsets of the record (the cache file "nimbrel.mpd" has this exact layout).
constexpr std::size_t OffCentreLatitude = 0;
constexpr std::size_t OffCentreLongitude = 8;
constexpr std::size_t OffScale = 16;
constexpr std::size_t OffHeight = 48;
constexpr std::size_t OffWidth = 52;
constexpr std::size_t OffOffsetX = 56;
constexpr std::size_t OffOffsetY = 60;
constexpr std::size_t OffStretchX = 64;
constexpr std::size_t OffStretchY = 72;
constexpr std::size_t OffRotation = 96;
constexpr std::size_t OffProjectionKind = 104;

// A pixel coordinate within the drawable range, or the off-map marker. NaN (a view
// with a degenerate scale) must not reach the integer conversion.
double ClampPixel(double v) {
    if (!std::isfinite(v) || v < -9999.0 || v > 9999.0) return MissingPixel;
    return v;
}

} // namespace

QByteArray ProjectionDescriptor::ToBytes() const {
    RecordBuilder b(RecordSize);
    b.Double(OffCentreLatitude, CentreLatitude);
    b.Double(OffCentreLongitude, CentreLongitude);
    b.Double(OffScale, Scale);
    b.Int32(OffHeight, Height);
    b.Int32(OffWidth, Width);
    b.Int32(OffOffsetX, OffsetX);
    b.Int32(OffOffsetY, OffsetY);
    b.Double(OffStretchX, StretchX);
    b.Double(OffStretchY, StretchY);
    b.Double(OffRotation, Rotation);
    b.Int32(OffProjectionKind, ProjectionKind);
    return b.Bytes();
}

ProjectionDescriptor ProjectionDescriptor::FromBytes(const QByteArray& bytes) {
    if (static_cast<std::size_t>(bytes.size()) != RecordSize)
        throw DataError(QStringLiteral("A map descriptor must be %1 bytes long, not %2")
                            .arg(RecordSize)
                            .arg(bytes.size()));
    const RecordView r(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())));
    ProjectionDescriptor d;
    d.CentreLatitude = r.Double(OffCentreLatitude);
    d.CentreLongitude = r.Double(OffCentreLongitude);
    d.Scale = r.Double(OffScale);
    d.Height = r.Int32(OffHeight);
    d.Width = r.Int32(OffWidth);
    d.OffsetX = r.Int32(OffOffsetX);
    d.OffsetY = r.Int32(OffOffsetY);
    d.StretchX = r.Double(OffStretchX);
    d.StretchY = r.Double(OffStretchY);
    d.Rotation = r.Double(OffRotation);
    d.ProjectionKind = r.Int32(OffProjectionKind);
    return d;
}

void ResetViewport(ProjectionDescriptor& viewport) {
    viewport.CentreLatitude = 35.0;
    viewport.CentreLongitude = -100.0;
    viewport.Scale = 3.0;
    viewport.Height = 800;
    viewport.Width = 1000;
    viewport.StretchX = 1.0;
    viewport.StretchY = 1.0;
    viewport.ProjectionKind = 1;
}

void MoveView(ProjectionDescriptor& viewport, ViewMove move) {
    switch (move) {
    case ViewMove::North:
        viewport.CentreLatitude += 1.0;
        break;
    case ViewMove::South:
        viewport.CentreLatitude -= 1.0;
        break;
    case ViewMove::East:
        viewport.CentreLongitude += 1.0;
        break;
    case ViewMove::West:
        viewport.CentreLongitude -= 1.0;
        break;
    case ViewMove::ZoomIn:
        viewport.Scale *= 1.5;
        break;
    case ViewMove::ZoomOut:
        viewport.Scale /= 1.5;
        break;
    }
}

bool ProjectToScreenExact(const ProjectionDescriptor& d, const GeoPoint& point, double& x,
                          double& y) {
    if (point.Latitude < -90.0 || point.Latitude > 90.0 || point.Longitude < -180.0 ||
        point.Longitude > 180.0)
        return false;
    // NaN passes the range test above; it has no place on the map either.
    if (std::isnan(point.Latitude) || std::isnan(point.Longitude)) return false;

    const double phi = point.Latitude * ForwardFactor;
    const double lambda = point.Longitude * ForwardFactor;
    const double phi0 = d.CentreLatitude * ForwardFactor;
    const double lambda0 = d.CentreLongitude * ForwardFactor;
    const double radius = d.Scale * d.Width;

    const double cosPhi = std::cos(phi), sinPhi = std::sin(phi);
    const double cosPhi0 = std::cos(phi0), sinPhi0 = std::sin(phi0);
    const double dl = lambda - lambda0;
    const double cosDl = std::cos(dl);
    const double xp = cosPhi * std::sin(dl);
    const double yp = cosPhi0 * sinPhi - sinPhi0 * cosPhi * cosDl;

    x = 0.5 * d.Width + xp * radius * d.StretchX + d.OffsetX;
    y = 0.5 * d.Height - yp * radius * d.StretchY + d.OffsetY;
    // On the far hemisphere, or exactly on its rim, nothing is shown.
    return sinPhi0 * sinPhi + cosPhi0 * cosPhi * cosDl > 0.0;
}

PixelPoint ProjectToScreen(const ProjectionDescriptor& d, const GeoPoint& point) {
    PixelPoint out{MissingPixel, MissingPixel};
    double x = 0.0, y = 0.0;
    // Outside the ranges or on the far hemisphere (a view of NaNs fails there too).
    if (!ProjectToScreenExact(d, point, x, y)) return out;
    x = ClampPixel(x);
    y = ClampPixel(y);
    // nearbyint rounds halves to even under the default rounding mode.
    out.X = static_cast<std::int32_t>(std::nearbyint(x));
    out.Y = static_cast<std::int32_t>(std::nearbyint(y));
    return out;
}

GeoPoint ScreenToGeo(const ProjectionDescriptor& d, double x, double y) {
    GeoPoint out{MissingCoordinate, MissingCoordinate};
    const double radius = d.Scale * d.Width;
    // A view without a radius has no inverse. The markers are returned as they are:
    // wrapping the missing longitude into range would turn it into a plausible number.
    if (radius == 0.0) return out;

    const double xs = x - d.OffsetX;
    const double ys = y - d.OffsetY;
    const double u = (0.5 * d.Width - xs) / radius / d.StretchX;
    const double v = (0.5 * d.Height - ys) / radius / d.StretchY;
    const double rho = std::sqrt(u * u + v * v);
    const double phi0 = d.CentreLatitude * ForwardFactor;
    // Off the globe's disc rho exceeds 1 and the arcsine clamps it to the rim.
    const double c = ArcSinDeg(rho) * InverseFactor;
    const double sinC = std::sin(c), cosC = std::cos(c);
    const double sinPhi0 = std::sin(phi0), cosPhi0 = std::cos(phi0);

    double t = 0.0;
    const double numerator = v * sinC * cosPhi0;
    if (rho != 0.0 && numerator != 0.0) t = numerator / rho;
    out.Latitude = ArcSinDeg(cosC * sinPhi0 + t);

    const double n = sinC * u;
    const double den = cosPhi0 * rho * cosC - sinPhi0 * v * sinC;
    if (n == 0.0 || den == 0.0)
        out.Longitude = d.CentreLongitude;
    else
        out.Longitude = d.CentreLongitude - std::atan(n / den) * 180.0 / Pi;

    if (out.Longitude < -180.0)
        out.Longitude += 360.0;
    else if (out.Longitude > 180.0)
        out.Longitude -= 360.0;
    return out;
}

} // namespace nimbrel
