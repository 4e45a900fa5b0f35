#include "map/measure.h"

#include <cmath>

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "map/geodesy_reference.h"

namespace nimbrel {
namespace {

TEST(Measure, TextOfTheReferencePairs) {
    // Whole miles of the reference distance in both units, the octant word and the
    // whole-degree bearing of the reference bearing.
    for (const InverseCase& c : InverseTable) {
        const QString expected = QStringLiteral("%1 MI (%2 NM) %3, %4\u00B0")
                                     .arg(std::lround(c.Distance * 1.150779448))
                                     .arg(std::lround(c.Distance))
                                     .arg(QString::fromLatin1(CompassOctant(c.Bearing)))
                                     .arg(std::lround(c.Bearing) % 360);
        EXPECT_EQ(MeasureText(c.From, c.To), expected);
    }
    EXPECT_EQ(MeasureText({35.22, -97.44}, {39.05, -94.58}),
              QStringLiteral("308 MI (267 NM) NORTHEAST, 30\u00B0"));
    EXPECT_EQ(MeasureText({45, -90}, {20, -110}),
              QStringLiteral("2070 MI (1799 NM) SOUTHWEST, 220\u00B0"));
    // 359.6 degrees reads 0, never 360.
    EXPECT_EQ(MeasureText({0, 0}, {10, -0.07}), QStringLiteral("690 MI (600 NM) NORTH, 0\u00B0"));
    EXPECT_EQ(MeasureText({35, -100}, {35, -100}), QStringLiteral("0 MI (0 NM) NORTH, 0\u00B0"));
}

TEST(Measure, LabelStaysInsideThePictureAtItsEdges) {
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        DrawMeasurement(painter, {20, 20}, {295, 195},
                        QStringLiteral("308 MI (267 NM) NORTHEAST, 30\u00B0"), image.width(),
                        image.height());
    }
    // The label box moved to the upper left of the cursor: its light fill is there.
    int filled = 0;
    for (int y = 0; y < 195; ++y)
        for (int x = 0; x < 295; ++x)
            if (image.pixel(x, y) == qRgb(255, 255, 225)) ++filled;
    EXPECT_GT(filled, 500);
    // The line runs through its middle.
    EXPECT_NE(image.pixel(157, 107), qRgb(255, 255, 255));
}

} // namespace
} // namespace nimbrel
