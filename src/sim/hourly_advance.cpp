#include "sim/hourly_advance.h"

#include <array>

#include <QFileInfo>

#include "app/session.h"
#include "base/errors.h"
#include "base/prompts.h"
#include "base/records.h"
#include "reports/report_file.h"

namespace nimbrel {

namespace {

// The bytes now in the working copy, or nothing when the per-user folder refused them.
std::optional<QByteArray> CopyCaseReports(DataFolders& folders) {
    const QString source = folders.CaseDirectory + QStringLiteral("rpt.dat");
    const QString target = folders.AppDataDirectory + QStringLiteral("rpt.dat");
    const bool present = QFileInfo::exists(source);
    const QByteArray bytes =
        present ? ReadWholeFile(source, MaxRecordsPerFile * qint64(StormReport::RecordSize))
                : QByteArray();
    try {
        // Remade from the case's file at every start and every advance: not worth
        // waiting for the disk each hour.
        WriteRemadeFile(target, bytes);
        folders.ReportsFile = target;
        return bytes;
    } catch (const FileError&) {
        // The folder was said to refuse writes at start; the copy only mirrors the
        // case's file, so that file serves as well.
        folders.ReportsFile = present ? source : QString();
        return std::nullopt;
    }
}

} // namespace

void RefreshWorkingReports(DataFolders& folders) {
    CopyCaseReports(folders);
}

void RefreshWorkingReports(DataFolders& folders, ReportStore& store) {
    const std::optional<QByteArray> written = CopyCaseReports(folders);
    if (written)
        store.Written(folders.ReportsFile, *written);
    else
        store.Forget();
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

    // Rewritten at every advance, so that it always equals the case's file; the records
    // are taken from the bytes written instead of reading the file straight back.
    RefreshWorkingReports(session.Folders, session.WorkingReports);

    AdvanceResult result;
    const DateTime now = clock.SimulationTime;
    // The case's reports: none when it has no file and the working copy was refused.
    static const ReportList NoReports;
    const ReportList& reports = session.Folders.ReportsFile.isEmpty()
                                    ? NoReports
                                    : session.WorkingReports.Read(session.Folders.ReportsFile);
    // Chasers do not move while the reports are folded in, so the sines and cosines of
    // every latitude are worked out once here instead of once per pair.
    std::array<TrigPoint, ChaserCount> chaserPoints;
    for (std::size_t i = 0; i < chaserPoints.size(); ++i)
        chaserPoints[i] = WithLatitudeTrig(session.Chasers[i].Position);
    for (const StormReport& report : reports.Records) {
        if (AgeOf(report, now) != ReportAge::Recent) continue;
        ++result.ReportsTakenIn;
        // Only tornadoes and hail change a chaser; the distance to any other report
        // would be worked out for nothing.
        const auto kind = static_cast<ReportKind>(report.Kind);
        if (kind != ReportKind::Tornado && kind != ReportKind::Hail) continue;
        const TrigPoint start = WithLatitudeTrig(report.Start);
        for (std::size_t i = 0; i < chaserPoints.size(); ++i) {
            Chaser& chaser = session.Chasers[i];
            // Once a chaser has reports near it, most others are too far off to change
            // anything; a floor of the distance tells them without the arccosine. The
            // pairs that could matter get the distance exactly as before.
            if (PreparedDistanceAtLeast(chaserPoints[i], start, FoldReach(chaser, report.Kind)))
                continue;
            FoldReport(chaser, report, PreparedDistance(chaserPoints[i], start));
        }
    }
    auto recordHours = [&] {
        if (recordStart)
            RecordHour(session.Replay, startClock, startHour, startChasers, reports.Records);
        RecordHour(session.Replay, now, clock.ElapsedHours, session.Chasers, reports.Records);
    };
    if (!reports.CutShort.isEmpty()) {
        // The hour stands on the map with the reports before the cut; the replay keeps
        // it as shown.
        recordHours();
        reports.ThrowIfCutShort();
    }

    for (Chaser& c : session.Chasers)
        c.HourNearestTornado = NoDistance;
    result.Counts = ClassifyChasers(session.Chasers);
    session.ProductThisHour = 0;
    recordHours();
    return result;
}

} // namespace nimbrel
