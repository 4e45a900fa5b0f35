#include "debrief/replay.h"

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

// Pixels of `colour` within 6 pixels of `at` (a dashed outline may leave a gap at a corner).
bool ColourNear(const QImage& image, PixelPoint at, const QColor& colour) {
    for (int dy = -6; dy <= 6; ++dy)
        for (int dx = -6; dx <= 6; ++dx)
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

    // The watch's outline appears at its issue hour (1400), not before, and is faded
    // once it has expired (2000).
    const PixelPoint corner = ProjectToScreen(view, area[3]);
    const QColor colour = ProductStyleOf(ProductKind::TornadoWatch).Colour;
    EXPECT_FALSE(ColourNear(RenderReplayStep(replay, 1), corner, colour));
    EXPECT_TRUE(ColourNear(RenderReplayStep(replay, 2), corner, colour));
    EXPECT_TRUE(ColourNear(RenderReplayStep(replay, 8), corner, colour));
    EXPECT_FALSE(ColourNear(RenderReplayStep(replay, 24), corner, colour));
    // Every step's picture has one size, the tallest legend's.
    EXPECT_EQ(RenderReplayStep(replay, 1).size(), RenderReplayStep(replay, 24).size());
}

// The notebook's entries appear in the replay from the hour they were written.
TEST(Replay, NotesAppearAtTheirHours) {
    ExerciseScore score = ScoreExercise({}, CaseReports{});
    AddForecastNote(score.Notes, CaseStart + 2.5 / 24, QStringLiteral("Watch the dryline"));
    ProjectionDescriptor view;
    ResetViewport(view);
    const ReplayDay replay = MakeReplay(score, DayRecord{}, CaseStart, view, QImage());
    EXPECT_EQ(ReplayStepInputs(replay, 2).Notes.filter(QStringLiteral("dryline")).size(), 0);
    EXPECT_EQ(ReplayStepInputs(replay, 3)
                  .Notes.filter(QStringLiteral("1430 UTC: Watch the dryline"))
                  .size(),
              1);
}

} // namespace
} // namespace nimbrel
