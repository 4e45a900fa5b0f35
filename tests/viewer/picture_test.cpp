#include <gtest/gtest.h>

#include "base/rounding.h"
#include "viewer/picture.h"

namespace nimbrel {
namespace {

TEST(PrintedSize, FillsThePageInOneDirection) {
    // Landscape picture on a portrait page: full width.
    EXPECT_EQ(PrintedSize(1000, 500, 4800, 6400), QSize(4800, 2400));
    // Tall picture: full height.
    EXPECT_EQ(PrintedSize(500, 1000, 4800, 6400), QSize(3200, 6400));
    // A chart on a landscape page is relatively taller than the page, so the height
    // fills; the width is 4800 / (0.8 + 0.0001) = 5999.25, the guard term included.
    EXPECT_EQ(PrintedSize(1000, 800, 6400, 4800), QSize(5999, 4800));
    // An empty picture divides by the small guard term instead of by zero.
    EXPECT_EQ(PrintedSize(0, 0, 4800, 6400), QSize(4800, 0));
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(2.5001), 3);
    EXPECT_EQ(RoundHalfEven(2399.99997), 2400);
}

QImage Filled(int w, int h, QRgb colour) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

TEST(ComposeSoundingView, KeepsTheStationMapInTheBand) {
    const QRgb map = qRgb(10, 120, 10), sounding = qRgb(0, 0, 200), white = qRgb(255, 255, 255);
    // Map higher than the sounding: its top part stays at the left.
    QImage view = ComposeSoundingView(Filled(450, 600, map), Filled(300, 400, sounding));
    ASSERT_EQ(view.size(), QSize(700, 400));
    EXPECT_EQ(view.pixel(0, 0), map);
    EXPECT_EQ(view.pixel(399, 399), map);
    EXPECT_EQ(view.pixel(400, 0), sounding); // the sounding starts at x = 400 ...
    EXPECT_EQ(view.pixel(699, 399), sounding);

    // Map lower than the sounding: white below the map.
    view = ComposeSoundingView(Filled(400, 300, map), Filled(200, 500, sounding));
    ASSERT_EQ(view.size(), QSize(600, 500));
    EXPECT_EQ(view.pixel(10, 299), map);
    EXPECT_EQ(view.pixel(10, 300), white);
    EXPECT_EQ(view.pixel(450, 499), sounding);

    // Nothing before: white band.
    view = ComposeSoundingView(QImage(), Filled(10, 10, sounding));
    EXPECT_EQ(view.pixel(0, 0), white);
}

} // namespace
} // namespace nimbrel
