#include "products/replay.h"

#include <QPainter>

#include "map/replay_layer.h"

namespace nimbrel {

namespace {

// Times are sums of day numbers and fractions: a tolerance far below a second.
constexpr double Tolerance = 1e-9;

} // namespace

ReplayDay MakeReplay(const ExerciseScore& score, const DayRecord& record, DateTime caseStart,
                     const ProjectionDescriptor& viewport, const QImage& geography) {
    ReplayDay replay;
    replay.Base = ScoreMapFrom(score, viewport, geography);
    replay.Base.Reports.clear();
    replay.Base.Products.clear();
    replay.Base.Note.clear();
    // Faint, so the day's own reports and products stand out over it.
    replay.Base.PerfectOpacity = 70;
    for (const ProductScore& p : score.Products)
        replay.Products.push_back(p.Record);
    if (!record.Empty()) {
        replay.Record = record;
        return replay;
    }
    replay.Recorded = false;
    const ChaserTable nobody{};
    for (int hour = 0; hour <= 24; ++hour)
        RecordHour(replay.Record, caseStart + hour / 24.0, hour, nobody, score.Reports.Reports);
    for (HourState& h : replay.Record.Hours)
        h.WithChasers = false;
    return replay;
}

std::size_t ReplayHours(const ReplayDay& replay) {
    return replay.Record.Hours.size();
}

QString ReplayHourText(const ReplayDay& replay, std::size_t index) {
    if (index >= replay.Record.Hours.size()) return {};
    return FormatDateTime(QStringLiteral("hhnn"), replay.Record.Hours[index].Clock) +
           QStringLiteral(" UTC");
}

QString ReplayNote(const ReplayDay& replay, std::size_t index) {
    QString note = QStringLiteral("Replay at ") + ReplayHourText(replay, index);
    if (!replay.Recorded)
        note += QStringLiteral(". No hour was advanced: the reports and products alone.");
    return note;
}

void DrawReplayStep(QPainter& painter, const ReplayDay& replay, std::size_t index) {
    if (index >= replay.Record.Hours.size()) return;
    const HourState& hour = replay.Record.Hours[index];
    ScoreMapInputs in = replay.Base;
    std::vector<const ProductRecord*> issued;
    for (std::size_t i = 0; i < replay.Products.size(); ++i) {
        const ProductRecord& r = replay.Products[i];
        if (r.IssueTime > hour.Clock + Tolerance) continue;
        issued.push_back(&r);
        in.Products.push_back({r.Corners, ProductColour(i),
                               QStringLiteral("%1, issued %2 UTC")
                                   .arg(ProductKindName(r.Kind),
                                        FormatDateTime(QStringLiteral("hhnn"), r.IssueTime))});
    }
    const HourReports shown = ReportsAt(replay.Record, index);
    for (std::size_t i = 0; i < shown.ReportsArrived; ++i) {
        const StormReport& report = replay.Record.Reports[i];
        bool inside = false;
        for (const ProductRecord* r : issued)
            inside = inside || ReportInside(report, *r);
        in.Reports.push_back({report.Start, report.Kind, inside});
    }
    in.Note = ReplayNote(replay, index);
    DrawScoreMap(painter, in);
    const ProjectionDescriptor& view = replay.Base.Viewport;
    DrawReplayMarks(
        painter, [&view](const GeoPoint& p) { return ProjectToScreen(view, p); }, replay.Record,
        index);
}

QImage RenderReplayStep(const ReplayDay& replay, std::size_t index) {
    const ProjectionDescriptor& view = replay.Base.Viewport;
    QImage image(std::max(1, view.Width), std::max(1, view.Height), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawReplayStep(painter, replay, index);
    return image;
}

} // namespace nimbrel
