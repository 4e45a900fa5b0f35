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
    return clock.SimulationTime - std::floor(clock.SimulationTime);
}

QString CurrentDateText(const SimClock& clock) {
    if (clock.DateHidden) return HiddenDateText;
    return FormatDateTime(QStringLiteral("ddd dd mmm yyyy"), clock.SimulationTime);
}

QString CurrentTimeText(const SimClock& clock) {
    return FormatDateTime(QStringLiteral("hh:mm"), clock.SimulationTime) + QStringLiteral(" UTC");
}

} // namespace nimbrel
