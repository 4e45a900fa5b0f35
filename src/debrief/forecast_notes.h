#pragma once
// The trainee's forecast notebook: short entries written at any time of the exercise,
// each stamped with the simulation time, kept with the products for the score.
#include <vector>

#include <QString>

#include "base/datetime.h"

namespace nimbrel {

struct ForecastNote {
    DateTime Time = 0.0; ///< simulation time of the entry
    QString Text;
};
using ForecastNotes = std::vector<ForecastNote>;

/// Adds `text` (trimmed) stamped `time`; nothing is added for blank text. Returns
/// whether an entry was added.
bool AddForecastNote(ForecastNotes& notes, DateTime time, const QString& text);
/// "1530 UTC: text" - the hour only, so a note never shows the hidden date.
QString ForecastNoteLine(const ForecastNote& note);
/// The notes written by `clock` (ends included), in the order written.
ForecastNotes NotesBy(const ForecastNotes& notes, DateTime clock);

} // namespace nimbrel
