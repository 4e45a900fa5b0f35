// Speed of File > Export loop as GIF on the sample disc's visible satellite loop of the
// default case (every frame of the day, as the player holds them at the last hour):
// decode each JPEG frame, reduce it to 256 colours and write the animation.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "viewer/gif_export.h"

using namespace nimbrel;

namespace {

void ExportSatelliteLoop(benchmark::State& state) {
    const QDir day(QStringLiteral(NIMBREL_SAMPLE_DISC "/1979-04-10"));
    QStringList paths;
    for (const QString& name : day.entryList({QStringLiteral("satv-*")}, QDir::Files, QDir::Name))
        paths << day.filePath(name);
    if (paths.isEmpty()) {
        state.SkipWithError("sample disc frames not built (target nimbrel_sample_data)");
        return;
    }
    QTemporaryDir dir;
    const QString target = dir.path() + QStringLiteral("/loop.gif");
    for (auto _ : state) {
        const ExportOutcome outcome = ExportLoopGif(paths, 250, 1000, target);
        benchmark::DoNotOptimize(outcome);
    }
    state.counters["frames"] = static_cast<double>(paths.size());
    state.counters["bytes"] = static_cast<double>(QFileInfo(target).size());
}
BENCHMARK(ExportSatelliteLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
