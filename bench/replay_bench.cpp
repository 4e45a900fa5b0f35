// Speed of one step of the replay of the day at 1000 x 800: the map's background put
// back, then the reports that had arrived by the last hour of the default case (all of
// the day's reports, the last hour's ringed) and the 49 chasers at their recorded places.
#include <benchmark/benchmark.h>

#include <cmath>

#include <QImage>
#include <QPainter>

#include "map/projection.h"
#include "map/replay_layer.h"
#include "reports/report_file.h"

using namespace nimbrel;

namespace {

void ReplayStep(benchmark::State& state) {
    const std::vector<StormReport> reports =
        ReadReports(QStringLiteral(NIMBREL_SHIPPED_DATA "/disc/1979-04-10/rpt.dat"));
    ProjectionDescriptor view;
    ResetViewport(view);
    const DateTime noon = 28955.5; // 10 April 1979 1200 UTC
    DayRecord record;
    ChaserTable chasers{};
    for (int hour = 0; hour <= 23; ++hour) {
        // Chasers spread over the Plains, a different place every hour.
        for (int i = 0; i < ChaserCount; ++i) {
            chasers[i].Position = {32.0 + (i % 7) + hour * 0.1, -102.0 + (i / 7) + hour * 0.1};
            chasers[i].Outcome = static_cast<ChaserOutcome>(i % 6);
        }
        RecordHour(record, noon + hour / 24.0, hour, chasers, reports);
    }
    QImage background(view.Width, view.Height, QImage::Format_RGB32);
    background.fill(qRgb(238, 238, 230));
    QImage picture(background.size(), QImage::Format_RGB32);
    const ScreenProjector project = [&view](const GeoPoint& p) { return ProjectToScreen(view, p); };
    const std::size_t hour = record.Hours.size() - 1;
    for (auto _ : state) {
        {
            QPainter painter(&picture);
            painter.drawImage(0, 0, background);
            DrawReplayHour(painter, project, record, hour);
        }
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.counters["reports"] = static_cast<double>(ReportsAt(record, hour).ReportsArrived);
}
BENCHMARK(ReplayStep)->Unit(benchmark::kMillisecond);

} // namespace
