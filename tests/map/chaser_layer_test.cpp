#include "map/chaser_layer.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "base/errors.h"
#include "map/chaser_icons.h"
#include "support/test_support.h"

namespace nimbrel {
namespace {

// One degree is 100 pixels near the centre of this 200 x 200 view of 0N 0E, so a
// chaser at (lat, lon) sits at pixel (100 + 100 lon, 100 - 100 lat).
ProjectionDescriptor PixelView() {
    ProjectionDescriptor d;
    ResetViewport(d);
    d.CentreLatitude = 0.0;
    d.CentreLongitude = 0.0;
    d.Scale = 28.64789; // 200 x 28.64789 = 100 x 180 / pi
    d.Width = 200;
    d.Height = 200;
    return d;
}

const ChaserOutcome AllOutcomes[] = {ChaserOutcome::Awaiting,    ChaserOutcome::EmptyHanded,
                                     ChaserOutcome::CaughtStorm, ChaserOutcome::CaughtTornado,
                                     ChaserOutcome::Busted,      ChaserOutcome::OutOfRange,
                                     ChaserOutcome::NotChasing};

// Each icon a solid colour of its own, so that a pixel tells which icon covers it.
QRgb IconColour(ChaserOutcome o) {
    return qRgb(20 + 30 * static_cast<int>(o), 200, 60);
}

class ChaserLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        appData = dir.path() + QLatin1Char('/');
        for (ChaserOutcome o : AllOutcomes) {
            QImage icon(18, 18, QImage::Format_RGB32);
            icon.fill(IconColour(o));
            ASSERT_TRUE(icon.save(appData + ChaserIconFile(o), "BMP"));
        }
        // Everyone far off the picture unless a test places them.
        for (Chaser& c : chasers) {
            c.Position = {0.0, 40.0};
            c.Target = {MissingCoordinate, 0.0};
            c.Outcome = ChaserOutcome::NotChasing;
        }
        bitmap = QImage(200, 200, QImage::Format_RGB32);
        bitmap.fill(Qt::white);
    }
    void Draw(bool numbers = false) {
        DrawChaserLayer(bitmap, chasers, PixelView(), appData, numbers);
    }
    int CountPixels(QRect area, QRgb colour) const {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += bitmap.pixel(x, y) == colour;
        return n;
    }

    QTemporaryDir dir;
    QString appData;
    ChaserTable chasers{};
    QImage bitmap;
};

TEST_F(ChaserLayerTest, IconIsCentredOnTheChaser) {
    chasers[0].Outcome = ChaserOutcome::CaughtTornado;
    chasers[0].Position = {0.0, 0.0}; // pixel (100, 100)
    Draw();
    const QRgb tornado = IconColour(ChaserOutcome::CaughtTornado);
    EXPECT_EQ(bitmap.pixel(91, 91), tornado);   // top-left corner at (x - 9, y - 9)
    EXPECT_EQ(bitmap.pixel(108, 108), tornado); // 18 pixels across
    EXPECT_EQ(bitmap.pixel(90, 100), qRgb(255, 255, 255));
    EXPECT_EQ(bitmap.pixel(109, 100), qRgb(255, 255, 255));
    EXPECT_EQ(CountPixels(bitmap.rect(), tornado), 18 * 18);
}

TEST_F(ChaserLayerTest, HeadingStrokeShowsOnlyWhileDrivingToATarget) {
    const QRgb red = qRgb(255, 0, 0);
    chasers[0].Position = {0.5, -0.5}; // (50, 50), heading east
    chasers[0].Heading = 90;
    chasers[0].Target = {35.0, -97.0};
    chasers[1].Position = {0.5, 0.5}; // (150, 50), heading south
    chasers[1].Heading = 180;
    chasers[1].Target = {36.0, -98.0};
    chasers[2].Position = {-0.5, -0.5}; // (50, 150): no target
    chasers[2].Heading = 90;
    chasers[3].Position = {-0.5, 0.5}; // (150, 150): target latitude 0 counts as none
    chasers[3].Heading = 90;
    chasers[3].Target = {0.0, -98.0};
    Draw();
    // The stroke runs 20 pixels from the chaser; the icon covers its first 9.
    EXPECT_EQ(bitmap.pixel(65, 50), red);
    EXPECT_EQ(bitmap.pixel(69, 50), red);
    EXPECT_NE(bitmap.pixel(73, 50), red);
    EXPECT_EQ(bitmap.pixel(150, 65), red);
    EXPECT_EQ(bitmap.pixel(150, 69), red);
    EXPECT_EQ(CountPixels(QRect(0, 100, 200, 100), red), 0);
    // Nothing to the north or west of the east- and south-bound chasers.
    EXPECT_EQ(CountPixels(QRect(20, 30, 20, 40), red), 0);
    EXPECT_EQ(CountPixels(QRect(140, 20, 20, 20), red), 0);
}

