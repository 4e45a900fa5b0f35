#pragma once
// The time stamps of a product. A product never shows its date: wherever a product of
// this style names the day, the month or the year it carries dashes, so that the
// trainee cannot learn the case date from it.
#include <QString>

#include "base/datetime.h"

namespace nimbrel {

struct ProductStamps {
    QString IssueTag;      ///< "--hhnnZ" at the issue time
    QString DateLine;      ///< "--- --- -- ----"
    QString ValidFromTag;  ///< "--hhnn" at the issue time rounded to the half hour
    QString ValidToDayTag; ///< "--", the next day
    QString LocalStart;    ///< "hnn AM" in CST (UTC - 6 h), rounded to the quarter hour
    QString LocalEnd;      ///< six hours after LocalStart, rounded to the hour
};

/// Rounds a DateTime to the nearest 1/steps of a day (halves to the even step).
DateTime RoundToStep(DateTime value, double stepsPerDay);

/// The stamps for a product issued at `simulationTime` (UTC).
ProductStamps ComputeProductStamps(DateTime simulationTime);

} // namespace nimbrel
