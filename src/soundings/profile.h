#pragma once
// One radiosonde sounding as the readers deliver it, whatever archive it came from:
// pressure, height, temperature, dew point and wind per level, missing values as NaN.
// The readers clean what real archives hold (rows below the ground, repeated or
// out-of-order pressures, levels with wind only) so that every later step can rely on
// levels ordered from the surface upwards.
#include <cmath>
#include <limits>
#include <vector>

#include <QByteArray>
#include <QString>

#include "base/datetime.h"

namespace nimbrel::soundings {

inline constexpr double Missing = std::numeric_limits<double>::quiet_NaN();

inline bool Has(double value) {
    return !std::isnan(value);
}

struct Level {
    double Pressure = Missing;    ///< hPa
    double Height = Missing;      ///< m above mean sea level
    double Temperature = Missing; ///< degrees C
    double DewPoint = Missing;    ///< degrees C
    double Direction = Missing;   ///< degrees the wind blows from
    double Speed = Missing;       ///< knots
    int Line = 0;                 ///< line of the file the level was read from
    bool HasThermo() const { return Has(Temperature) && Has(Height); }
    bool HasWind() const { return Has(Direction) && Has(Speed) && Has(Height); }
};

struct Sounding {
    QString Station;   ///< as the archive names it ("OUN", "72357", "USM00072357")
    DateTime Launch{}; ///< nominal time, UTC
    QString Source;    ///< the file it was read from, for messages
    QString Format;    ///< "uwyo", "spc" or "igra2"
    /// From the surface up: strictly decreasing pressure; the first level is the surface
    /// and has a temperature and a height.
    std::vector<Level> Levels;
};

/// Reads every sounding of `bytes`, recognising the format from its content: SPC text
/// (%TITLE% ... %RAW% ... %END%), IGRA version 2 ('#' header lines) or a University of
/// Wyoming TEXT:LIST table. `fileName` names the file in messages; `fallbackTime` dates a
/// Wyoming table, which carries no time of its own (from its name or the caller).
/// Throws DataError naming the file and line for input that cannot give a sounding.
std::vector<Sounding> ReadSoundings(const QByteArray& bytes, const QString& fileName,
                                    DateTime fallbackTime = 0.0);

/// Reads the file at `path` (at most 16 MiB); a Wyoming table is dated from a name of
/// the form STATION_YYYYMMDD_HHZ.
std::vector<Sounding> ReadSoundingFile(const QString& path);

/// Orders, de-duplicates and checks the levels of a sounding as read; throws DataError
/// (naming the file and line) when nothing usable is left or a value is absurd.
void CleanLevels(Sounding& sounding);

/// The station identifier used in the program's station table for an archive name:
/// three letters stay as they are (upper case); a WMO number or IGRA identifier of a
/// station of the table gives its three letters; anything else is returned unchanged.
QString StationLetters(const QString& archiveName);

} // namespace nimbrel::soundings