TEST_F(ChaserLayerTest, UnusedOutcomeKeepsThePreviousChasersIcon) {
    chasers[0].Outcome = ChaserOutcome::Busted;
    chasers[0].Position = {0.5, -0.5};
    chasers[1].Outcome = static_cast<ChaserOutcome>(6);
    chasers[1].Position = {-0.5, 0.5}; // (150, 150)
    Draw();
    EXPECT_EQ(bitmap.pixel(150, 150), IconColour(ChaserOutcome::Busted));
}

TEST_F(ChaserLayerTest, NumbersOnlyInDeveloperMode) {
    chasers[4].Outcome = ChaserOutcome::Awaiting;
    chasers[4].Position = {0.0, 0.0};
    const QRgb black = qRgb(0, 0, 0);
    const QRect beside(100, 100, 30, 30); // the number's top-left is the chaser's pixel
    Draw(false);
    EXPECT_EQ(CountPixels(beside, black), 0);
    Draw(true);
    EXPECT_GT(CountPixels(beside, black), 3);
    EXPECT_EQ(CountPixels(QRect(60, 60, 30, 30), black), 0); // nothing up-left of it
}

TEST_F(ChaserLayerTest, MissingIconStopsTheLayerAfterTheChasersBefore) {
    chasers[0].Outcome = ChaserOutcome::CaughtStorm;
    chasers[0].Position = {0.5, -0.5};
    chasers[1].Outcome = ChaserOutcome::OutOfRange;
    chasers[1].Position = {-0.5, 0.5};
    QFile::remove(appData + ChaserIconFile(ChaserOutcome::OutOfRange));
    try {
        Draw();
        FAIL() << "no error";
    } catch (const FileNotFound& e) {
        EXPECT_EQ(e.Message(),
                  "File not found\n" + appData + ChaserIconFile(ChaserOutcome::OutOfRange));
    }
    EXPECT_EQ(bitmap.pixel(50, 50), IconColour(ChaserOutcome::CaughtStorm));
    EXPECT_EQ(bitmap.pixel(150, 150), qRgb(255, 255, 255));
}

TEST_F(ChaserLayerTest, IconSetDecodesOnceAndAgainForAnotherFolder) {
    chasers[0].Outcome = ChaserOutcome::CaughtTornado;
    chasers[0].Position = {0.0, 0.0}; // pixel (100, 100)
    ChaserIconSet icons;
    auto drawFrom = [&](const QString& folder) {
        bitmap.fill(Qt::white);
        DrawChaserLayer(bitmap, chasers, PixelView(), folder, false, &icons);
        return bitmap.pixel(100, 100);
    };
    const QRgb tornado = IconColour(ChaserOutcome::CaughtTornado);
    EXPECT_EQ(drawFrom(appData), tornado);

    // The files change under the same folder: the set keeps what it decoded.
    const QRgb grey = qRgb(1, 2, 3);
    QImage other(18, 18, QImage::Format_RGB32);
    other.fill(grey);
    for (ChaserOutcome o : AllOutcomes)
        ASSERT_TRUE(other.save(appData + ChaserIconFile(o), "BMP"));
    EXPECT_EQ(drawFrom(appData), tornado);

    // Another folder: its own icons. A missing one fails on every pass until it is there.
    QTemporaryDir second;
    const QString folder = second.path() + QLatin1Char('/');
    ASSERT_TRUE(other.save(folder + ChaserIconFile(ChaserOutcome::NotChasing), "BMP"));
    EXPECT_THROW(drawFrom(folder), FileNotFound);
    EXPECT_THROW(drawFrom(folder), FileNotFound);
    ASSERT_TRUE(other.save(folder + ChaserIconFile(ChaserOutcome::CaughtTornado), "BMP"));
    EXPECT_EQ(drawFrom(folder), grey);
}

TEST_F(ChaserLayerTest, DamagedIconFilesAreRefused) {
    const QString path = appData + ChaserIconFile(ChaserOutcome::NotChasing);
    test::WriteFile(path, QByteArray("BM this is not a picture"));
    EXPECT_THROW(Draw(), DataError);

    // A well-formed header announcing an enormous picture is refused before decoding.
    QImage small(18, 18, QImage::Format_RGB32);
    small.fill(Qt::blue);
    ASSERT_TRUE(small.save(path, "BMP"));
    QByteArray bytes = test::ReadFile(path);
    bytes[18] = '\x00'; // width 0x00100000
    bytes[19] = '\x00';
    bytes[20] = '\x10';
    test::WriteFile(path, bytes);
    EXPECT_THROW(LoadChaserIcon(path), DataError);
}

} // namespace
} // namespace nimbrel
