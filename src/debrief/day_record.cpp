#include "debrief/day_record.h"

namespace nimbrel {

void RecordHour(DayRecord& record, DateTime clock, int elapsedHours, const ChaserTable& chasers,
                const std::vector<StormReport>& fileReports) {
    const HourState* previous = record.Hours.empty() ? nullptr : &record.Hours.back();
    // Same tolerance as the report ages: hours are sums of fractions of a day.
    if (previous && clock <= previous->Clock + 1e-9) return;
    for (const StormReport& report : fileReports) {
        if (AgeOf(report, clock) == ReportAge::NotYet) continue;
        if (previous && AgeOf(report, previous->Clock) != ReportAge::NotYet) continue;
        record.Reports.push_back(report);
    }
    HourState hour;
    hour.Clock = clock;
    hour.ElapsedHours = elapsedHours;
    for (std::size_t i = 0; i < chasers.size(); ++i)
        hour.Chasers[i] = ChaserMark{chasers[i].Position, chasers[i].Mode, chasers[i].Outcome};
    hour.ReportsArrived = record.Reports.size();
    record.Hours.push_back(hour);
}

HourReports ReportsAt(const DayRecord& record, std::size_t index) {
    if (index >= record.Hours.size()) return {};
    const std::size_t arrived = record.Hours[index].ReportsArrived;
    return {index == 0 ? 0 : record.Hours[index - 1].ReportsArrived, arrived};
}

} // namespace nimbrel
