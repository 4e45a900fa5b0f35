#pragma once
// The replay of the day: what marks one recorded hour over a map that draws the reports
// its own way (the score map).
#include <cstddef>

#include "reports/report_layer.h"
#include "sim/day_record.h"

class QPainter;

namespace nimbrel {

/// Draws over recorded hour `index` of `record`: a ring around each report that arrived
/// in that hour, so the last hour stands out, then each chaser at its recorded place
/// with its outcome's icon (the statistics panel's pictures), centred on the place.
/// Hours made up without chasers get the rings only; an index past the last hour
/// draws nothing.
void DrawReplayMarks(QPainter& painter, const ScreenProjector& project, const DayRecord& record,
                     std::size_t index);

} // namespace nimbrel
