#include "debrief/score_map.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>

namespace nimbrel {
namespace {

const DateTime CaseStart = EncodeDate(1979, 4, 10) + 0.5;

bool IsWhite(const QImage& image, int x, int y) {
    return image.pixel(x, y) == qRgb(255, 255, 255);
}

// A product far larger than a view zoomed in 1.5^6 times: four of its corners lie more
// than 9,999 px off the picture, its other two straight above and below the centre.
// The view is wholly inside the product, so no outline may cross it; dropping the far
// corners drew one straight down the middle.
TEST(ScoreMap, AProductReachingFarOffTheMapIsClippedNotBroken) {
    ProjectionDescriptor view;
    ResetViewport(view);
    for (int i = 0; i < 6; ++i)
        MoveView(view, ViewMove::ZoomIn);
    ScoreMapInputs in;
    in.Viewport = view;
    in.Products.push_back({{{{45, -100}, {40, -70}, {30, -70}, {25, -100}, {30, -130}, {40, -130}}},
                           ProductKind::SlightRiskOutlook,
                           QStringLiteral("Slight risk"),
                           false});
    ASSERT_EQ(ProjectToScreen(view, in.Products[0].Corners[1]).X, MissingPixel);
    const QImage image = RenderScoreMap(in);
    for (int y = 0; y < view.Height; y += 7)
        for (int x = view.Width / 2 - 6; x <= view.Width / 2 + 6; ++x)
            ASSERT_TRUE(IsWhite(image, x, y)) << x << "," << y;
}

// The notes are bold and measured bold: the whole sentence is drawn, not cut at the
// width of the regular font.
TEST(ScoreMap, ABoldNoteIsDrawnWhole) {
    ProjectionDescriptor view;
    ResetViewport(view);
    ScoreMapInputs in;
    in.Viewport = view;
    const QImage plain = RenderScoreMap(in);
    const QString note =
        QStringLiteral("Replay at 1500 UTC. No hour was advanced: the reports and products alone.");
    in.Notes << note;
    const QImage noted = RenderScoreMap(in);
    // The note's ink: whatever is not white under the legend's earlier lines.
    int left = noted.width(), right = -1;
    for (int y = plain.height() - 8; y < noted.height(); ++y)
        for (int x = 0; x < noted.width(); ++x)
            if (!IsWhite(noted, x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    QFont bold;
    bold.setPixelSize(13);
    bold.setBold(true);
    const int advance = QFontMetrics(bold).horizontalAdvance(note);
    EXPECT_GE(right - left + 1, advance - 4);
    EXPECT_GT(noted.height(), plain.height()); // below the map, over none of it
}

// The fitted view frames every report, and the products when they fit; a product that
// would need a wider frame than allowed leaves the reports framed, and reports beyond
// the widest frame are counted.
TEST(ScoreMap, TheFittedViewFramesEveryReport) {
    const std::vector<GeoPoint> reports{
        {33.1, -97.2}, {36.8, -101.5}, {31.0, -94.0}, {35.0, -99.0}};
    int outside = -1;
    const ProjectionDescriptor v = FitViewport(reports, {}, 1000, 800, &outside);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(v.Scale, 3.0); // closer than the target map's starting view
    for (const GeoPoint& g : reports) {
        const PixelPoint p = ProjectToScreen(v, g);
        EXPECT_TRUE(p.X >= 10 && p.Y >= 10 && p.X < 990 && p.Y < 790) << p.X << "," << p.Y;
    }
    // A product over the Aleutians cannot be framed with them at the widest scale.
    const ProjectionDescriptor w =
        FitViewport(reports, {{52.0, 175.0}, {55.0, -170.0}}, 1000, 800, &outside);
    EXPECT_EQ(outside, 0);
    EXPECT_GE(w.Scale, MinFitScale);
    // Reports from Hawaii to Maine do not fit at all: counted.
    FitViewport({{19.7, -155.99}, {45.0, -68.0}, {35, -100}}, {}, 1000, 800, &outside);
    EXPECT_GT(outside, 0);
}

// Selecting a row: the product's verifying reports ringed, the others faded.
TEST(ScoreMap, TheSelectedProductAndItsVerifyingReportsStandOut) {
    const std::array<GeoPoint, 6> area{
        {{34, -101}, {36, -101}, {36, -100}, {36, -99}, {34, -99}, {34, -100}}};
    auto report = [](ReportKind kind, double hours, GeoPoint at) {
        StormReport r;
        r.Kind = static_cast<std::int32_t>(kind);
        r.Time = CaseStart + hours / 24;
        r.Start = at;
        return r;
    };
    CaseReports reports;
    reports.Reports = {report(ReportKind::Tornado, 3, {35, -100}), // verifies the watch
                       report(ReportKind::Hail, 3, {35.5, -99.5}), // inside, verifies nothing
                       report(ReportKind::Tornado, 3, {38, -95})}; // outside
    const ExerciseScore score = ScoreExercise(
        {MakeProductRecord(ProductKind::TornadoWatch, CaseStart + 2.0 / 24, CaseStart, area)},
        reports);
    ProjectionDescriptor view;
    ResetViewport(view);
    ScoreMapInputs in = ScoreMapFrom(score, view, QImage());
    in.PerfectArea.clear(); // no shading under the pixels looked at
    in.PerfectTornadoArea.clear();
    EXPECT_EQ(in.Reports[0].Verifies, 1U);
    EXPECT_EQ(in.Reports[1].Verifies, 0U);
    EXPECT_TRUE(in.Reports[1].Inside); // filled: inside while valid
    const QImage plain = RenderScoreMap(in);
    in.Highlight = 0;
    const QImage lit = RenderScoreMap(in);
    const PixelPoint t = ProjectToScreen(view, {35, -100});
    const PixelPoint far = ProjectToScreen(view, {38, -95});
    // A dark ring 10 px from the verifying tornado, none before.
    EXPECT_LT(qGray(lit.pixel(t.X + 10, t.Y)), 100);
    EXPECT_GT(qGray(plain.pixel(t.X + 10, t.Y)), 200);
    // The outside tornado's rim fades towards the white map.
    EXPECT_GT(qGray(lit.pixel(far.X, far.Y - 5)), qGray(plain.pixel(far.X, far.Y - 5)) + 40);
    // The score window draws it with the symbols' cache: the same pixels, row or none.
    in.Cache = MakeScoreMapCache(in, false);
    EXPECT_EQ(RenderScoreMap(in), lit);
    in.Highlight = -1;
    EXPECT_EQ(RenderScoreMap(in), plain);
}

TEST(ScoreMap, EveryKindHasItsOwnColourAndLineStyle) {
    const ProductKind kinds[] = {ProductKind::SlightRiskOutlook, ProductKind::ModerateRiskOutlook,
                                 ProductKind::HighRiskOutlook, ProductKind::SevereWatch,
                                 ProductKind::TornadoWatch};
    for (const ProductKind a : kinds)
        for (const ProductKind b : kinds)
            if (a != b) {
                EXPECT_NE(ProductStyleOf(a).Colour, ProductStyleOf(b).Colour);
                EXPECT_NE(ProductStyleOf(a).Line, ProductStyleOf(b).Line);
            }
}

} // namespace
} // namespace nimbrel
