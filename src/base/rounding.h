#pragma once
// Rounding used wherever the program turns a computed value into pixels, miles or a
// time step. Halves go to the even neighbour, so a value exactly between two steps is
// not always pushed the same way.
#include <cmath>

namespace nimbrel {

/// Nearest whole number; x.5 goes to the even one (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
inline double RoundHalfEven(double x) {
    const double lower = std::floor(x);
    const double diff = x - lower;
    if (diff > 0.5) return lower + 1.0;
    if (diff < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

} // namespace nimbrel
