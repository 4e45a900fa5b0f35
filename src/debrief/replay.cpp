#include "debrief/replay.h"

#include <QPainter>

#include "debrief/replay_layer.h"

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
    replay.Base.Notes.clear();
    replay.Notes = score.Notes;
    // Faint, so the day's own reports and products stand out over it.
    replay.Base.PerfectOpacity = 70;
    for (const ProductScore& p : score.Products)
        replay.Products.push_back(p.Record);
    if (!record.Empty()) {
        replay.Record = record;
    } else {
        replay.Recorded = false;
        const ChaserTable nobody{};
        for (int hour = 0; hour <= 24; ++hour)
            RecordHour(replay.Record, caseStart + hour / 24.0, hour, nobody, score.Reports.Reports);
        for (HourState& h : replay.Record.Hours)
            h.WithChasers = false;
    }
    // What no step changes, made once: the map's fixed part and symbols, each report's
    // place against each product, and the picture's size.
    replay.Base.Cache = MakeScoreMapCache(replay.Base);
    replay.Inside.reserve(replay.Record.Reports.size() * replay.Products.size());
    for (const StormReport& report : replay.Record.Reports)
        for (const ProductRecord& r : replay.Products)
            replay.Inside.push_back(ReportInside(report, r) ? 1 : 0);
    replay.PictureSize = ReplayPictureSize(replay);
    return replay;
}

ChaserCounts TallyAt(const DayRecord& record, std::size_t index) {
    ChaserCounts n;
    if (index >= record.Hours.size() || !record.Hours[index].WithChasers) return n;
    for (const ChaserMark& c : record.Hours[index].Chasers) {
        switch (c.Outcome) {
        case ChaserOutcome::Awaiting:
            // Only a chaser on the road is awaiting storms; one still at home and
            // undecided or waiting is in no counter of the panel.
            if (c.Mode == ChaserMode::Chasing || c.Mode == ChaserMode::ReturningHome) ++n.Awaiting;
            break;
        case ChaserOutcome::EmptyHanded:
            ++n.EmptyHanded;
            break;
        case ChaserOutcome::CaughtStorm:
            ++n.CaughtStorm;
            break;
        case ChaserOutcome::CaughtTornado:
            ++n.CaughtTornado;
            break;
        case ChaserOutcome::Busted:
            ++n.Busted;
            break;
        case ChaserOutcome::OutOfRange:
            ++n.OutOfRange;
            break;
        case ChaserOutcome::NotChasing:
            ++n.NotChasing;
            break;
        }
    }
    return n;
}

ChaserCounts TallyAtLastHour(const DayRecord& record) {
    return record.Hours.empty() ? ChaserCounts{} : TallyAt(record, record.Hours.size() - 1);
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
    else
        note += QLatin1Char('.');
    return note;
}

ScoreMapInputs ReplayStepInputs(const ReplayDay& replay, std::size_t index) {
    ScoreMapInputs in = replay.Base;
    if (index >= replay.Record.Hours.size()) return in;
    const HourState& hour = replay.Record.Hours[index];
    std::vector<std::size_t> issued;
    for (std::size_t k = 0; k < replay.Products.size(); ++k) {
        const ProductRecord& r = replay.Products[k];
        if (r.IssueTime > hour.Clock + Tolerance) continue;
        issued.push_back(k);
        in.Products.push_back(
            {r.Corners, r.Kind,
             QStringLiteral("%1, issued %2 UTC, valid until %3 UTC")
                 .arg(ProductKindName(r.Kind), FormatDateTime(QStringLiteral("hhnn"), r.IssueTime),
                      FormatDateTime(QStringLiteral("hhnn"), r.ValidUntil)),
             r.ValidUntil < hour.Clock - Tolerance});
    }
    const HourReports shown = ReportsAt(replay.Record, index);
    const std::size_t products = replay.Products.size();
    const bool known = replay.Inside.size() == replay.Record.Reports.size() * products;
    in.Reports.reserve(shown.ReportsArrived);
    for (std::size_t i = 0; i < shown.ReportsArrived; ++i) {
        const StormReport& report = replay.Record.Reports[i];
        bool inside = false;
        for (const std::size_t k : issued)
            inside = inside || (known ? replay.Inside[i * products + k] != 0
                                      : ReportInside(report, replay.Products[k]));
        in.Reports.push_back({report.Start, report.Kind, inside, 0});
    }
    in.Notes << ReplayNote(replay, index);
    for (const ForecastNote& n : NotesBy(replay.Notes, hour.Clock))
        in.Notes << QStringLiteral("Note at ") + ForecastNoteLine(n);
    return in;
}

QSize ReplayPictureSize(const ReplayDay& replay) {
    if (replay.PictureSize.isValid()) return replay.PictureSize;
    const std::size_t hours = ReplayHours(replay);
    // Products and notes only accumulate: the last hour has the tallest legend.
    return ScoreMapPictureSize(ReplayStepInputs(replay, hours == 0 ? 0 : hours - 1));
}

void DrawReplayStep(QPainter& painter, const ReplayDay& replay, std::size_t index) {
    if (index >= replay.Record.Hours.size()) return;
    ScoreMapInputs in = ReplayStepInputs(replay, index);
    const ProjectionDescriptor& view = replay.Base.Viewport;
    const auto project = [&view](const GeoPoint& p) { return ProjectToScreen(view, p); };
    // The chasers beneath the reports, the hour's rings above them.
    in.BeneathReports = [&](QPainter& p) { DrawReplayChasers(p, project, replay.Record, index); };
    DrawScoreMap(painter, in);
    painter.save();
    painter.setClipRect(0, 0, view.Width, view.Height);
    DrawReplayRings(painter, project, replay.Record, index);
    painter.restore();
}

QImage RenderReplayStep(const ReplayDay& replay, std::size_t index) {
    QImage image(ReplayPictureSize(replay), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawReplayStep(painter, replay, index);
    return image;
}

} // namespace nimbrel
