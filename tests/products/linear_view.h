#pragma once
// A stand-in for the map's inverse projection in product tests: four pixels to the
// degree, pixel (0, 0) at 50N 112W, y growing southwards. Quarter degrees are exact
// in binary, so a sample can land exactly on a region's edge.
#include "map/geodesy.h"

namespace nimbrel::test {

inline GeoPoint LinearView(double x, double y) {
    return GeoPoint{50.0 - y / 4.0, -112.0 + x / 4.0};
}

/// The pixel of a position in LinearView.
inline int PixelX(double longitude) {
    return static_cast<int>((longitude + 112.0) * 4.0);
}
inline int PixelY(double latitude) {
    return static_cast<int>((50.0 - latitude) * 4.0);
}

} // namespace nimbrel::test
