// Speed of scoring an exercise at the reveal: a day of 1,000 reports against an outlook
// and a watch, with both practically perfect fields and the outlook's grid comparison;
// then the score window's pictures of that day at 1000 x 800: the map as the window
// first shows it (its symbols' cache made), and again with a product's row selected.
#include <benchmark/benchmark.h>

#include <QImage>

#include "base/datetime.h"
#include "debrief/score_map.h"
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

ProductRecords TwoProducts(DateTime caseStart) {
    const std::array<GeoPoint, 6> area{{{33.0, -101.0},
                                        {37.0, -101.0},
                                        {37.5, -98.0},
                                        {37.0, -95.0},
                                        {33.0, -95.0},
                                        {32.5, -98.0}}};
    return {MakeProductRecord(ProductKind::SlightRiskOutlook, caseStart + 0.125, caseStart, area),
            MakeProductRecord(ProductKind::TornadoWatch, caseStart + 0.25, caseStart, area)};
}

void BM_ScoreExercise(benchmark::State& state) {
    const DateTime caseStart = EncodeDate(1979, 4, 10) + 0.5;
    const CaseReports reports = ThousandReports(caseStart);
    const ProductRecords products = TwoProducts(caseStart);
    for (auto _ : state) {
        const ExerciseScore s = ScoreExercise(products, reports);
        benchmark::DoNotOptimize(s.Csi);
    }
}
BENCHMARK(BM_ScoreExercise)->Unit(benchmark::kMillisecond);

/// The score window's map of the 1,000-report day: made as SetScore makes it, or drawn
/// again with row `highlight` selected.
void ScoreMapPicture(benchmark::State& state, int highlight) {
    const DateTime caseStart = EncodeDate(1979, 4, 10) + 0.5;
    const ExerciseScore score = ScoreExercise(TwoProducts(caseStart), ThousandReports(caseStart));
    const ProjectionDescriptor view = FitScoreViewport(score, 1000, 800);
    QImage geography(view.Width, view.Height, QImage::Format_RGB32);
    geography.fill(qRgb(238, 238, 230));
    ScoreMapInputs in = ScoreMapFrom(score, view, geography);
    // The font database loads with the first text: not the picture's work.
    (void)RenderScoreMap(in);
    if (highlight >= 0) in.Cache = MakeScoreMapCache(in, false);
    in.Highlight = highlight;
    for (auto _ : state) {
        if (highlight < 0) in.Cache = MakeScoreMapCache(in, false);
        const QImage picture = RenderScoreMap(in);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
void BM_ScoreMap_1000Reports_1000x800(benchmark::State& state) {
    ScoreMapPicture(state, -1);
}
void BM_ScoreMapRowSelected_1000Reports_1000x800(benchmark::State& state) {
    ScoreMapPicture(state, 0);
}
BENCHMARK(BM_ScoreMap_1000Reports_1000x800)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScoreMapRowSelected_1000Reports_1000x800)->Unit(benchmark::kMillisecond);

} // namespace
