#include "debrief/replay_layer.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "map/chaser_icons.h"

namespace nimbrel {
namespace {

// Ten pixels to the degree, pixel (0, 0) at 40N 105W.
PixelPoint Linear(const GeoPoint& p) {
    return {static_cast<int>((p.Longitude + 105.0) * 10),
            static_cast<int>((40.0 - p.Latitude) * 10)};
}

StormReport Hail(DateTime time, GeoPoint at) {
    StormReport r;
    r.Time = time;
    r.Kind = static_cast<std::int32_t>(ReportKind::Hail);
    r.Start = at;
    return r;
}

TEST(ReplayLayer, RingsTheHoursReportsAndPutsTheChasersWhereTheyWere) {
    const DateTime noon = 28955.5; // 10 April 1979 1200 UTC
    const std::vector<StormReport> file{Hail(noon - 0.01, {38, -103}),
                                        Hail(noon + 0.02, {36, -99})};
    ChaserTable chasers{};
    for (Chaser& c : chasers)
        c.Position = {35, -104}; // all at one place, caught nothing
    chasers[0].Outcome = ChaserOutcome::CaughtTornado;
    chasers[0].Position = {37, -101};
    DayRecord record;
    RecordHour(record, noon, 0, chasers, file);
    chasers[0].Position = {39, -100}; // moved on: the record keeps where it was
    RecordHour(record, noon + 1.0 / 24, 1, chasers, file);

    auto draw = [&](std::size_t index) {
        QImage image(120, 80, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        DrawReplayMarks(painter, Linear, record, index);
        return image;
    };
    // Pixels of a colour within 12 pixels of (x, y).
    auto near = [](const QImage& image, int x, int y, QRgb colour) {
        int n = 0;
        for (int j = y - 12; j <= y + 12; ++j)
            for (int i = x - 12; i <= x + 12; ++i)
                if (image.valid(i, j) && image.pixel(i, j) == colour) ++n;
        return n;
    };
    const QRgb ring = qRgb(40, 40, 40);
    const QImage first = draw(0), second = draw(1);
    // Each hour rings the reports that arrived in it, and only those.
    EXPECT_GT(near(first, 20, 20, ring), 20);
    EXPECT_EQ(near(first, 60, 40, ring), 0);
    EXPECT_EQ(near(second, 20, 20, ring), 0);
    EXPECT_GT(near(second, 60, 40, ring), 20);
    // The tornado catcher's icon at its recorded place each hour.
    QImage icon(ChaserIconSize, ChaserIconSize, QImage::Format_RGB32);
    icon.fill(Qt::white);
    QPainter(&icon).drawImage(0, 0, ChaserIcon(ChaserOutcome::CaughtTornado));
    EXPECT_EQ(first.copy(40 - 9, 30 - 9, 18, 18), icon);
    EXPECT_EQ(second.copy(50 - 9, 10 - 9, 18, 18), icon);
    // An hour without recorded chasers has its rings only; past the last hour, nothing.
    QImage blank(120, 80, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_EQ(draw(2), blank);
    record.Hours[1].WithChasers = false;
    EXPECT_EQ(draw(1).copy(50 - 9, 10 - 9, 18, 18), blank.copy(0, 0, 18, 18));
}

} // namespace
} // namespace nimbrel
