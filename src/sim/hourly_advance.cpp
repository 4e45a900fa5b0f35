#include "sim/hourly_advance.h"

#include <QFileInfo>

#include "app/session.h"
#include "base/prompts.h"
#include "base/records.h"
#include "reports/report_file.h"

namespace nimbrel {

void RefreshWorkingReports(const DataFolders& folders) {
    const QString source = folders.CaseDirectory + QStringLiteral("rpt.dat");
    const QString target = folders.AppDataDirectory + QStringLiteral("rpt.dat");
    if (QFileInfo::exists(source))
        CopyWholeFile(source, target);
    else
        WriteWholeFile(target, QByteArray());
}

std::optional<AdvanceResult> HourlyAdvance(Session& session, Prompts& prompts,
                                           const std::function<void()>& clockStepped) {
    SimClock& clock = session.Clock;
    if (clock.ElapsedHours >= LastElapsedHour) {
        prompts.Information(DayOverText);
        return std::nullopt;
    }
    if (clock.ElapsedHours >= DarkElapsedHour) prompts.Information(DarknessText);

    // The first advance also records the hour it starts from, so a replay begins with
    // the chasers at home.
    const bool recordStart = session.Replay.Empty();
    const DateTime startClock = clock.SimulationTime;
    const int startHour = clock.ElapsedHours;
    const ChaserTable startChasers = session.Chasers;

    AdvanceOneHour(clock);
    if (clockStepped) clockStepped();

    HourContext context;
    context.LastProductKind = session.LastProductKind;
    context.ProductThisHour = session.ProductThisHour;
    context.TimeOfDay = TimeOfDay(clock);
    ChaserHourStep(session.Chasers, context, session.Polygon, session.Rng);

    RefreshWorkingReports(session.Folders);

    AdvanceResult result;
    const DateTime now = clock.SimulationTime;
    std::vector<StormReport> fileReports;
    ForEachReport(session.Folders.AppDataDirectory + QStringLiteral("rpt.dat"),
                  [&](const StormReport& report) {
                      fileReports.push_back(report);
                      if (AgeOf(report, now) != ReportAge::Recent) return;
                      ++result.ReportsTakenIn;
                      for (Chaser& c : session.Chasers)
                          FoldReport(c, report, GreatCircleDistance(c.Position, report.Start));
                  });

    for (Chaser& c : session.Chasers)
        c.HourNearestTornado = NoDistance;
    result.Counts = ClassifyChasers(session.Chasers);
    session.ProductThisHour = 0;
    if (recordStart) RecordHour(session.Replay, startClock, startHour, startChasers, fileReports);
    RecordHour(session.Replay, now, clock.ElapsedHours, session.Chasers, fileReports);
    return result;
}

} // namespace nimbrel
