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

// Every step drawn with the replay's caches (the map's fixed part, the symbol stamps,
// each report against each product, the picture's size) is the picture drawn from
// scratch, pixel for pixel: hours before and after each product's issue and expiry, all
// three kinds hollow and filled, reports cut by the map's edge, chasers beneath.
TEST(Replay, StepsFromTheCachesAreThePicturesDrawnFromScratch) {
    const std::array<GeoPoint, 6> area{
        {{33, -102}, {37, -102}, {38, -98}, {37, -95}, {33, -95}, {32, -98}}};
    // The watch reaches further east: some reports fill only once it is issued.
    const std::array<GeoPoint, 6> watch{
        {{34, -99}, {38, -99}, {39, -95}, {38, -92}, {34, -92}, {33, -95}}};
    CaseReports day;
    for (int i = 0; i < 400; ++i) {
        StormReport r = Tornado(CaseStart + (i % 23 + 0.5) / 24, {});
        r.Kind = 1 + i % 3;
        // Over the Plains and past the map's edges, densest in the middle.
        r.Start = {26.0 + (i * 37 % 200) * 0.1, -118.0 + (i * 53 % 360) * 0.1};
        if (i % 2 == 0) r.Start = {33.0 + (i * 7 % 50) * 0.1, -101.0 + (i * 11 % 60) * 0.1};
        day.Reports.push_back(r);
    }
    const std::vector<StormReport> file = day.Reports;
    const ExerciseScore score = ScoreExercise(
        {MakeProductRecord(ProductKind::SlightRiskOutlook, CaseStart + 1.0 / 24, CaseStart, area),
         MakeProductRecord(ProductKind::TornadoWatch, CaseStart + 5.0 / 24, CaseStart, watch)},
        day);
    ASSERT_FALSE(score.Perfect.PointsAtLeast(PerfectOutlookThreshold).empty());
    DayRecord record;
    ChaserTable chasers{};
    for (int hour = 0; hour <= 23; ++hour) {
        for (int i = 0; i < ChaserCount; ++i) {
            chasers[i].Position = {32.0 + (i % 7) + hour * 0.1, -102.0 + (i / 7) + hour * 0.1};
            chasers[i].Outcome = static_cast<ChaserOutcome>(i % 6);
        }
        RecordHour(record, CaseStart + hour / 24.0, hour, chasers, file);
    }
    ProjectionDescriptor view;
    ResetViewport(view);
    // A background that is not flat, so that a blend done differently shows.
    QImage geography(view.Width, view.Height, QImage::Format_RGB32);
    for (int y = 0; y < view.Height; ++y)
        for (int x = 0; x < view.Width; ++x)
            geography.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    const ReplayDay cached = MakeReplay(score, record, CaseStart, view, geography);
    ReplayDay scratch = cached;
    scratch.Base.Cache.reset();
    scratch.Inside.clear();
    scratch.PictureSize = QSize();

    for (const std::size_t hour : {0u, 1u, 3u, 5u, 9u, 13u, 23u}) {
        const QImage fromCaches = RenderReplayStep(cached, hour);
        EXPECT_EQ(fromCaches, RenderReplayStep(scratch, hour)) << "hour " << hour;
    }
    // The hours differ: reports, products and their fading are drawn at all.
    EXPECT_NE(RenderReplayStep(cached, 3), RenderReplayStep(cached, 23));
}

} // namespace
} // namespace nimbrel
