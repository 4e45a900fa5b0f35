// Speed of the kit's charts: one 500 mb chart from the GFS analysis (read, warped,
// contoured, drawn and encoded as GIF), and a whole day from that file as the charts
// command makes it, 24 surface charts and 8 upper-air charts.
#include <benchmark/benchmark.h>

#include <QFileInfo>

#include "grids/charts.h"
#include "viewer/encoders.h"

namespace {

using namespace nimbrel;
using namespace nimbrel::grids;

const QString Gfs = QStringLiteral(NIMBREL_SHARED_DATA "/grids/metpy_GFS_test.nc");
const QString Outlines = QStringLiteral(NIMBREL_SHIPPED_DATA "/appdata/nimbrel.gis");
constexpr qint64 Valid = 1288094400; // 2010-10-26 1200 UTC

void OneChart(benchmark::State& state) {
    if (!QFileInfo::exists(Gfs)) return state.SkipWithError("no GFS file");
    for (auto _ : state) {
        const GridFiles files({Gfs});
        const Geography geography = Geography::FromOutlineFile(Outlines);
        benchmark::DoNotOptimize(
            EncodeGif(DrawChart(files, Valid, ChartKind::Mb500, geography).Image));
    }
}
BENCHMARK(OneChart)->Unit(benchmark::kMillisecond);

// The file holds one time; the day draws its charts 24 + 8 times, as a day's file would.
void DayOfCharts(benchmark::State& state) {
    if (!QFileInfo::exists(Gfs)) return state.SkipWithError("no GFS file");
    for (auto _ : state) {
        const GridFiles files({Gfs});
        const Geography geography = Geography::FromOutlineFile(Outlines);
        for (int hour = 0; hour < 24; ++hour)
            benchmark::DoNotOptimize(
                EncodeGif(DrawChart(files, Valid, ChartKind::Surface, geography).Image));
        for (int twice = 0; twice < 2; ++twice)
            for (ChartKind k :
                 {ChartKind::Mb850, ChartKind::Mb700, ChartKind::Mb500, ChartKind::Mb250})
                benchmark::DoNotOptimize(EncodeGif(DrawChart(files, Valid, k, geography).Image));
    }
}
BENCHMARK(DayOfCharts)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
