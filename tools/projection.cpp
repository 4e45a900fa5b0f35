#include "projection.h"

#include <cmath>
#include <numbers>

#include "base/errors.h"

namespace nimbrel::tools {
namespace {
constexpr double Rad = std::numbers::pi / 180.0;
double TanHalf(double latitude) {
    return std::tan(std::numbers::pi / 4 + latitude * Rad / 2);
}
} // namespace

QPointF LambertConic::Project(const LatLon& p) const {
    const double n = std::log(std::cos(Parallel1 * Rad) / std::cos(Parallel2 * Rad)) /
                     std::log(TanHalf(Parallel2) / TanHalf(Parallel1));
    const double f = std::cos(Parallel1 * Rad) * std::pow(TanHalf(Parallel1), n) / n;
    const double rho = f / std::pow(TanHalf(p.Latitude), n);
    const double rho0 = f / std::pow(TanHalf(OriginLatitude), n);
    const double theta = n * (p.Longitude - OriginLongitude) * Rad;
    return {rho * std::sin(theta), rho0 - rho * std::cos(theta)};
}

std::vector<double> SolveLinear(std::vector<std::vector<double>> m, std::vector<double> b) {
    const std::size_t n = b.size();
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t r = col + 1; r < n; ++r)
            if (std::abs(m[r][col]) > std::abs(m[pivot][col])) pivot = r;
        if (std::abs(m[pivot][col]) < 1e-12)
            throw DataError(QStringLiteral("Singular system in a projection fit"));
        std::swap(m[col], m[pivot]);
        std::swap(b[col], b[pivot]);
        for (std::size_t r = 0; r < n; ++r) {
            if (r == col) continue;
            const double f = m[r][col] / m[col][col];
            if (f == 0.0) continue;
            for (std::size_t k = col; k < n; ++k)
                m[r][k] -= f * m[col][k];
            b[r] -= f * b[col];
        }
    }
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = b[i] / m[i][i];
    return x;
}

Affine FitAffine(const std::vector<QPointF>& from, const std::vector<QPointF>& to) {
    if (from.size() != to.size() || from.size() < 3)
        throw DataError(QStringLiteral("An affine fit needs at least three point pairs"));
    // Normal equations of the least-squares problem, one 3 x 3 system per coordinate.
    std::vector<std::vector<double>> m(3, std::vector<double>(3, 0.0));
    std::vector<double> bx(3, 0.0), by(3, 0.0);
    for (std::size_t i = 0; i < from.size(); ++i) {
        const double row[3] = {from[i].x(), from[i].y(), 1.0};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                m[r][c] += row[r] * row[c];
            bx[r] += row[r] * to[i].x();
            by[r] += row[r] * to[i].y();
        }
    }
    const std::vector<double> cx = SolveLinear(m, bx), cy = SolveLinear(m, by);
    return Affine{{cx[0], cx[1], cx[2], cy[0], cy[1], cy[2]}};
}

namespace {
double Kernel(double r2) {
    return r2 <= 0.0 ? 0.0 : 0.5 * r2 * std::log(r2);
} // r^2 log r
} // namespace

ThinPlateSpline::ThinPlateSpline(const std::vector<QPointF>& from, const std::vector<QPointF>& to)
    : from_(from) {
    const std::size_t n = from.size();
    if (to.size() != n || n < 3)
        throw DataError(QStringLiteral("A spline needs at least three point pairs"));
    const std::size_t size = n + 3;
    std::vector<std::vector<double>> m(size, std::vector<double>(size, 0.0));
    std::vector<double> bx(size, 0.0), by(size, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            const QPointF d = from[i] - from[j];
            m[i][j] = Kernel(d.x() * d.x() + d.y() * d.y());
        }
        const double affine[3] = {1.0, from[i].x(), from[i].y()};
        for (std::size_t k = 0; k < 3; ++k) {
            m[i][n + k] = affine[k];
            m[n + k][i] = affine[k];
        }
        bx[i] = to[i].x();
        by[i] = to[i].y();
    }
    wx_ = SolveLinear(m, bx);
    wy_ = SolveLinear(m, by);
}

QPointF ThinPlateSpline::Map(QPointF p) const {
    if (from_.empty()) return p;
    const std::size_t n = from_.size();
    double x = wx_[n] + wx_[n + 1] * p.x() + wx_[n + 2] * p.y();
    double y = wy_[n] + wy_[n + 1] * p.x() + wy_[n + 2] * p.y();
    for (std::size_t i = 0; i < n; ++i) {
        const QPointF d = p - from_[i];
        const double k = Kernel(d.x() * d.x() + d.y() * d.y());
        x += wx_[i] * k;
        y += wy_[i] * k;
    }
    return {x, y};
}

} // namespace nimbrel::tools
