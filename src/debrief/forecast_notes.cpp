#include "debrief/forecast_notes.h"

namespace nimbrel {

bool AddForecastNote(ForecastNotes& notes, DateTime time, const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    notes.push_back({time, t});
    return true;
}

QString ForecastNoteLine(const ForecastNote& note) {
    return FormatDateTime(QStringLiteral("hhnn"), note.Time) + QStringLiteral(" UTC: ") + note.Text;
}

ForecastNotes NotesBy(const ForecastNotes& notes, DateTime clock) {
    // Times are sums of day numbers and fractions: a tolerance far below a second.
    constexpr double Tolerance = 1e-9;
    ForecastNotes out;
    for (const ForecastNote& n : notes)
        if (n.Time <= clock + Tolerance) out.push_back(n);
    return out;
}

} // namespace nimbrel
