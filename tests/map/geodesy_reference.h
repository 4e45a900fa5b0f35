#pragma once
// Great-circle reference pairs shared by the geodesy and measuring tests.
#include "map/geodesy.h"

namespace nimbrel {

// Reference values from GeographicLib's GeodSolve on a sphere whose radius makes one
// degree of great circle exactly 60 units (a = 10800/pi, f = 0), computed once.
struct InverseCase {
    GeoPoint From, To;
    double Bearing;  // degrees, 0..360
    double Distance; // nautical miles
};
inline const InverseCase InverseTable[] = {
    {{35, -100}, {36, -100}, 0.0, 60.0},
    {{35, -100}, {35, -99}, 89.713206896757370, 49.1489174229},
    {{0, 0}, {0, 1}, 90.0, 60.0},
    {{0, 0}, {0, -1}, 270.0, 60.0},
    {{35.22, -97.44}, {39.05, -94.58}, 29.911783907646587, 267.3994916896},
    {{30.5, -98.2}, {41.3, -87.6}, 35.479840061046545, 826.4589128620},
    {{40, -100}, {40, -80}, 83.533645605725496, 917.3124067553},
    {{33, -102}, {33.01, -101.98}, 59.190503671710005, 1.1716379860},
    {{45, -90}, {20, -110}, 360.0 - 139.964914416328554, 1798.5531460690},
};

} // namespace nimbrel
