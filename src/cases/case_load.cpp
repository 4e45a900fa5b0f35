#include "cases/case_load.h"

#include <optional>

#include "base/errors.h"
#include "cases/catalogue.h"

namespace nimbrel {

CaseLoad PrepareCaseLoad(const QString& line, bool hideDate, bool startInMorning,
                         const QString& caseRoot) {
    const CaseDay day = ParseCaseDay(line);
    const std::optional<DateTime> date = TryEncodeDate(day.Year, day.Month, day.Day);
    if (!date) throw ConvertError(QStringLiteral("'%1' is not a valid date").arg(day.FolderName));
    const DateTime noon = *date + EncodeTime(12, 0, 0);

    CaseLoad load;
    load.Clock.DateHidden = hideDate;
    load.Clock.CaseStart = noon;
    load.Clock.ElapsedHours = startInMorning ? 0 : LateStartHours;
    load.Clock.SimulationTime = noon + load.Clock.ElapsedHours / 24.0;
    load.CaseDirectory = caseRoot + day.FolderName + QLatin1Char('/');
    return load;
}

void ApplyCaseLoad(const CaseLoad& load, SimClock& clock, DataFolders& folders) {
    clock = load.Clock;
    folders.CaseDirectory = load.CaseDirectory;
}

} // namespace nimbrel
