// The built-in font and the GIF and JPEG writers, read back with the program's decoders.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "base/errors.h"
#include "base/records.h"
#include "raster.h"
#include "viewer/decoders.h"

using namespace nimbrel;
using namespace nimbrel::tools;

TEST(FontTest, DrawsTheDotPatternOfAGlyph) {
    QImage image(7, 9, QImage::Format_RGB32);
    image.fill(Qt::white);
    DrawText(image, 1, 1, QStringLiteral("t"), QColor(0, 0, 0)); // drawn as a capital T
    // T: a full top bar, then the middle column only.
    for (int x = 1; x <= 5; ++x)
        EXPECT_EQ(image.pixel(x, 1) & 0xFFFFFF, 0u) << x;
    for (int y = 2; y <= 7; ++y) {
        EXPECT_EQ(image.pixel(3, y) & 0xFFFFFF, 0u) << y;
        EXPECT_EQ(image.pixel(2, y) & 0xFFFFFF, 0xFFFFFFu) << y;
        EXPECT_EQ(image.pixel(4, y) & 0xFFFFFF, 0xFFFFFFu) << y;
    }
    EXPECT_EQ(image.pixel(3, 8) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(FontTest, WidthScaleAndClipping) {
    EXPECT_EQ(TextWidth(QString()), 0);
    EXPECT_EQ(TextWidth(QStringLiteral("AB")), 11); // 5 + 1 + 5
    EXPECT_EQ(TextWidth(QStringLiteral("AB"), 2), 22);
    EXPECT_TRUE(HasGlyph(QLatin1Char('q')));
    EXPECT_TRUE(HasGlyph(QLatin1Char(' ')));
    EXPECT_FALSE(HasGlyph(QLatin1Char('@')));
    // Text running off the picture is clipped, not written out of bounds.
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    DrawText(image, -3, -3, QStringLiteral("WW"), QColor(0, 0, 0), 3);
    DrawText(image, 2, 2, QStringLiteral("M"), QColor(0, 0, 0), 2);
    EXPECT_EQ(image.pixel(2, 2) & 0xFFFFFF, 0u); // M's top-left dot, doubled
}

TEST(GifWriterTest, RoundTripsEveryPixelThroughTheProgramsDecoder) {
    QImage image(37, 23, QImage::Format_RGB32);
    const QRgb colours[5] = {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(255, 34, 34), qRgb(1, 2, 3),
                             qRgb(0, 170, 0)};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, colours[(x * 7 + y * 3) % 5]);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.gif"));
    WriteGif(image, path);
    const QImage back = DecodeGifFile(path);
    ASSERT_EQ(back.size(), image.size());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(back.pixel(x, y) & 0xFFFFFF, image.pixel(x, y) & 0xFFFFFF) << x << "," << y;
    // The same picture gives the same file.
    const QString again = dir.filePath(QStringLiteral("u.gif"));
    WriteGif(image, again);
    EXPECT_EQ(ReadWholeFile(path), ReadWholeFile(again));
}

TEST(GifWriterTest, RefusesMoreColoursThanAPaletteHolds) {
    QImage image(17, 17, QImage::Format_RGB32);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 17; ++x)
            image.setPixel(x, y, qRgb(x, y, 0)); // 289 colours
    QTemporaryDir dir;
    EXPECT_THROW(WriteGif(image, dir.filePath(QStringLiteral("t.gif"))), DataError);
    EXPECT_THROW(
        WriteGif(QImage(2, 2, QImage::Format_RGB32), QStringLiteral("/nonexistent/dir/t.gif")),
        FileError);
}

TEST(JpegWriterTest, DecodesToTheSameSizeAndNearlyTheSameColours) {
    QImage image(64, 40, QImage::Format_RGB32);
    image.fill(qRgb(40, 60, 200));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.jpg"));
    WriteJpeg(image, path, 90);
    const QImage back = DecodeJpegFile(path);
    ASSERT_EQ(back.size(), image.size());
    const QRgb c = back.pixel(32, 20);
    EXPECT_NEAR(qRed(c), 40, 6);
    EXPECT_NEAR(qGreen(c), 60, 6);
    EXPECT_NEAR(qBlue(c), 200, 6);
    EXPECT_THROW(WriteJpeg(image, QStringLiteral("/nonexistent/dir/t.jpg")), FileError);
}
