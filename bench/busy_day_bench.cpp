// The debrief on a busy day: 1,000 and 2,000 reports spread over the Plains through the
// 24 hours of the case window, made from the sample disc's 10 April 1979 reports (each
// real report repeated at deterministic offsets of place and time, kinds and tracks
// kept), a slight risk and a tornado watch issued, 49 chasers recorded every hour.
//   BusyDayScore/N     scoring at the reveal: both practically perfect fields (all
//                      reports, tornadoes) and the outlook's grid comparison;
//   BusyDayReplayStep/N  one replay step at 1000 x 800, the last hour (every report
//                      shown), as the Exercise score window draws it;
//   BusyDayReplayExport/N  the whole replay written as an animated GIF, as the score
//                      window's export writes it.
#include <benchmark/benchmark.h>

#include <array>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "debrief/replay.h"
#include "map/projection.h"
#include "reports/report_file.h"
#include "viewer/gif_export.h"

using namespace nimbrel;

namespace {

const DateTime CaseStart = 28955.5; // 10 April 1979 1200 UTC

// The real day's reports repeated until there are `count`: copy k of a report moved by
// up to two degrees either way and spread over the case window, in time order.
std::vector<StormReport> BusyReports(int count) {
    const std::vector<StormReport> real =
        ReadReports(QStringLiteral(NIMBREL_SHIPPED_DATA "/disc/1979-04-10/rpt.dat"));
    std::vector<StormReport> out;
    if (real.empty()) return out;
    for (int i = 0; i < count; ++i) {
        StormReport r = real[static_cast<std::size_t>(i) % real.size()];
        const int copy = i / static_cast<int>(real.size());
        const double dLat = ((copy * 37) % 41 - 20) * 0.1, dLon = ((copy * 53) % 41 - 20) * 0.1;
        r.Start = {r.Start.Latitude + dLat, r.Start.Longitude + dLon};
        if (r.End.Latitude != 0.0) r.End = {r.End.Latitude + dLat, r.End.Longitude + dLon};
        r.Time = CaseStart + (0.5 + i * 23.5 / count) / 24.0;
        out.push_back(r);
    }
    return out;
}

ProductRecords Products() {
    const std::array<GeoPoint, 6> area{{{33.0, -100.5},
                                        {34.5, -100.5},
                                        {35.5, -98.0},
                                        {35.5, -96.5},
                                        {34.0, -96.5},
                                        {33.0, -99.0}}};
    return {
        MakeProductRecord(ProductKind::SlightRiskOutlook, CaseStart + 1.0 / 24, CaseStart, area),
        MakeProductRecord(ProductKind::TornadoWatch, CaseStart + 6.0 / 24, CaseStart, area)};
}

ReplayDay BusyReplay(const std::vector<StormReport>& reports) {
    CaseReports window;
    window.Reports = reports;
    const ExerciseScore score = ScoreExercise(Products(), window);
    DayRecord record;
    ChaserTable chasers{};
    for (int hour = 0; hour <= 23; ++hour) {
        for (int i = 0; i < ChaserCount; ++i) {
            // Seven rows of seven across the Plains, moving north-east by the hour.
            const int row = i / 7, column = i % 7;
            chasers[i].Position = {32.0 + column + hour * 0.1, -102.0 + row + hour * 0.1};
            chasers[i].Outcome = static_cast<ChaserOutcome>(i % 6);
        }
        RecordHour(record, CaseStart + (hour + 1) / 24.0, hour + 1, chasers, reports);
    }
    ProjectionDescriptor view;
    ResetViewport(view);
    QImage geography(view.Width, view.Height, QImage::Format_RGB32);
    geography.fill(qRgb(238, 238, 230));
    return MakeReplay(score, record, CaseStart, view, geography);
}

void BusyDayScore(benchmark::State& state) {
    CaseReports window;
    window.Reports = BusyReports(static_cast<int>(state.range(0)));
    if (window.Reports.empty()) return state.SkipWithError("no sample disc reports");
    const ProductRecords products = Products();
    for (auto _ : state) {
        const ExerciseScore s = ScoreExercise(products, window);
        benchmark::DoNotOptimize(s.Csi);
    }
    state.counters["reports"] = static_cast<double>(window.Reports.size());
}
BENCHMARK(BusyDayScore)->Arg(1000)->Unit(benchmark::kMillisecond);

void BusyDayReplayStep(benchmark::State& state) {
    const std::vector<StormReport> reports = BusyReports(static_cast<int>(state.range(0)));
    if (reports.empty()) return state.SkipWithError("no sample disc reports");
    const ReplayDay replay = BusyReplay(reports);
    const std::size_t last = ReplayHours(replay) - 1;
    QImage picture(replay.Base.Viewport.Width, replay.Base.Viewport.Height, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&picture);
        DrawReplayStep(painter, replay, last);
        painter.end();
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.counters["reports"] = static_cast<double>(ReportsAt(replay.Record, last).ReportsArrived);
    state.counters["width"] = picture.width();
    state.counters["height"] = picture.height();
}
BENCHMARK(BusyDayReplayStep)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

void BusyDayReplayExport(benchmark::State& state) {
    const std::vector<StormReport> reports = BusyReports(static_cast<int>(state.range(0)));
    if (reports.empty()) return state.SkipWithError("no sample disc reports");
    const ReplayDay replay = BusyReplay(reports);
    const int hours = static_cast<int>(ReplayHours(replay));
    QTemporaryDir dir;
    const QString target = dir.path() + QStringLiteral("/replay.gif");
    for (auto _ : state) {
        const ExportOutcome outcome = ExportGif(
            hours,
            [&replay](int i) { return RenderReplayStep(replay, static_cast<std::size_t>(i)); },
            LoopDelays(hours, 500, 1000), target);
        benchmark::DoNotOptimize(outcome);
    }
    state.counters["frames"] = hours;
}
BENCHMARK(BusyDayReplayExport)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
