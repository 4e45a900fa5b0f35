#pragma once
// The replay of the day: the reports and chasers of one recorded hour, drawn over a map.
#include <cstddef>

#include "reports/report_layer.h"
#include "sim/day_record.h"

class QPainter;

namespace nimbrel {

/// Draws recorded hour `index` of `record`: every report that had arrived by then with
/// the report layer's symbols, those of that hour ringed so they stand out, then each
/// chaser at its recorded place with its outcome's icon (the statistics panel's
/// pictures), centred on the place. An index past the last hour draws nothing.
void DrawReplayHour(QPainter& painter, const ScreenProjector& project, const DayRecord& record,
                    std::size_t index);
/// The same without the report symbols, for a map that draws the reports its own way:
/// the rings of the hour's reports and the chasers (unless the hour has none recorded).
void DrawReplayMarks(QPainter& painter, const ScreenProjector& project, const DayRecord& record,
                     std::size_t index);

} // namespace nimbrel
