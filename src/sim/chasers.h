#pragma once
// The 49 simulated storm chasers. The table is 0-based: index i is chaser i + 1.
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "map/geodesy.h"
#include "reports/report_file.h"

namespace nimbrel {
class RandomGenerator;
struct ForecastPolygon;
} // namespace nimbrel

namespace nimbrel {

enum class ChaserMode : std::int32_t {
    Undecided = 0,
    Waiting = 1,
    StayingHome = 2,
    Chasing = 3,
    ReturningHome = 4
};

enum class ChaserOutcome : std::int32_t {
    Awaiting = 0,
    EmptyHanded = 1,
    CaughtStorm = 2,
    CaughtTornado = 3,
    Busted = 4,
    OutOfRange = 5,
    NotChasing = 7 // 6 is not used
};

inline constexpr double NoDistance = 999999.0;
inline constexpr double CatchRadius = 50.0;   ///< nm
inline constexpr double TornadoRadius = 20.0; ///< nm
inline constexpr int ChaserCount = 49;

struct Chaser {
    ChaserOutcome Outcome = ChaserOutcome::Awaiting;
    ChaserMode Mode = ChaserMode::Undecided;
    double Heading = 0.0;                   ///< degrees clockwise from north
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
    friend bool operator==(const ChaserCounts&, const ChaserCounts&) = default;
};

/// Distance every chaser on the road covers in one hour, nautical miles.
inline constexpr double HourlyMove = 45.0;
/// A returning chaser closer to home than this (nm) is put home at once.
inline constexpr double HomeRadius = 50.0;
/// Tornado reports closer than this (nm) pull a chaser towards them.
inline constexpr double TornadoPullRadius = 120.0;

/// Percent chance that an undecided (or, in an hour with a product, waiting) chaser goes
/// out, by the kind of the last product issued.
int GoOutChance(std::int32_t lastProductKind);

/// The heading of one hourly move: `bearing` (degrees) quantised to a cardinal direction,
/// then turned by `jitterDraw`, a draw of Random(HeadingJitterValues): 0 turns 45 degrees
/// anticlockwise, 1 turns 45 degrees clockwise, the others keep the heading. A northbound
/// chaser turned anticlockwise keeps heading north.
inline constexpr int HeadingJitterValues = 4;
double MoveHeading(double bearing, int jitterDraw);

/// What the hour step reads besides the table.
struct HourContext {
    std::int32_t LastProductKind = 0;
    std::int32_t ProductThisHour = 0;
    double TimeOfDay = 0.5; ///< fraction of a day since 0000 UTC of the new clock time
};

/// Moves every chaser one hour: deciding, second chance, first target, night return and
/// the 45 nm move, chaser by chaser and step by step, drawing from `rng` in that order.
/// A chasing chaser takes its first target from the forecast area's centre line; while
/// no area is drawn it takes none (and draws nothing for it) and waits where it is.
void ChaserHourStep(ChaserTable& chasers, const HourContext& context,
                    const ForecastPolygon& polygon, RandomGenerator& rng);

/// Folds one recent report into one chaser, `distance` being nm from the chaser's
/// position to the report's start: tornadoes retarget and update both nearest
/// distances, hail updates the nearest report, other kinds change nothing.
void FoldReport(Chaser& chaser, const StormReport& report, double distance);

/// The distance (nm) from which on folding a report of `kind` changes nothing for the
/// chaser: every comparison FoldReport makes is "distance below a field or a radius".
/// Minus infinity for the kinds that change nothing at all.
inline double FoldReach(const Chaser& chaser, std::int32_t kind) {
    if (kind == static_cast<std::int32_t>(ReportKind::Tornado))
        return std::max({std::min(chaser.HourNearestTornado, TornadoPullRadius),
                         chaser.NearestTornado, chaser.NearestReport});
    if (kind == static_cast<std::int32_t>(ReportKind::Hail)) return chaser.NearestReport;
    return -std::numeric_limits<double>::infinity();
}

/// Sets every chaser's outcome and counts them. Chasers still waiting or undecided keep
/// the outcome Awaiting but are in no counter.
ChaserCounts ClassifyChasers(ChaserTable& chasers);

} // namespace nimbrel
