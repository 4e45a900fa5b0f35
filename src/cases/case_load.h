#pragma once
// Opening a case: the clock and case folder a chosen catalogue line leads to.
#include <QString>

#include "app/folders.h"
#include "sim/clock.h"

namespace nimbrel {

/// Elapsed hours at which a case starts when it does not start at 1200 UTC: 0300 UTC
/// of the next day, when every chart of the day is already in.
inline constexpr int LateStartHours = 15;

struct CaseLoad {
    SimClock Clock;
    QString CaseDirectory;
};

/// The clock and folder for `line` (a case list line): CaseStart at 1200 UTC of the
/// day in its first ten characters, the simulation time 15 hours later unless
/// `startInMorning`, the date hidden as asked, and the case folder under `caseRoot`.
/// Throws ConvertError when the day does not convert; nothing is changed then.
CaseLoad PrepareCaseLoad(const QString& line, bool hideDate, bool startInMorning,
                         const QString& caseRoot);

/// Copies the prepared clock and case folder into the session's state.
void ApplyCaseLoad(const CaseLoad& load, SimClock& clock, DataFolders& folders);

} // namespace nimbrel
