#pragma once
// The one operation that moves a session forward: one simulated hour.
#include <functional>
#include <optional>

#include <QString>

#include "sim/chasers.h"

namespace nimbrel {

struct Session;
struct DataFolders;
class Prompts;
class ReportStore;

inline const QString DayOverText = QStringLiteral(
    "No further weather data or chase moves are available.  Use \"Reveal Case Date\" button "
    "to view information.");
inline const QString DarknessText = QStringLiteral(
    "No further weather data is available and it is dark.  Any chasers on the road are "
    "returning home.");

/// The advance is refused from this many elapsed hours on (1100 UTC of the next day)...
inline constexpr int LastElapsedHour = 23;
/// ...and warns of darkness from this many on (0300 UTC).
inline constexpr int DarkElapsedHour = 15;

/// What an accepted advance produced.
struct AdvanceResult {
    ChaserCounts Counts;    ///< the seven statistics counters
    int ReportsTakenIn = 0; ///< recent reports folded into the chasers this hour
};

/// Makes the working copy of the report file equal the case's own: a byte copy of
/// CaseDirectory + "rpt.dat", or an empty file when the case has none, and points
/// ReportsFile at it. When the per-user folder refuses the copy, ReportsFile points at
/// the case's own file (the bytes are the same) or is "" when the case has none; a
/// case file that cannot be read still throws.
void RefreshWorkingReports(DataFolders& folders);
/// The same, and `store` keeps the records of the bytes just written, so that the
/// working copy is not read straight back (or forgets them when the copy was refused).
void RefreshWorkingReports(DataFolders& folders, ReportStore& store);

/// One hourly advance on the session: the day-over test (with its two messages), the
/// clock step (then `clockStepped`, so the time display follows at once), the chaser
/// hour step, the working copy refresh, the intake of the last hour's reports in file
/// order, the classification and ProductThisHour := 0. Returns nothing when the day is
/// over. A file failure throws part-way: the clock step and the moves stay, and the
/// caller's statistics keep their old values because no result comes back.
std::optional<AdvanceResult> HourlyAdvance(Session& session, Prompts& prompts,
                                           const std::function<void()>& clockStepped = {});

} // namespace nimbrel
