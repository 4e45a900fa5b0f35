#pragma once
// What a forecaster reads off a sounding: three lifted parcels, moisture, lapse rate,
// freezing level, shear, storm motion and helicity. Computed from a cleaned Sounding;
// a quantity that does not exist for the sounding (no LFC, no 500 mb level) is NaN.
#include <vector>

#include "profile.h"

namespace nimbrel::soundings {

/// A lifted parcel: where it starts and what it finds.
struct Parcel {
    double StartPressure = Missing;                             ///< hPa
    double StartTemperature = Missing, StartDewPoint = Missing; ///< C
    double Cape = 0.0;                                          ///< J/kg, from the LFC to the EL
    double Cin = 0.0; ///< J/kg (zero or negative), from the start to the LFC
    double LclPressure = Missing, LclHeight = Missing; ///< hPa, m above ground
    double LfcPressure = Missing, LfcHeight = Missing;
    double ElPressure = Missing, ElHeight = Missing;
    double LiftedIndex = Missing; ///< C, environment minus parcel at 500 mb
    /// The parcel's path, for drawing: pressure (hPa), the parcel's and the
    /// environment's temperature (C), upwards from the start, with the LCL among them.
    std::vector<double> PathPressure, PathTemperature, PathEnvironment;
};

struct Wind {
    double U = Missing, V = Missing; ///< m/s, towards the east and north
    double Direction() const;        ///< degrees the wind blows from
    double Knots() const;
};

struct Diagnostics {
    Parcel SurfaceBased, MixedLayer, MostUnstable;
    double PrecipitableWater = Missing; ///< mm, surface to 400 mb
    double LapseRate700500 = Missing;   ///< C/km, of the virtual temperature
    double FreezingLevel = Missing;     ///< m above ground, lowest 0 C
    Wind Shear01, Shear06;              ///< bulk wind difference
    Wind MeanWind06;                    ///< pressure-weighted 0-6 km mean wind
    Wind BunkersRight, BunkersLeft;
    double Srh01 = Missing, Srh03 = Missing; ///< m2/s2, relative to the right mover
};

Diagnostics Diagnose(const Sounding& sounding);

// The pieces, for the tests and the drawing.
double SaturationVapourPressure(double celsius);                             ///< hPa
double MixingRatio(double pressure, double dewPoint);                        ///< kg/kg
double VirtualTemperature(double pressure, double celsius, double dewPoint); ///< K
/// LCL of air at (pressure, temperature, dew point): pressure (hPa) and temperature (C).
std::pair<double, double> LiftedCondensationLevel(double pressure, double celsius, double dewPoint);
/// Temperature (C) of saturated air lifted (or lowered) pseudo-adiabatically.
double MoistAdiabat(double fromPressure, double celsius, double toPressure);
/// Bulk wind difference across a layer from `bottom` to `top` metres above ground.
Wind BulkShear(const Sounding& sounding, double bottom, double top);
/// Storm-relative helicity from the ground to `depth` metres, for a storm moving at `storm`.
double Helicity(const Sounding& sounding, double depth, const Wind& storm);

} // namespace nimbrel::soundings
