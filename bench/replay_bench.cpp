// Speed of one step of the replay of the day at 1000 x 800, as the Exercise score window
// draws it: the score map's background and practically perfect area, the products issued
// by then, every report that had arrived by the last hour of the default case (inside or
// not), the last hour's reports ringed and the 49 chasers at their recorded places.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include "debrief/replay.h"
#include "map/projection.h"
#include "reports/report_file.h"

using namespace nimbrel;

namespace {

void ReplayStep(benchmark::State& state) {
    const QString reportFile = QStringLiteral(NIMBREL_SHIPPED_DATA "/disc/1979-04-10/rpt.dat");
    const DateTime caseStart = 28955.5; // 10 April 1979 1200 UTC
    // A slight risk at 1300 and a tornado watch at 1800 along the Red River.
    const std::array<GeoPoint, 6> area{{{33.0, -100.5},
                                        {34.5, -100.5},
                                        {35.5, -98.0},
                                        {35.5, -96.5},
                                        {34.0, -96.5},
                                        {33.0, -99.0}}};
    const ProductRecords products{
        MakeProductRecord(ProductKind::SlightRiskOutlook, caseStart + 1.0 / 24, caseStart, area),
        MakeProductRecord(ProductKind::TornadoWatch, caseStart + 6.0 / 24, caseStart, area)};
    const ExerciseScore score =
        ScoreExercise(products, ReadCaseWindowReports(reportFile, caseStart));

    const std::vector<StormReport> reports = ReadReports(reportFile);
    DayRecord record;
    ChaserTable chasers{};
    for (int hour = 0; hour <= 23; ++hour) {
        // Chasers spread over the Plains, a different place every hour.
        for (int i = 0; i < ChaserCount; ++i) {
            chasers[i].Position = {32.0 + (i % 7) + hour * 0.1, -102.0 + (i / 7) + hour * 0.1};
            chasers[i].Outcome = static_cast<ChaserOutcome>(i % 6);
        }
        RecordHour(record, caseStart + hour / 24.0, hour, chasers, reports);
    }
    ProjectionDescriptor view;
    ResetViewport(view);
    QImage geography(view.Width, view.Height, QImage::Format_RGB32);
    geography.fill(qRgb(238, 238, 230));
    const ReplayDay replay = MakeReplay(score, record, caseStart, view, geography);

    QImage picture(view.Width, view.Height, QImage::Format_RGB32);
    const std::size_t last = ReplayHours(replay) - 1;
    for (auto _ : state) {
        QPainter painter(&picture);
        DrawReplayStep(painter, replay, last);
        painter.end();
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.counters["reports"] = static_cast<double>(ReportsAt(replay.Record, last).ReportsArrived);
    state.counters["perfect_boxes"] = static_cast<double>(replay.Base.PerfectArea.size());
}
BENCHMARK(ReplayStep)->Unit(benchmark::kMillisecond);

} // namespace
