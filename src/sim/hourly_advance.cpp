#include "sim/hourly_advance.h"

#include <QFileInfo>

#include "app/session.h"
#include "base/errors.h"
#include "base/prompts.h"
#include "base/records.h"
#include "reports/report_file.h"

namespace nimbrel {

void RefreshWorkingReports(DataFolders& folders) {
    const QString source = folders.CaseDirectory + QStringLiteral("rpt.dat");
    const QString target = folders.AppDataDirectory + QStringLiteral("rpt.dat");
    const bool present = QFileInfo::exists(source);
    const QByteArray bytes =
        present ? ReadWholeFile(source, MaxRecordsPerFile * qint64(StormReport::RecordSize))
                : QByteArray();
    try {
        WriteWholeFile(target, bytes);
        folders.ReportsFile = target;
    } catch (const FileError&) {
        // The folder was said to refuse writes at start; the copy only mirrors the
        // case's file, so that file serves as well.
        folders.ReportsFile = present ? source : QString();
    }
}

std::optional<AdvanceResult> HourlyAdvance(Session& session, Prompts& prompts,
                                           const std::function<void()>& clockStepped) {
    SimClock& clock = session.Clock;
    if (clock.ElapsedHours >= LastElapsedHour) {
        prompts.Information(DayOverText);
        return std::nullopt;
    }
    if (clock.ElapsedHours >= DarkElapsedHour) prompts.Information(DarknessText);

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
    if (!session.Folders.ReportsFile.isEmpty())
        ForEachReport(session.Folders.ReportsFile, [&](const StormReport& report) {
            if (AgeOf(report, now) != ReportAge::Recent) return;
            ++result.ReportsTakenIn;
            for (Chaser& c : session.Chasers)
                FoldReport(c, report, GreatCircleDistance(c.Position, report.Start));
        });

    for (Chaser& c : session.Chasers)
        c.HourNearestTornado = NoDistance;
    result.Counts = ClassifyChasers(session.Chasers);
    session.ProductThisHour = 0;
    return result;
}

} // namespace nimbrel
