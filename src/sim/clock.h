#pragma once
// The simulation clock: the case day's 1200 UTC and whole hours since then.
#include <QString>

#include "base/datetime.h"

namespace nimbrel {

struct SimClock {
    DateTime CaseStart = 0.0;
    int ElapsedHours = 0;
    DateTime SimulationTime = 0.0;
    bool DateHidden = false;
};

/// The program's starting value: 10 April 1979 1200 UTC, date shown.
void SetInitialClock(SimClock& clock);
/// ElapsedHours += 1 and SimulationTime follows.
void AdvanceOneHour(SimClock& clock);
/// Fraction of a day since 0000 UTC of SimulationTime (0.5 at 1200 UTC).
double TimeOfDay(const SimClock& clock);

inline const QString HiddenDateText = QStringLiteral("--- -- ----");
/// The date label's text: the hidden form or "ddd dd mmm yyyy".
QString CurrentDateText(const SimClock& clock);
/// The time label's text: "hh:mm UTC".
QString CurrentTimeText(const SimClock& clock);

} // namespace nimbrel
