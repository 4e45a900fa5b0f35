#pragma once
#include <array>
#include <cstdint>

#include <QString>

namespace nimbrel {

/// One upper-air station of the sounding map: identifiers ("DEN" or "OKC/OUN") and
/// the pixel position of the station on "greatplains.gif".
struct SoundingStation {
    QString Identifiers;
    std::int32_t X = 0;
    std::int32_t Y = 0;
};

using StationTable = std::array<SoundingStation, 20>;

/// The fixed table of the 20 stations.
void FillStationTable(StationTable& table);

} // namespace nimbrel
