#include "sim/clock.h"

#include <cmath>

namespace nimbrel {

void SetInitialClock(SimClock& clock) {
    clock.CaseStart = StrToDateTime(QStringLiteral("04/10/1979 12:00:00"));
    clock.ElapsedHours = 0;
    clock.SimulationTime = clock.CaseStart;
    clock.DateHidden = false;
}

void AdvanceOneHour(SimClock& clock) {
    clock.ElapsedHours += 1;
    clock.SimulationTime = clock.CaseStart + clock.ElapsedHours / 24.0;
}

double TimeOfDay(const SimClock& clock) {
    // SimulationTime is a day number plus a fraction, so its fraction carries the
    // rounding of that sum: on 10 April 1979, 0200 UTC comes out a hair before 2/24 and
    // the chasers' night return would wait an hour. The clock only stands on whole
    // hours, so the time of day is taken to the millisecond, which gives the same
    // fraction, and the same thresholds, on every case day.
    constexpr double MsPerDay = 86400000.0;
    double ms = std::fmod(std::round(clock.SimulationTime * MsPerDay), MsPerDay);
    if (ms < 0) ms += MsPerDay;
    return ms / MsPerDay;
}

QString CurrentDateText(const SimClock& clock) {
    if (clock.DateHidden) return HiddenDateText;
    return FormatDateTime(QStringLiteral("ddd dd mmm yyyy"), clock.SimulationTime);
}

QString CurrentTimeText(const SimClock& clock) {
    return FormatDateTime(QStringLiteral("hh:mm"), clock.SimulationTime) + QStringLiteral(" UTC");
}

} // namespace nimbrel
