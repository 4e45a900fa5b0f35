#pragma once
// The scorecard as a comma-separated file, for an instructor collecting a class's work.
#include <QByteArray>

#include "base/datetime.h"
#include "debrief/scoring.h"

namespace nimbrel {

/// Blocks, each under its own header row: one "product" row per product; one "exercise"
/// row of totals; when the reports were read, one "outlook_grid" row per outlook and
/// one "watch_events" row per watch; one "corner" row per corner of each product
/// (latitude and longitude, degrees); one "note_entry" row per entry of the forecast
/// notebook. New columns only ever go at the end of a row. A value that cannot be given
/// (no report inside, reports not read) is an empty field; a "note" row carries the
/// report file's problem with file names only, never the folders of the machine. Times
/// are UTC, "yyyy-mm-dd hh:nn"; lines end in CR LF.
QByteArray ScoreCsv(const ExerciseScore& score, DateTime caseStart);

} // namespace nimbrel
