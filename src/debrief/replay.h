#pragma once
// The replay of the day in the Exercise score window: the score map as it stood at each
// recorded hour, with the reports that had arrived, the products issued by then and the
// chasers where they were.
#include <cstddef>
#include <cstdint>
#include <vector>

#include <QImage>
#include <QSize>
#include <QString>

#include "debrief/day_record.h"
#include "debrief/score_map.h"
#include "debrief/scoring.h"

class QPainter;

namespace nimbrel {

struct ReplayDay {
    /// The score map without reports and products: geography, practically perfect areas.
    ScoreMapInputs Base;
    /// Every product in issue order, drawn in its kind's style.
    std::vector<ProductRecord> Products;
    /// The trainee's notes, each shown from the hour it was written.
    ForecastNotes Notes;
    /// The hours to step through.
    DayRecord Record;
    /// False when no hour was advanced: the hours are the case window's, with the day's
    /// reports and the products alone.
    bool Recorded = true;

    // Worked out once by MakeReplay for every step, from the fields above as it left
    // them, beside Base.Cache (the map's fixed part and the report symbols). A replay put
    // together otherwise has them empty, and each step works them out afresh.
    /// Whether Record.Reports[i] lies inside Products[k]: Inside[i * Products.size() + k].
    std::vector<std::uint8_t> Inside;
    /// ReplayPictureSize, the same for every step.
    QSize PictureSize;
};

/// The replay of `score` over `record`, on the map of `viewport` with `geography`. An
/// empty record (a case revealed without advancing) gives the hours of the case window,
/// 1200 UTC of `caseStart` to 1200 UTC of the next day, with the case window's reports
/// and no chasers.
ReplayDay MakeReplay(const ExerciseScore& score, const DayRecord& record, DateTime caseStart,
                     const ProjectionDescriptor& viewport, const QImage& geography);

/// Number of steps: one per recorded hour.
std::size_t ReplayHours(const ReplayDay& replay);
/// "1500 UTC": the clock of step `index`.
QString ReplayHourText(const ReplayDay& replay, std::size_t index);
/// What the replay says of itself in the legend: the hour and, when nothing was
/// advanced, that only reports and products are shown.
QString ReplayNote(const ReplayDay& replay, std::size_t index);
/// The map's inputs at step `index`: reports arrived, products issued (faded once
/// expired), the notes written by then.
ScoreMapInputs ReplayStepInputs(const ReplayDay& replay, std::size_t index);
/// The size of every step's picture: the map and the tallest legend of the day.
QSize ReplayPictureSize(const ReplayDay& replay);

/// Draws step `index`: the score map with the reports that had arrived by that hour
/// (filled when inside a product already issued), the products issued by then in their
/// styles (faded once expired), the practically perfect area faintly throughout, the
/// chasers at their recorded places with the statistics panel's icons beneath the
/// reports, and the hour's own reports ringed.
void DrawReplayStep(QPainter& painter, const ReplayDay& replay, std::size_t index);
/// Step `index` on a picture of ReplayPictureSize.
QImage RenderReplayStep(const ReplayDay& replay, std::size_t index);

/// The statistics panel's tally at recorded hour `index`, counted from the chasers'
/// outcomes as recorded; all zero past the last hour and for hours made up without
/// chasers.
ChaserCounts TallyAt(const DayRecord& record, std::size_t index);
/// The same at the last recorded hour: this exercise's tally as the last advance left
/// it, all zero before the first advance.
ChaserCounts TallyAtLastHour(const DayRecord& record);

/// Milliseconds per hour of the replay's speeds, slowest first.
inline constexpr int ReplaySpeedsMs[] = {2000, 1000, 500, 250};

} // namespace nimbrel
