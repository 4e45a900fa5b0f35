// Speed of scoring an exercise at the reveal: a day of 1,000 reports against an outlook
// and a watch, with both practically perfect fields and the outlook's grid comparison.
#include <benchmark/benchmark.h>

#include "base/datetime.h"
#include "debrief/scoring.h"

using namespace nimbrel;

namespace {

CaseReports ThousandReports(DateTime caseStart) {
    CaseReports c;
    for (int i = 0; i < 1000; ++i) {
        StormReport r;
        r.Time = caseStart + (i % 1440) / 1440.0;
        r.Kind = 1 + i % 3;
        r.Start = {30.0 + (i % 97) * 0.12, -104.0 + (i % 89) * 0.15};
        c.Reports.push_back(r);
    }
    return c;
}

void BM_ScoreExercise(benchmark::State& state) {
    const DateTime caseStart = EncodeDate(1979, 4, 10) + 0.5;
    const CaseReports reports = ThousandReports(caseStart);
    const std::array<GeoPoint, 6> area{{{33.0, -101.0},
                                        {37.0, -101.0},
                                        {37.5, -98.0},
                                        {37.0, -95.0},
                                        {33.0, -95.0},
                                        {32.5, -98.0}}};
    const ProductRecords products{
        MakeProductRecord(ProductKind::SlightRiskOutlook, caseStart + 0.125, caseStart, area),
        MakeProductRecord(ProductKind::TornadoWatch, caseStart + 0.25, caseStart, area)};
    for (auto _ : state) {
        const ExerciseScore s = ScoreExercise(products, reports);
        benchmark::DoNotOptimize(s.Csi);
    }
}
BENCHMARK(BM_ScoreExercise)->Unit(benchmark::kMillisecond);

} // namespace
