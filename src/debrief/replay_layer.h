#pragma once
// The replay of the day: what marks one recorded hour over a map that draws the reports
// its own way (the score map).
#include <cstddef>

#include "debrief/day_record.h"
#include "reports/report_layer.h"

class QPainter;

namespace nimbrel {

/// Draws over recorded hour `index` of `record`: a ring around each report that arrived
/// in that hour, so the last hour stands out, then each chaser at its recorded place
/// with its outcome's icon (the statistics panel's pictures), centred on the place.
/// Hours made up without chasers get the rings only; an index past the last hour
/// draws nothing.
void DrawReplayMarks(QPainter& painter, const ScreenProjector& project, const DayRecord& record,
                     std::size_t index);
/// The two halves of DrawReplayMarks, for a map that draws its reports between them:
/// the chasers first, the rings last.
void DrawReplayChasers(QPainter& painter, const ScreenProjector& project, const DayRecord& record,
                       std::size_t index);
void DrawReplayRings(QPainter& painter, const ScreenProjector& project, const DayRecord& record,
                     std::size_t index);

} // namespace nimbrel
