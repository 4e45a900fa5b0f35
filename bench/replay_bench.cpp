// Speed of one step of the replay of the day at 1000 x 800, as the Exercise score window
// draws it (RenderReplayStep): the score map's background and practically perfect area,
// the products issued by then, every report that had arrived by the last hour (inside or
// not), the last hour's reports ringed and the 49 chasers at their recorded places, and
// the legend. Days of 1,000 and 2,000 reports spread along storm tracks over the Plains.
#include <benchmark/benchmark.h>

#include <cstdint>

#include <QImage>
#include <QPainter>

#include "debrief/replay.h"
#include "map/projection.h"

using namespace nimbrel;

namespace {

constexpr DateTime CaseStart = 28955.5; // 10 April 1979 1200 UTC

/// `count` reports along 40 storm tracks that start through the afternoon and run
/// north-east, a kind of each in turn, in time order within the case window.
CaseReports StormDay(int count) {
    CaseReports day;
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525U + 1013904223U;
        return static_cast<double>(seed >> 8) / static_cast<double>(1U << 24);
    };
    constexpr int Tracks = 40;
    for (int i = 0; i < count; ++i) {
        const int track = i % Tracks;
        const double along = static_cast<double>(i / Tracks) / (count / Tracks); // 0..1
        StormReport r;
        r.Time = CaseStart + (3.0 + track * 0.2 + along * 8.0) / 24.0;
        r.Kind = 1 + (i * 7 + track) % 3;
        r.Start = {31.0 + (track % 8) * 1.4 + along * 3.0 + next() * 0.3,
                   -102.0 + (track / 8) * 2.2 + along * 4.0 + next() * 0.3};
        day.Reports.push_back(r);
    }
    return day;
}

ReplayDay StormReplay(int count) {
    const std::array<GeoPoint, 6> area{{{32.0, -101.0},
                                        {37.0, -101.0},
                                        {39.0, -97.0},
                                        {38.0, -93.0},
                                        {33.0, -93.0},
                                        {31.5, -97.0}}};
    const ProductRecords products{
        MakeProductRecord(ProductKind::SlightRiskOutlook, CaseStart + 1.0 / 24, CaseStart, area),
        MakeProductRecord(ProductKind::TornadoWatch, CaseStart + 6.0 / 24, CaseStart, area)};
    CaseReports day = StormDay(count);
    const std::vector<StormReport> fileReports = day.Reports;
    const ExerciseScore score = ScoreExercise(products, std::move(day));

    DayRecord record;
    ChaserTable chasers{};
    for (int hour = 0; hour <= 23; ++hour) {
        // Chasers spread over the Plains, a different place every hour.
        for (int i = 0; i < ChaserCount; ++i) {
            chasers[i].Position = {32.0 + (i % 7) + hour * 0.1, -102.0 + (i / 7) + hour * 0.1};
            chasers[i].Outcome = static_cast<ChaserOutcome>(i % 6);
        }
        RecordHour(record, CaseStart + hour / 24.0, hour, chasers, fileReports);
    }
    const ProjectionDescriptor view = FitScoreViewport(score, 1000, 800);
    QImage geography(view.Width, view.Height, QImage::Format_RGB32);
    geography.fill(qRgb(238, 238, 230));
    return MakeReplay(score, record, CaseStart, view, geography);
}

/// One timed step, apart so that a profiler can count it alone
/// (valgrind --tool=callgrind --toggle-collect='*TimedStep*').
[[gnu::noinline]] QImage TimedStep(const ReplayDay& replay, std::size_t index) {
    return RenderReplayStep(replay, index);
}

void ReplayStep(benchmark::State& state, int count) {
    const ReplayDay replay = StormReplay(count);
    const std::size_t last = ReplayHours(replay) - 1;
    // The font database and the glyph caches load with the first text: not a step's work.
    (void)RenderReplayStep(replay, 0);
    for (auto _ : state) {
        const QImage picture = TimedStep(replay, last);
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.counters["reports"] = static_cast<double>(ReportsAt(replay.Record, last).ReportsArrived);
    state.counters["perfect_boxes"] = static_cast<double>(replay.Base.PerfectArea.size());
}

void ReplayStep_1000Reports_1000x800(benchmark::State& state) {
    ReplayStep(state, 1000);
}
void ReplayStep_2000Reports_1000x800(benchmark::State& state) {
    ReplayStep(state, 2000);
}
BENCHMARK(ReplayStep_1000Reports_1000x800)->Unit(benchmark::kMillisecond);
BENCHMARK(ReplayStep_2000Reports_1000x800)->Unit(benchmark::kMillisecond);

} // namespace
