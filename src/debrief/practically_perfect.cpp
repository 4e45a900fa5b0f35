#include "debrief/practically_perfect.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nimbrel {
namespace {

constexpr double Rad = std::numbers::pi / 180.0;
// The program's sphere: one degree of great circle is 60 nautical miles of 1.852 km.
constexpr double EarthRadiusKm = 60.0 * 1.852 / Rad;
constexpr double CentreLat = 35.0 * Rad;
constexpr double CentreLon = -100.0 * Rad;
constexpr double KmPerMile = 1.609344;

// The target map's starting view (1000 x 800 pixels on a globe of 3000 pixels' radius)
// spans about +-1060 km by +-850 km around its centre: grid points -14..14 by -11..11.
constexpr int DomainHalfColumns = 14;
constexpr int DomainHalfRows = 11;
// Event points beyond this many grid steps add under 1e-6 (d > 5.3 sigma).
constexpr int KernelReach = 8;

int RoundToInt(double x) {
    return static_cast<int>(std::lround(x));
}

} // namespace

PlanePoint ToPlane(const GeoPoint& p) {
    // Lambert azimuthal equal-area on the sphere:
    //   k = sqrt(2 / (1 + sin phi0 sin phi + cos phi0 cos phi cos(lambda - lambda0)))
    //   x = R k cos phi sin(lambda - lambda0)
    //   y = R k (cos phi0 sin phi - sin phi0 cos phi cos(lambda - lambda0))
    const double phi = p.Latitude * Rad;
    const double dl = p.Longitude * Rad - CentreLon;
    const double denom = 1.0 + std::sin(CentreLat) * std::sin(phi) +
                         std::cos(CentreLat) * std::cos(phi) * std::cos(dl);
    // The antipode has no image; put it as far out as the projection goes.
    const double k = denom > 1e-12 ? std::sqrt(2.0 / denom) : 0.0;
    return {EarthRadiusKm * k * std::cos(phi) * std::sin(dl),
            EarthRadiusKm * k *
                (std::cos(CentreLat) * std::sin(phi) -
                 std::sin(CentreLat) * std::cos(phi) * std::cos(dl))};
}

GeoPoint FromPlane(const PlanePoint& p) {
    // rho = sqrt(x^2 + y^2), c = 2 asin(rho / 2R)
    //   phi = asin(cos c sin phi0 + y sin c cos phi0 / rho)
    //   lambda = lambda0 + atan2(x sin c, rho cos phi0 cos c - y sin phi0 sin c)
    const double rho = std::hypot(p.X, p.Y);
    if (rho < 1e-9) return {CentreLat / Rad, CentreLon / Rad};
    const double c = 2.0 * std::asin(std::min(1.0, rho / (2.0 * EarthRadiusKm)));
    const double phi = std::asin(std::clamp(std::cos(c) * std::sin(CentreLat) +
                                                p.Y * std::sin(c) * std::cos(CentreLat) / rho,
                                            -1.0, 1.0));
    const double lambda =
        CentreLon + std::atan2(p.X * std::sin(c), rho * std::cos(CentreLat) * std::cos(c) -
                                                      p.Y * std::sin(CentreLat) * std::sin(c));
    return {phi / Rad, lambda / Rad};
}

GridIndex NearestGridPoint(const GeoPoint& p) {
    const PlanePoint q = ToPlane(p);
    return {RoundToInt(q.X / PerfectGridKm), RoundToInt(q.Y / PerfectGridKm)};
}

double PerfectField::At(int i, int j) const {
    const int c = i - FirstI, r = j - FirstJ;
    if (c < 0 || r < 0 || c >= Columns || r >= Rows) return 0.0;
    return Probability[static_cast<std::size_t>(r) * static_cast<std::size_t>(Columns) +
                       static_cast<std::size_t>(c)];
}

double PerfectField::Peak() const {
    return Probability.empty() ? 0.0 : *std::max_element(Probability.begin(), Probability.end());
}

