#pragma once
// The scorecard as a comma-separated file, for an instructor collecting a class's work.
#include <QByteArray>

#include "base/datetime.h"
#include "products/scoring.h"

namespace nimbrel {

/// Three blocks, each under its own header row: one "product" row per product; one
/// "exercise" row of totals; one "corner" row per corner of each product (latitude and
/// longitude, degrees). A value that cannot be given (no report inside, reports not
/// read) is an empty field; a "note" row carries the report file's problem. Times are
/// UTC, "yyyy-mm-dd hh:nn"; lines end in CR LF.
QByteArray ScoreCsv(const ExerciseScore& score, DateTime caseStart);

} // namespace nimbrel
