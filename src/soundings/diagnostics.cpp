// Parcel and wind diagnostics.
//
// Thermodynamics follow Bolton (1980, Mon. Wea. Rev. 108, 1046-1053):
// - saturation vapour pressure over water, his eq. 10:
//     es(T) = 6.112 exp(17.67 T / (T + 243.5)) hPa, T in C;
// - the LCL temperature, his eq. 15 (from temperature and dew point, K):
//     T_L = 1 / (1 / (Td - 56) + ln(T / Td) / 800) + 56,
//   and the LCL pressure from Poisson's equation, p_L = p (T_L / T)^(cp/Rd);
// - equivalent potential temperature, his eq. 43, to pick the most unstable parcel.
// Saturated ascent is pseudo-adiabatic, integrated (4th-order Runge-Kutta, steps of at
// most 5 hPa) from dT/dp = (Rd T + Lv rs) / p / (cp + Lv^2 rs eps / (Rd T^2)) (e.g.
// Bakhshaii and Stull 2013; the form MetPy's moist_lapse integrates).
// Buoyancy uses virtual temperature for both parcel and environment (Doswiler and
// Rasmussen 1994, Wea. Forecasting 9, 625-629), and the LCL is inserted as a level:
// without it the CIN of a parcel that saturates between two reported levels is halved.
// CAPE = Rd * integral of (Tv_parcel - Tv_env) d ln p from the LFC to the EL, CIN the
// same integral from the parcel's start to the LFC (never positive), the zero crossings
// found by linear interpolation in ln p. The LFC is the lowest level at or above the LCL
// where the parcel turns (or already is) warmer than its surroundings, the EL the top of
// the highest such layer; a parcel still buoyant at the sounding's top has no EL.
//
// Winds follow Bunkers et al. (2000, Wea. Forecasting 15, 61-79) for storm motion: the
// 0-6 km mean wind plus 7.5 m/s to the right (left) of the shear between the 0-0.5 km
// and 5.5-6 km mean winds. Layer means are pressure-weighted (trapezoid in pressure);
// a layer's bounds are found in height (pressure linear in height) and winds at them
// interpolated linearly in ln p. Storm-relative helicity is the discrete form of
// Davies-Jones et al. (1990): sum over layers of (u[k+1]-cx)(v[k]-cy) - (u[k]-cx)(v[k+1]-cy),
// with the layer's ends interpolated linearly in height.
#include "diagnostics.h"

#include <algorithm>
#include <cmath>