std::vector<GridIndex> PerfectField::PointsAtLeast(double threshold) const {
    std::vector<GridIndex> out;
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Columns; ++c)
            if (At(FirstI + c, FirstJ + r) >= threshold) out.push_back({FirstI + c, FirstJ + r});
    return out;
}

PerfectField PracticallyPerfectField(const std::vector<GeoPoint>& reports) {
    PerfectField f;
    for (const GeoPoint& p : reports) {
        // A point without a position marks nothing (and must not stretch the grid).
        if (!std::isfinite(p.Latitude) || !std::isfinite(p.Longitude) ||
            std::abs(p.Latitude) > 90.0 || std::abs(p.Longitude) > 360.0)
            continue;
        const GridIndex g = NearestGridPoint(p);
        if (std::find(f.EventPoints.begin(), f.EventPoints.end(), g) == f.EventPoints.end())
            f.EventPoints.push_back(g);
    }
    int minI = -DomainHalfColumns, maxI = DomainHalfColumns;
    int minJ = -DomainHalfRows, maxJ = DomainHalfRows;
    for (const GridIndex& e : f.EventPoints) {
        minI = std::min(minI, e.I - KernelReach);
        maxI = std::max(maxI, e.I + KernelReach);
        minJ = std::min(minJ, e.J - KernelReach);
        maxJ = std::max(maxJ, e.J + KernelReach);
    }
    f.FirstI = minI;
    f.FirstJ = minJ;
    f.Columns = maxI - minI + 1;
    f.Rows = maxJ - minJ + 1;
    f.Probability.assign(static_cast<std::size_t>(f.Columns) * static_cast<std::size_t>(f.Rows),
                         0.0);

    // The kernel depends only on the grid offset: exp(-(di^2 + dj^2) Delta^2 / (2 sigma^2))
    // times the weight Delta^2 / (2 pi sigma^2).
    constexpr double s2 = PerfectSigmaKm * PerfectSigmaKm;
    constexpr double d2 = PerfectGridKm * PerfectGridKm;
    const double weight = d2 / (2.0 * std::numbers::pi * s2);
    constexpr std::size_t Side = 2 * KernelReach + 1;
    std::array<double, Side * Side> kernel{};
    // Index of grid offset (di, dj) in the kernel table.
    auto at = [](int di, int dj) {
        return static_cast<std::size_t>(dj + KernelReach) * Side +
               static_cast<std::size_t>(di + KernelReach);
    };
    for (int dj = -KernelReach; dj <= KernelReach; ++dj)
        for (int di = -KernelReach; di <= KernelReach; ++di)
            kernel[at(di, dj)] = weight * std::exp(-(di * di + dj * dj) * d2 / (2.0 * s2));

    for (const GridIndex& e : f.EventPoints)
        for (int dj = -KernelReach; dj <= KernelReach; ++dj) {
            const auto row =
                static_cast<std::size_t>(e.J + dj - f.FirstJ) * static_cast<std::size_t>(f.Columns);
            for (int di = -KernelReach; di <= KernelReach; ++di)
                f.Probability[row + static_cast<std::size_t>(e.I + di - f.FirstI)] +=
                    kernel[at(di, dj)];
        }
    for (double& p : f.Probability)
        p = std::min(p, 1.0);
    return f;
}

std::array<GeoPoint, 4> GridBoxCorners(const GridIndex& point) {
    const double h = PerfectGridKm / 2.0;
    const double x = point.I * PerfectGridKm, y = point.J * PerfectGridKm;
    return {FromPlane({x - h, y - h}), FromPlane({x + h, y - h}), FromPlane({x + h, y + h}),
            FromPlane({x - h, y + h})};
}

double GridBoxSquareMiles() {
    return (PerfectGridKm / KmPerMile) * (PerfectGridKm / KmPerMile);
}

} // namespace nimbrel
