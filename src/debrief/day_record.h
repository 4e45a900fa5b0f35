#pragma once
// What the target map showed at every hour of the day, kept for the replay after the
// reveal: the clock, each chaser's place and state, and the reports that had arrived.
#include <array>
#include <cstdint>
#include <vector>

#include "base/datetime.h"
#include "map/geodesy.h"
#include "reports/report_file.h"
#include "sim/chasers.h"

namespace nimbrel {

/// One chaser as the map drew it.
struct ChaserMark {
    GeoPoint Position;
    ChaserMode Mode = ChaserMode::Undecided;
    ChaserOutcome Outcome = ChaserOutcome::Awaiting;
};

/// The map at one hour.
struct HourState {
    DateTime Clock = 0.0;
    int ElapsedHours = 0;
    std::array<ChaserMark, ChaserCount> Chasers{};
    /// The first ReportsArrived entries of DayRecord::Reports had arrived by this hour.
    std::size_t ReportsArrived = 0;
    /// False for hours made up from the reports alone, where no chaser was recorded.
    bool WithChasers = true;
};

/// The day as recorded, hour by hour. Reports are kept once each, in the order they
/// arrived, so the reports of an hour and before are a prefix of Reports.
struct DayRecord {
    std::vector<StormReport> Reports;
    std::vector<HourState> Hours;

    void Clear() {
        Reports.clear();
        Hours.clear();
    }
    bool Empty() const { return Hours.empty(); }
};

/// Records the map at `clock`: the chasers' places and states, and among `fileReports`
/// (the report file as read this hour, in file order) those that had arrived by
/// `clock` and not by the hour recorded last. Hours are recorded in order; a clock not
/// after the last recorded hour replaces nothing and records nothing.
void RecordHour(DayRecord& record, DateTime clock, int elapsedHours, const ChaserTable& chasers,
                const std::vector<StormReport>& fileReports);

/// The reports shown at recorded hour `index`: [0, ReportsArrived) of Reports, of which
/// [FirstOfHour, ReportsArrived) arrived in that hour (all of them at the first hour).
struct HourReports {
    std::size_t FirstOfHour = 0;
    std::size_t ReportsArrived = 0;
    /// False for hours made up from the reports alone, where no chaser was recorded.
    bool WithChasers = true;
};
HourReports ReportsAt(const DayRecord& record, std::size_t index);

} // namespace nimbrel
