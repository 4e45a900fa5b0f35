#include "products/replay.h"

#include <gtest/gtest.h>

#include "map/projection.h"

namespace nimbrel {
namespace {

const DateTime CaseStart = EncodeDate(1979, 4, 10) + 0.5;

StormReport Tornado(DateTime time, GeoPoint at) {
    StormReport r;
    r.Kind = static_cast<std::int32_t>(ReportKind::Tornado);
    r.Time = time;
    r.Start = at;
    return r;
}

// Pixels of `colour` within 3 pixels of `at`.
bool ColourNear(const QImage& image, PixelPoint at, const QColor& colour) {
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
            if (image.valid(at.X + dx, at.Y + dy) &&
                image.pixelColor(at.X + dx, at.Y + dy) == colour)
                return true;
    return false;
}

TEST(Replay, WithoutAdvancedHoursStepsThroughTheCaseWindowWithProductsFromTheirIssue) {
    const std::array<GeoPoint, 6> area{
        {{34, -101}, {36, -101}, {36, -100}, {36, -99}, {34, -99}, {34, -100}}};
    CaseReports reports;
    reports.Reports = {Tornado(CaseStart + 3.0 / 24, {35, -100}), // 1500, inside
                       Tornado(CaseStart + 0.5 / 24, {38, -95})}; // 1230, outside
    const ExerciseScore score = ScoreExercise(
        {MakeProductRecord(ProductKind::TornadoWatch, CaseStart + 2.0 / 24, CaseStart, area)},
        reports);
    ProjectionDescriptor view;
    ResetViewport(view);
    const ReplayDay replay = MakeReplay(score, DayRecord{}, CaseStart, view, QImage());

    // 1200 UTC of the case day to 1200 UTC of the next, reports and products alone.
    EXPECT_FALSE(replay.Recorded);
    ASSERT_EQ(ReplayHours(replay), 25u);
    EXPECT_EQ(ReplayHourText(replay, 0), QStringLiteral("1200 UTC"));
    EXPECT_EQ(ReplayHourText(replay, 24), QStringLiteral("1200 UTC"));
    EXPECT_TRUE(ReplayNote(replay, 3).contains(QStringLiteral("reports and products alone")));
    EXPECT_EQ(ReportsAt(replay.Record, 0).ReportsArrived, 0u);
    EXPECT_EQ(ReportsAt(replay.Record, 1).ReportsArrived, 1u);
    EXPECT_EQ(ReportsAt(replay.Record, 3).FirstOfHour, 1u);
    EXPECT_EQ(ReportsAt(replay.Record, 3).ReportsArrived, 2u);

    // The watch's outline appears at its issue hour (1400), not before.
    const PixelPoint corner = ProjectToScreen(view, area[3]);
    EXPECT_FALSE(ColourNear(RenderReplayStep(replay, 1), corner, ProductColour(0)));
    EXPECT_TRUE(ColourNear(RenderReplayStep(replay, 2), corner, ProductColour(0)));
    EXPECT_TRUE(ColourNear(RenderReplayStep(replay, 24), corner, ProductColour(0)));
}

} // namespace
} // namespace nimbrel