namespace nimbrel::soundings {
namespace {

constexpr double Rd = 287.04749;  // J/(kg K), dry air
constexpr double Cp = 1004.6662;  // J/(kg K)
constexpr double Kappa = Rd / Cp; // Poisson exponent
constexpr double Lv = 2.50084e6;  // J/kg, latent heat of vaporisation
constexpr double Eps = 0.6219569; // Rd / Rv
constexpr double G = 9.80665;     // m/s2
constexpr double Kelvin = 273.15;
constexpr double MetresPerSecondPerKnot = 0.514444;

double Lerp(double a, double b, double f) {
    return a + (b - a) * f;
}

// Values at a pressure, linear in ln p between the bracketing entries of (p, value);
// p decreasing. NaN outside.
double AtPressure(const std::vector<double>& p, const std::vector<double>& v, double at) {
    if (p.empty() || at > p.front() + 1e-9 || at < p.back() - 1e-9) return Missing;
    for (std::size_t k = 1; k < p.size(); ++k)
        if (at >= p[k]) {
            const double f = std::log(p[k - 1] / at) / std::log(p[k - 1] / p[k]);
            return Lerp(v[k - 1], v[k], f);
        }
    return v.back();
}

// Linear interpolation in an increasing x.
double AtX(const std::vector<double>& x, const std::vector<double>& v, double at) {
    if (x.empty() || at < x.front() - 1e-9 || at > x.back() + 1e-9) return Missing;
    for (std::size_t k = 1; k < x.size(); ++k)
        if (at <= x[k]) return Lerp(v[k - 1], v[k], (at - x[k - 1]) / (x[k] - x[k - 1]));
    return v.back();
}

double DewPointOfVapour(double e) {
    const double l = std::log(e / 6.112);
    return 243.5 * l / (17.67 - l);
}

double ThetaE(double p, double t, double td) {
    // Bolton (1980) eq. 43, r in g/kg.
    const double r = MixingRatio(p, td) * 1000.0;
    const double tk = t + Kelvin;
    const double tl = LiftedCondensationLevel(p, t, td).second + Kelvin;
    return tk * std::pow(1000.0 / p, 0.2854 * (1.0 - 0.28e-3 * r)) *
           std::exp((3.376 / tl - 0.00254) * r * (1.0 + 0.81e-3 * r));
}

double MoistSlope(double p, double tk) {
    const double es = SaturationVapourPressure(tk - Kelvin);
    const double rs = Eps * es / (p - es);
    return (Rd * tk + Lv * rs) / p / (Cp + Lv * Lv * rs * Eps / (Rd * tk * tk));
}

// The thermodynamic levels (temperature and height) of a sounding.
struct Thermo {
    std::vector<double> P, Z, T, Td, Tv; // Td NaN where missing
    double SurfaceHeight = 0.0;
};

Thermo ThermoOf(const Sounding& s) {
    Thermo th;
    for (const Level& l : s.Levels) {
        if (!l.HasThermo()) continue;
        th.P.push_back(l.Pressure);
        th.Z.push_back(l.Height);
        th.T.push_back(l.Temperature);
        th.Td.push_back(l.DewPoint);
        th.Tv.push_back(VirtualTemperature(l.Pressure, l.Temperature, l.DewPoint));
    }
    th.SurfaceHeight = th.Z.front();
    return th;
}

double HeightAgl(const Thermo& th, double p) {
    return AtPressure(th.P, th.Z, p) - th.SurfaceHeight;
}

Parcel Lift(const Thermo& th, double p0, double t0, double td0) {
    Parcel pc;
    pc.StartPressure = p0;
    pc.StartTemperature = t0;
    pc.StartDewPoint = td0;
    const auto [pl, tl] = LiftedCondensationLevel(p0, t0, td0);
    pc.LclPressure = pl;
    pc.LclHeight = HeightAgl(th, pl);
    const double w0 = MixingRatio(p0, td0);

    // The grid: the start, every level above it, and the LCL.
    std::vector<double> grid{p0};
    for (double p : th.P)
        if (p < p0 - 1e-6) grid.push_back(p);
    if (pl < p0 && pl > th.P.back()) {
        grid.push_back(pl);
        std::sort(grid.begin(), grid.end(), std::greater<>());
        grid.erase(std::unique(grid.begin(), grid.end(),
                               [](double a, double b) { return std::abs(a - b) < 1e-6; }),
                   grid.end());
    }
    std::vector<double> buoyancy;
    double moistP = pl, moistT = tl + Kelvin; // carried upward along the moist adiabat
    for (double p : grid) {
        double tp = 0.0, tvp = 0.0;
        if (p >= pl) {
            tp = (t0 + Kelvin) * std::pow(p / p0, Kappa);
            tvp = tp * (1.0 + w0 / Eps) / (1.0 + w0);
        } else {
            moistT = MoistAdiabat(moistP, moistT - Kelvin, p) + Kelvin;
            moistP = p;
            tp = moistT;
            const double ws = MixingRatio(p, tp - Kelvin);
            tvp = tp * (1.0 + ws / Eps) / (1.0 + ws);
        }
        const double te = AtPressure(th.P, th.T, p);
        const double tve = AtPressure(th.P, th.Tv, p);
        pc.PathPressure.push_back(p);
        pc.PathTemperature.push_back(tp - Kelvin);
        pc.PathEnvironment.push_back(te);
        buoyancy.push_back(tvp - tve);
    }
    // Lifted index: at 500 mb, virtual temperatures as for CAPE.
    if (grid.front() >= 500.0 && grid.back() <= 500.0) {
        std::vector<double> tvp(grid.size());
        for (std::size_t k = 0; k < grid.size(); ++k)
            tvp[k] = buoyancy[k] + AtPressure(th.P, th.Tv, grid[k]);
        pc.LiftedIndex = AtPressure(th.P, th.Tv, 500.0) - AtPressure(grid, tvp, 500.0);
    }

    // Crossings of zero buoyancy (ln p), the LFC and EL from them.
    const std::size_t n = grid.size();
    auto crossing = [&](std::size_t k) { // between k and k+1
        const double f = buoyancy[k] / (buoyancy[k] - buoyancy[k + 1]);
        return std::exp(Lerp(std::log(grid[k]), std::log(grid[k + 1]), f));
    };
    double lfc = Missing, el = Missing;
    for (std::size_t k = 0; k < n; ++k) {
        if (grid[k] > pl + 1e-9) continue;
        if (buoyancy[k] > 0.0 &&
            (k == 0 || grid[k] >= pl - 1e-9 || (buoyancy[k - 1] > 0.0 && grid[k - 1] > pl))) {
            lfc = grid[k];
            break;
        }
        if (k + 1 < n && buoyancy[k] <= 0.0 && buoyancy[k + 1] > 0.0) {
            lfc = crossing(k);
            break;
        }
    }
    if (Has(lfc) && buoyancy.back() <= 0.0) { // still buoyant at the top: no EL
        for (std::size_t k = n - 1; k > 0 && grid[k - 1] <= lfc + 1e-9; --k)
            if (buoyancy[k - 1] > 0.0 && buoyancy[k] <= 0.0) {
                el = crossing(k - 1);
                break;
            }
        if (!Has(el)) el = lfc;
    }
    // Integrate Rd * B d ln p over [lower, upper] pressures of the grid.
    auto area = [&](double bottom, double top) {
        double sum = 0.0;
        for (std::size_t k = 0; k + 1 < n; ++k) {
            const double a = std::min(grid[k], bottom), b = std::max(grid[k + 1], top);
            if (a <= b) continue;
            const double fa = std::log(grid[k] / a) / std::log(grid[k] / grid[k + 1]);
            const double fb = std::log(grid[k] / b) / std::log(grid[k] / grid[k + 1]);
            double ba = Lerp(buoyancy[k], buoyancy[k + 1], fa);
            double bb = Lerp(buoyancy[k], buoyancy[k + 1], fb);
            const double span = std::log(a / b);
            if (ba * bb < 0.0) { // split at the zero
                const double z = ba / (ba - bb);
                sum += Rd * (ba / 2.0 * z * span + bb / 2.0 * (1.0 - z) * span);
            } else {
                sum += Rd * (ba + bb) / 2.0 * span;
            }
        }
        return sum;
    };
    if (Has(lfc)) {
        pc.LfcPressure = lfc;
        pc.LfcHeight = HeightAgl(th, lfc);
        pc.Cape = std::max(0.0, area(lfc, Has(el) ? el : grid.back()));
        pc.Cin = std::min(0.0, area(p0, lfc));
        if (Has(el)) {
            pc.ElPressure = el;
            pc.ElHeight = HeightAgl(th, el);
        }
    }
    return pc;
}

// Winds of the levels that have them, heights above ground.
struct Winds {
    std::vector<double> P, Z, U, V;
};

Winds WindsOf(const Sounding& s) {
    Winds w;
    double surface = Missing;
    for (const Level& l : s.Levels)
        if (l.HasThermo()) {
            surface = l.Height;
            break;
        }
    for (const Level& l : s.Levels) {
        if (!l.HasWind()) continue;
        const double speed = l.Speed * MetresPerSecondPerKnot;
        const double rad = l.Direction * M_PI / 180.0;
        w.P.push_back(l.Pressure);
        w.Z.push_back(l.Height - surface);
        w.U.push_back(-speed * std::sin(rad));
        w.V.push_back(-speed * std::cos(rad));
    }
    return w;
}

// A layer between two heights above ground: pressures at its ends from height, winds at
// its ends in ln p, and the levels inside.
struct Layer {
    std::vector<double> P, U, V;
};

Layer LayerOf(const Winds& w, double bottom, double top) {
    Layer layer;
    if (w.Z.size() < 2) return layer;
    const double pb = AtX(w.Z, w.P, bottom), pt = AtX(w.Z, w.P, top);
    if (!Has(pb) || !Has(pt)) return layer;
    layer.P.push_back(pb);
    layer.U.push_back(AtPressure(w.P, w.U, pb));
    layer.V.push_back(AtPressure(w.P, w.V, pb));
    for (std::size_t k = 0; k < w.P.size(); ++k)
        if (w.P[k] < pb - 1e-9 && w.P[k] > pt + 1e-9) {
            layer.P.push_back(w.P[k]);
            layer.U.push_back(w.U[k]);
            layer.V.push_back(w.V[k]);
        }
    layer.P.push_back(pt);
    layer.U.push_back(AtPressure(w.P, w.U, pt));
    layer.V.push_back(AtPressure(w.P, w.V, pt));
    return layer;
}

Wind MeanWind(const Winds& w, double bottom, double top) {
    const Layer l = LayerOf(w, bottom, top);
    if (l.P.size() < 2) return {};
    double su = 0.0, sv = 0.0;
    for (std::size_t k = 0; k + 1 < l.P.size(); ++k) {
        const double dp = l.P[k + 1] - l.P[k];
        su += (l.U[k] + l.U[k + 1]) / 2.0 * dp;
        sv += (l.V[k] + l.V[k + 1]) / 2.0 * dp;
    }
    const double depth = l.P.back() - l.P.front();
    return {su / depth, sv / depth};
}

} // namespace

double Wind::Direction() const {
    if (!Has(U) || !Has(V)) return Missing;
    const double d = std::atan2(-U, -V) * 180.0 / M_PI;
    return d < 0.0 ? d + 360.0 : d;
}

double Wind::Knots() const {
    return std::hypot(U, V) / MetresPerSecondPerKnot;
}

double SaturationVapourPressure(double celsius) {
    return 6.112 * std::exp(17.67 * celsius / (celsius + 243.5));
}

double MixingRatio(double pressure, double dewPoint) {
    const double e = SaturationVapourPressure(dewPoint);
    return Eps * e / (pressure - e);
}

double VirtualTemperature(double pressure, double celsius, double dewPoint) {
    const double tk = celsius + Kelvin;
    if (!Has(dewPoint)) return tk;
    const double w = MixingRatio(pressure, dewPoint);
    return tk * (1.0 + w / Eps) / (1.0 + w);
}

std::pair<double, double> LiftedCondensationLevel(double pressure, double celsius,
                                                  double dewPoint) {
    const double t = celsius + Kelvin, td = dewPoint + Kelvin;
    const double tl = 1.0 / (1.0 / (td - 56.0) + std::log(t / td) / 800.0) + 56.0;
    return {pressure * std::pow(tl / t, 1.0 / Kappa), tl - Kelvin};
}

double MoistAdiabat(double fromPressure, double celsius, double toPressure) {
    double p = fromPressure, t = celsius + Kelvin;
    const int steps = std::max(1, int(std::ceil(std::abs(toPressure - fromPressure) / 5.0)));
    const double h = (toPressure - fromPressure) / steps;
    for (int k = 0; k < steps; ++k) {
        const double k1 = MoistSlope(p, t);
        const double k2 = MoistSlope(p + h / 2, t + h / 2 * k1);
        const double k3 = MoistSlope(p + h / 2, t + h / 2 * k2);
        const double k4 = MoistSlope(p + h, t + h * k3);
        t += h / 6.0 * (k1 + 2 * k2 + 2 * k3 + k4);
        p += h;
    }
    return t - Kelvin;
}

Wind BulkShear(const Sounding& s, double bottom, double top) {
    const Layer l = LayerOf(WindsOf(s), bottom, top);
    if (l.P.size() < 2) return {};
    return {l.U.back() - l.U.front(), l.V.back() - l.V.front()};
}

double Helicity(const Sounding& s, double depth, const Wind& storm) {
    const Winds w = WindsOf(s);
    if (w.Z.size() < 2 || !Has(storm.U) || w.Z.front() > 1e-6 || w.Z.back() < depth) return Missing;
    std::vector<double> u{AtX(w.Z, w.U, 0.0)}, v{AtX(w.Z, w.V, 0.0)};
    for (std::size_t k = 0; k < w.Z.size(); ++k)
        if (w.Z[k] > 1e-9 && w.Z[k] < depth - 1e-9) {
            u.push_back(w.U[k]);
            v.push_back(w.V[k]);
        }
    u.push_back(AtX(w.Z, w.U, depth));
    v.push_back(AtX(w.Z, w.V, depth));
    double sum = 0.0;
    for (std::size_t k = 0; k + 1 < u.size(); ++k)
        sum += (u[k + 1] - storm.U) * (v[k] - storm.V) - (u[k] - storm.U) * (v[k + 1] - storm.V);
    return sum;
}

Diagnostics Diagnose(const Sounding& s) {
    Diagnostics d;
    const Thermo th = ThermoOf(s);
    const double p0 = th.P.front();

    if (Has(th.Td.front())) d.SurfaceBased = Lift(th, p0, th.T.front(), th.Td.front());

    // Mixed layer: mean potential temperature and mixing ratio of the lowest 100 mb,
    // pressure-weighted, lifted from the surface.
    {
        std::vector<double> p, theta, w;
        for (std::size_t k = 0; k < th.P.size(); ++k)
            if (th.P[k] >= p0 - 100.0 && Has(th.Td[k])) {
                p.push_back(th.P[k]);
                theta.push_back((th.T[k] + Kelvin) * std::pow(1000.0 / th.P[k], Kappa));
                w.push_back(MixingRatio(th.P[k], th.Td[k]));
            }
        const double top = p0 - 100.0;
        if (!p.empty() && p.back() > top && th.P.back() <= top) {
            const double t = AtPressure(th.P, th.T, top), td = AtPressure(th.P, th.Td, top);
            if (Has(t) && Has(td)) {
                p.push_back(top);
                theta.push_back((t + Kelvin) * std::pow(1000.0 / top, Kappa));
                w.push_back(MixingRatio(top, td));
            }
        }
        if (p.size() >= 2 && p.front() == p0) {
            double st = 0.0, sw = 0.0;
            for (std::size_t k = 0; k + 1 < p.size(); ++k) {
                const double dp = p[k] - p[k + 1];
                st += (theta[k] + theta[k + 1]) / 2.0 * dp;
                sw += (w[k] + w[k + 1]) / 2.0 * dp;
            }
            const double depth = p.front() - p.back();
            const double t = st / depth * std::pow(p0 / 1000.0, Kappa) - Kelvin;
            const double mw = sw / depth;
            const double td = std::min(t, DewPointOfVapour(mw * p0 / (Eps + mw)));
            d.MixedLayer = Lift(th, p0, t, td);
        }
    }
    // Most unstable: the level of highest equivalent potential temperature in the
    // lowest 300 mb.
    {
        double best = -1.0;
        std::size_t at = 0;
        for (std::size_t k = 0; k < th.P.size() && th.P[k] >= p0 - 300.0; ++k) {
            if (!Has(th.Td[k])) continue;
            const double te = ThetaE(th.P[k], th.T[k], th.Td[k]);
            if (te > best) {
                best = te;
                at = k;
            }
        }
        if (best > 0.0) d.MostUnstable = Lift(th, th.P[at], th.T[at], th.Td[at]);
    }
    // Precipitable water, surface to 400 mb: (1/g) * integral of w dp.
    {
        std::vector<double> p, w;
        for (std::size_t k = 0; k < th.P.size() && th.P[k] > 400.0; ++k)
            if (Has(th.Td[k])) {
                p.push_back(th.P[k]);
                w.push_back(MixingRatio(th.P[k], th.Td[k]));
            }
        const double td400 = AtPressure(th.P, th.Td, 400.0);
        if (!p.empty() && Has(td400)) {
            p.push_back(400.0);
            w.push_back(MixingRatio(400.0, td400));
            double sum = 0.0;
            for (std::size_t k = 0; k + 1 < p.size(); ++k)
                sum += (w[k] + w[k + 1]) / 2.0 * (p[k] - p[k + 1]) * 100.0;
            d.PrecipitableWater = sum / G; // kg/m2 = mm
        }
    }
    {
        // Of the virtual temperature, as SPC's sounding tables give it.
        const double t7 = AtPressure(th.P, th.Tv, 700.0), t5 = AtPressure(th.P, th.Tv, 500.0);
        const double z7 = AtPressure(th.P, th.Z, 700.0), z5 = AtPressure(th.P, th.Z, 500.0);
        if (Has(t7) && Has(t5)) d.LapseRate700500 = (t7 - t5) / (z5 - z7) * 1000.0;
    }
    if (th.T.front() <= 0.0) {
        d.FreezingLevel = 0.0;
    } else {
        for (std::size_t k = 1; k < th.T.size(); ++k)
            if (th.T[k] <= 0.0) {
                const double f = th.T[k - 1] / (th.T[k - 1] - th.T[k]);
                d.FreezingLevel = Lerp(th.Z[k - 1], th.Z[k], f) - th.SurfaceHeight;
                break;
            }
    }

    const Winds w = WindsOf(s);
    auto shear = [&](double bottom, double top) -> Wind {
        const Layer l = LayerOf(w, bottom, top);
        if (l.P.size() < 2) return {};
        return {l.U.back() - l.U.front(), l.V.back() - l.V.front()};
    };
    // The ground's wind: the layers start at the lowest wind, which must be the surface's.
    if (!w.Z.empty() && std::abs(w.Z.front()) < 1e-6) {
        d.Shear01 = shear(0.0, 1000.0);
        d.Shear06 = shear(0.0, 6000.0);
        d.MeanWind06 = MeanWind(w, 0.0, 6000.0);
        const Wind low = MeanWind(w, 0.0, 500.0), high = MeanWind(w, 5500.0, 6000.0);
        if (Has(d.MeanWind06.U) && Has(low.U) && Has(high.U)) {
            const double su = high.U - low.U, sv = high.V - low.V;
            const double mag = std::hypot(su, sv);
            if (mag > 0.0) {
                const double du = 7.5 * sv / mag, dv = -7.5 * su / mag;
                d.BunkersRight = {d.MeanWind06.U + du, d.MeanWind06.V + dv};
                d.BunkersLeft = {d.MeanWind06.U - du, d.MeanWind06.V - dv};
            }
        }
        d.Srh01 = Helicity(s, 1000.0, d.BunkersRight);
        d.Srh03 = Helicity(s, 3000.0, d.BunkersRight);
    }
    return d;
}

} // namespace nimbrel::soundings
