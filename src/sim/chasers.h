#pragma once
// The 49 simulated storm chasers. The table is 0-based: index i is chaser i + 1.
#include <array>
#include <cstdint>

#include "map/geodesy.h"

namespace nimbrel {

enum class ChaserMode : std::int32_t {
    Undecided = 0, Waiting = 1, StayingHome = 2, Chasing = 3, ReturningHome = 4
};

enum class ChaserOutcome : std::int32_t {
    Awaiting = 0, EmptyHanded = 1, CaughtStorm = 2, CaughtTornado = 3, Busted = 4,
    OutOfRange = 5, NotChasing = 7 // 6 is not used
};

inline constexpr double NoDistance = 999999.0;
inline constexpr double CatchRadius = 50.0;   ///< nm
inline constexpr double TornadoRadius = 20.0; ///< nm
inline constexpr int ChaserCount = 49;

struct Chaser {
    ChaserOutcome Outcome = ChaserOutcome::Awaiting;
    ChaserMode Mode = ChaserMode::Undecided;
    double Heading = 0.0;            ///< degrees clockwise from north
    double HourNearestTornado = NoDistance; ///< nm
    double NearestTornado = NoDistance;     ///< nm
    double NearestReport = NoDistance;      ///< nm
    GeoPoint Target{MissingCoordinate, 0.0};
    GeoPoint Position;
    GeoPoint Home;
};

using ChaserTable = std::array<Chaser, ChaserCount>;

/// The session reset of the chaser table: homes from the fixed table, every chaser back
/// home undecided and awaiting, no target, no distances; LastProductKind := 0.
/// Heading and the target's longitude keep their values.
void ResetChasers(ChaserTable& chasers, std::int32_t& lastProductKind);

/// The seven statistics counters, in the order of the panel's rows.
struct ChaserCounts {
    int NotChasing = 0, Awaiting = 0, EmptyHanded = 0, CaughtStorm = 0, CaughtTornado = 0,
        Busted = 0, OutOfRange = 0;
};

} // namespace nimbrel
