#include "map/basemap.h"

#include <initializer_list>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/test_support.h"

namespace nimbrel {
namespace {

using test::ReadFile;
using test::WriteFile;

// A 100 x 100 view centred on 0N 0E whose scale makes one degree 100 pixels near the
// centre, so that a hundredth of a degree is one pixel: the pixel (X, Y) is the point
// latitude (50 - Y) / 100, longitude (X - 50) / 100. The curvature over the half
// degree used here is far below half a pixel.
ProjectionDescriptor PixelView() {
    ProjectionDescriptor d;
    ResetViewport(d);
    d.CentreLatitude = 0.0;
    d.CentreLongitude = 0.0;
    d.Scale = 57.29578;
    d.Width = 100;
    d.Height = 100;
    return d;
}

void PutInt16(QByteArray& out, int v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

// A line-layer record for pixel (x, y) of PixelView: hundredths of a degree, longitude
// west positive.
struct LinePoint {
    int X, Y;
};
constexpr LinePoint PenUp{-100000, 0};

QByteArray LineFile(std::initializer_list<LinePoint> points, int penUpValue = 0) {
    QByteArray out;
    for (const LinePoint& p : points) {
        if (p.X == PenUp.X) {
            PutInt16(out, penUpValue);
            PutInt16(out, 1234);
        } else {
            PutInt16(out, 50 - p.Y);
            PutInt16(out, 50 - p.X);
        }
    }
    return out;
}

// An outline record for pixel (x, y) of PixelView, in minutes of arc, east positive.
// Coordinates are multiples of 5 pixels so that the minutes are whole (5 px = 3').
struct OutlinePoint {
    int Code, X, Y;
};
QByteArray OutlineFile(std::initializer_list<OutlinePoint> points) {
    QByteArray out;
    for (const OutlinePoint& p : points) {
        PutInt16(out, p.Code);
        PutInt16(out, (50 - p.Y) * 3 / 5);
        PutInt16(out, (p.X - 50) * 3 / 5);
    }
    return out;
}

QImage WhiteImage(int w = 100, int h = 100) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

bool IsWhite(const QImage& img, int x, int y) {
    return img.pixel(x, y) == qRgb(255, 255, 255);
}

class LayerTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    QImage DrawLines(const QByteArray& file) {
        WriteFile(Path("lines"), file);
        QImage img = WhiteImage();
        QPainter p(&img);
        p.setPen(QPen(Qt::black, 1));
        PixelPoint previous{MissingPixel, MissingPixel};
        DrawLineLayer(p, Path("lines"), PixelView(), previous);
        return img;
    }

    QImage DrawOutlines(const QByteArray& file, int* events = nullptr) {
        WriteFile(Path("outlines"), file);
        QImage img = WhiteImage();
        QPainter p(&img);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::NoBrush);
        DrawOutlineLayer(p, Path("outlines"), PixelView(), [events] {
            if (events) ++*events;
        });
        return img;
    }

    QTemporaryDir dir;
};

TEST_F(LayerTest, LinesJoinConsecutivePointsAndBreakAtEveryPenUpMark) {
    for (int penUp : {0, -9999, 9999, -1, -100}) {
        SCOPED_TRACE(penUp);
        const QImage img =
            DrawLines(LineFile({{20, 40}, {40, 40}, PenUp, {40, 20}, {70, 20}}, penUp));
        EXPECT_FALSE(IsWhite(img, 30, 40)); // first line
        EXPECT_FALSE(IsWhite(img, 55, 20)); // second line
        EXPECT_TRUE(IsWhite(img, 40, 30));  // the two are not joined
        EXPECT_TRUE(IsWhite(img, 40, 25));
    }
    // Without the mark the corner is joined.
    const QImage joined = DrawLines(LineFile({{20, 40}, {40, 40}, {40, 20}, {70, 20}}));
    EXPECT_FALSE(IsWhite(joined, 40, 30));
}

TEST_F(LayerTest, LinesDoNotCrossTheMapAfterWrappingRound) {
    // Leaving above the top (y <= 0) and reappearing below the bottom (y > 100).
    const QImage vertical = DrawLines(LineFile({{30, -5}, {30, 105}}));
    EXPECT_TRUE(IsWhite(vertical, 30, 50));
    // The same the other way, and left/right.
    EXPECT_TRUE(IsWhite(DrawLines(LineFile({{30, 105}, {30, -5}})), 30, 50));
    EXPECT_TRUE(IsWhite(DrawLines(LineFile({{-5, 60}, {105, 60}})), 50, 60));
    EXPECT_TRUE(IsWhite(DrawLines(LineFile({{105, 60}, {-5, 60}})), 50, 60));
    // A line that stays within the rows is drawn across.
    EXPECT_FALSE(IsWhite(DrawLines(LineFile({{30, 5}, {30, 95}})), 30, 50));
    EXPECT_FALSE(IsWhite(DrawLines(LineFile({{0, 60}, {100, 60}})), 50, 60));
}

TEST_F(LayerTest, PreviousPixelCarriesToTheNextFile) {
    WriteFile(Path("lines"), LineFile({{20, 40}, {40, 30}}));
    QImage img = WhiteImage();
    QPainter p(&img);
    PixelPoint previous{MissingPixel, MissingPixel};
    DrawLineLayer(p, Path("lines"), PixelView(), previous);
    EXPECT_EQ(previous, (PixelPoint{40, 30}));
}

TEST_F(LayerTest, LineFileCutShortDrawsItsWholeRecordsThenFails) {
    QByteArray file = LineFile({{20, 40}, {40, 40}});
    file.append("\x01\x02", 2);
    WriteFile(Path("lines"), file);
    QImage img = WhiteImage();
    {
        QPainter p(&img);
        p.setPen(QPen(Qt::black, 1));
        PixelPoint previous{MissingPixel, MissingPixel};
        EXPECT_THROW(DrawLineLayer(p, Path("lines"), PixelView(), previous), DataError);
    }
    EXPECT_FALSE(IsWhite(img, 30, 40));
}

TEST_F(LayerTest, MissingVectorFileIsFileNotFound) {
    QImage img = WhiteImage();
    QPainter p(&img);
    PixelPoint previous{MissingPixel, MissingPixel};
    try {
        DrawLineLayer(p, Path("absent"), PixelView(), previous);
        FAIL() << "no error";
    } catch (const FileNotFound& e) {
        EXPECT_EQ(e.Message(), "File not found\n" + Path("absent"));
    }
    EXPECT_THROW(DrawOutlineLayer(p, Path("absent"), PixelView()), FileNotFound);
}

TEST_F(LayerTest, OutlinesStartAtEveryLargeCodeAndAreClosed) {
    int events = 0;
    const QImage img = DrawOutlines(OutlineFile({
                                        {1000, 10, 10},
                                        {0, 30, 10},
                                        {0, 30, 30}, // triangle
                                        {1500, 60, 60},
                                        {7, 80, 60},
                                        {7, 80, 80},
                                        {7, 60, 80},
                                    }),
                                    &events);
    // The start record is the first vertex: the closing edge runs back to (10, 10).
    EXPECT_FALSE(IsWhite(img, 20, 10));
    EXPECT_FALSE(IsWhite(img, 30, 20));
    EXPECT_FALSE(IsWhite(img, 20, 20)); // diagonal closing edge
    EXPECT_TRUE(IsWhite(img, 25, 15));  // hollow inside
    // The square is separate from the triangle and closed on its fourth side.
    EXPECT_FALSE(IsWhite(img, 70, 60));
    EXPECT_FALSE(IsWhite(img, 60, 70));
    EXPECT_TRUE(IsWhite(img, 70, 70));
    EXPECT_TRUE(IsWhite(img, 45, 45)); // nothing joins the two outlines
    // Events are let through once between outlines.
    EXPECT_EQ(events, 1);
}

TEST_F(LayerTest, OutlineJumpDropsTheRestOfTheOutline) {
    // (1500, 10) is about 1,400 pixels away from the previous point: once two points are
    // gathered, the jump and every later point of the outline are dropped, and the
    // outline closes over the two points before it.
    const QImage img = DrawOutlines(OutlineFile({
        {1000, 10, 10},
        {0, 40, 10},
        {0, 1500, 10},
        {0, 40, 60},
        {0, 10, 60},
    }));
    EXPECT_FALSE(IsWhite(img, 25, 10));
    EXPECT_TRUE(IsWhite(img, 25, 60));
    EXPECT_TRUE(IsWhite(img, 10, 35));
    EXPECT_TRUE(IsWhite(img, 40, 35));

    // A following outline is drawn again in full.
    const QImage next = DrawOutlines(OutlineFile({
        {1000, 10, 10},
        {0, 40, 10},
        {0, 1500, 10},
        {1000, 10, 60},
        {0, 40, 60},
        {0, 40, 90},
    }));
    EXPECT_FALSE(IsWhite(next, 25, 60));
    EXPECT_FALSE(IsWhite(next, 40, 75));
}

TEST_F(LayerTest, OutlineContinuationPointsBeforeTheFirstStartAreDropped) {
    const QImage img = DrawOutlines(OutlineFile({
        {5, 10, 90},
        {5, 90, 90},
        {1000, 10, 10},
        {0, 30, 10},
        {0, 30, 30},
    }));
    EXPECT_TRUE(IsWhite(img, 50, 90));
    EXPECT_FALSE(IsWhite(img, 20, 10));
}

class BasemapTest : public ::testing::Test {
protected:
    void SetUp() override {
        appData = dir.path() + QLatin1Char('/');
        // A fine line across row 20, a bold line down column 70, a square outline.
        WriteFile(appData + FineLinesFile, LineFile({{10, 20}, {90, 20}}));
        WriteFile(appData + BoldLinesFile, LineFile({{70, 30}, {70, 90}}));
        WriteFile(appData + OutlinesFile,
                  OutlineFile({{1000, 20, 40}, {0, 50, 40}, {0, 50, 70}, {0, 20, 70}}));
        view = PixelView();
        hooks.BeginBusy = [this] { ++begun; };
        hooks.EndBusy = [this] { ++ended; };
        hooks.ProcessEvents = [this] { ++events; };
    }
    QString CachePath(const QString& name) const { return appData + name; }

    QTemporaryDir dir;
    QString appData;
    ProjectionDescriptor view;
    BasemapHooks hooks;
    int begun = 0, ended = 0, events = 0;
};

TEST_F(BasemapTest, FreshDrawingPaintsTheLayersAndWritesTheCache) {
    QImage bitmap;
    EXPECT_FALSE(DrawBasemap(appData, view, QSize(100, 100), bitmap, hooks));
    ASSERT_EQ(bitmap.size(), QSize(100, 100));
    EXPECT_EQ(bitmap.pixel(50, 20), qRgb(204, 204, 204));
    EXPECT_EQ(bitmap.pixel(70, 60), qRgb(221, 204, 170));
    EXPECT_EQ(bitmap.pixel(35, 40), qRgb(119, 119, 119));
    EXPECT_EQ(bitmap.pixel(20, 55), qRgb(119, 119, 119));
    EXPECT_EQ(bitmap.pixel(35, 55), qRgb(255, 255, 255));
    EXPECT_EQ(bitmap.pixel(5, 95), qRgb(255, 255, 255));
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(ended, 1);

    EXPECT_EQ(ReadFile(CachePath(CachedViewFile)), view.ToBytes());
    const QImage cached(CachePath(CachedBitmapFile)); // a standard bitmap file
    ASSERT_FALSE(cached.isNull());
    EXPECT_EQ(cached.convertToFormat(QImage::Format_RGB32), bitmap);
}

TEST_F(BasemapTest, ACacheThatCannotBeWrittenStillGivesTheMap) {
    QDir().mkpath(CachePath(CachedBitmapFile)); // no file can take the bitmap's place
    QImage bitmap;
    EXPECT_NO_THROW(DrawBasemap(appData, view, QSize(100, 100), bitmap, hooks));
    EXPECT_EQ(bitmap.pixel(50, 20), qRgb(204, 204, 204));
    EXPECT_FALSE(QFileInfo::exists(CachePath(CachedViewFile))); // nothing vouches for it
}

TEST_F(BasemapTest, FreshDrawingTakesTheClientSize) {
    ResetViewport(view); // 1000 x 800 as after a session reset
    QImage bitmap;
    EXPECT_FALSE(DrawBasemap(appData, view, QSize(640, 480), bitmap, hooks));
    EXPECT_EQ(view.Width, 640);
    EXPECT_EQ(view.Height, 480);
    EXPECT_EQ(bitmap.size(), QSize(640, 480));
    EXPECT_EQ(ProjectionDescriptor::FromBytes(ReadFile(CachePath(CachedViewFile))).Width, 640);
}

TEST_F(BasemapTest, SecondRefreshLoadsTheCacheWithoutReadingTheVectorFiles) {
    QImage first;
    DrawBasemap(appData, view, QSize(100, 100), first, hooks);
    // Were the vector files read again, these would fail.
    QFile::remove(appData + FineLinesFile);
    WriteFile(appData + OutlinesFile, QByteArray("xyz"));

    QImage second;
    EXPECT_TRUE(DrawBasemap(appData, view, QSize(100, 100), second, hooks));
    EXPECT_EQ(second, first);
    EXPECT_EQ(begun, 1);

    // The cache test looks at the size the map was last drawn at, not the client size.
    QImage third;
    EXPECT_TRUE(DrawBasemap(appData, view, QSize(300, 200), third, hooks));
    EXPECT_EQ(view.Width, 100);
    EXPECT_EQ(third.size(), QSize(100, 100));
}

TEST_F(BasemapTest, MemoryServesAnUnchangedViewUntilTheCacheFilesChange) {
    BasemapMemory memory;
    QImage first, second;
    EXPECT_FALSE(DrawBasemap(appData, view, QSize(100, 100), first, hooks, &memory));
    EXPECT_TRUE(DrawBasemap(appData, view, QSize(100, 100), second, hooks, &memory));
    EXPECT_EQ(second.constBits(), first.constBits()); // the drawn picture itself, not a reading

    // The bitmap file rewritten behind the program's back (same size, later time stamp)
    // is read again.
    QImage other(100, 100, QImage::Format_RGB32);
    other.fill(qRgb(1, 2, 3));
    SaveBitmap32(CachePath(CachedBitmapFile), other);
    QFile file(CachePath(CachedBitmapFile));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                 QFileDevice::FileModificationTime));
    file.close();
    QImage third;
    EXPECT_TRUE(DrawBasemap(appData, view, QSize(100, 100), third, hooks, &memory));
    EXPECT_EQ(third, other);

    // Without the descriptor the memory is no excuse: the map is drawn afresh.
    QFile::remove(CachePath(CachedViewFile));
    QImage fourth;
    EXPECT_FALSE(DrawBasemap(appData, view, QSize(100, 100), fourth, hooks, &memory));
    EXPECT_EQ(fourth, first);
    EXPECT_EQ(begun, 2);
}

TEST_F(BasemapTest, AnyChangeOfTheViewRedraws) {
    QImage bitmap;
    DrawBasemap(appData, view, QSize(100, 100), bitmap, hooks);
    const QImage before = bitmap;

    MoveView(view, ViewMove::North);
    EXPECT_FALSE(DrawBasemap(appData, view, QSize(100, 100), bitmap, hooks));
    EXPECT_NE(bitmap, before);
    MoveView(view, ViewMove::South);
    EXPECT_FALSE(DrawBasemap(appData, view, QSize(100, 100), bitmap, hooks));
    EXPECT_EQ(bitmap, before);

    // Right after a session reset the size is 1000 x 800 again: no match with 100 x 100.
    ProjectionDescriptor reset = view;
    reset.Width = 1000;
    reset.Height = 800;
    EXPECT_FALSE(DrawBasemap(appData, reset, QSize(100, 100), bitmap, hooks));
    EXPECT_EQ(begun, 4);
}

TEST_F(BasemapTest, MissingOrDamagedDescriptorForcesARedraw) {
    QImage bitmap;
    DrawBasemap(appData, view, QSize(100, 100), bitmap, hooks);
    QFile::remove(CachePath(CachedViewFile));
    EXPECT_FALSE(DrawBasemap(appData, view, QSize(100, 100), bitmap, hooks));
    EXPECT_TRUE(QFile::exists(CachePath(CachedViewFile)));
    EXPECT_TRUE(QFile::exists(CachePath(CachedBitmapFile)));
    EXPECT_TRUE(DrawBasemap(appData, view, QSize(100, 100), bitmap, hooks));

    WriteFile(CachePath(CachedViewFile), view.ToBytes().left(100));
    EXPECT_FALSE(DrawBasemap(appData, view, QSize(100, 100), bitmap, hooks));
    EXPECT_EQ(ReadFile(CachePath(CachedViewFile)), view.ToBytes());
}

TEST_F(BasemapTest, UnreadableCachedBitmapIsRedrawnNotShown) {
    QImage bitmap;
    DrawBasemap(appData, view, QSize(100, 100), bitmap, hooks);
    const QImage good = bitmap;
    const QByteArray whole = ReadFile(CachePath(CachedBitmapFile));
    WriteFile(CachePath(CachedBitmapFile), whole.left(whole.size() / 2));

    QImage again;
    EXPECT_FALSE(DrawBasemap(appData, view, QSize(100, 100), again, hooks));
    EXPECT_EQ(again, good);
    EXPECT_EQ(ReadFile(CachePath(CachedBitmapFile)), whole);
}

TEST_F(BasemapTest, CorruptVectorFileFailsAndLeavesTheCacheAlone) {
    QImage bitmap;
    DrawBasemap(appData, view, QSize(100, 100), bitmap, hooks);
    const QByteArray cachedBitmap = ReadFile(CachePath(CachedBitmapFile));
    const QByteArray cachedView = ReadFile(CachePath(CachedViewFile));

    // A bold-line file with one whole record and half of another.
    WriteFile(appData + BoldLinesFile, LineFile({{70, 30}}) + QByteArray("\x05\x00", 2));
    MoveView(view, ViewMove::ZoomOut);
    QImage partial;
    EXPECT_THROW(DrawBasemap(appData, view, QSize(100, 100), partial, hooks), DataError);
    EXPECT_EQ(ReadFile(CachePath(CachedBitmapFile)), cachedBitmap);
    EXPECT_EQ(ReadFile(CachePath(CachedViewFile)), cachedView);
    // What was drawn before the failure is handed back: the fine line is there, on the
    // zoomed-out view 1.5 times closer to the centre (row 50 - 30 / 1.5).
    ASSERT_EQ(partial.size(), QSize(100, 100));
    EXPECT_EQ(partial.pixel(50, 30), qRgb(204, 204, 204));
    EXPECT_EQ(ended, begun); // the busy state always ends

    // Missing outline file: "File not found", cache still untouched.
    WriteFile(appData + BoldLinesFile, LineFile({{70, 30}, {70, 90}}));
    QFile::remove(appData + OutlinesFile);
    EXPECT_THROW(DrawBasemap(appData, view, QSize(100, 100), partial, hooks), FileNotFound);
    EXPECT_EQ(ReadFile(CachePath(CachedViewFile)), cachedView);
}

TEST(Bitmap32, WritesAStandardThirtyTwoBitFileAndReadsItBack) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/b.bmp";
    QImage img(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            img.setPixel(x, y, qRgb(x * 50, y * 100, 7));
    SaveBitmap32(path, img);
    const QByteArray bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 54 + 5 * 3 * 4);
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 32); // bits per pixel
    EXPECT_EQ(bytes[30], 0);                              // uncompressed
    // Bottom row first, blue-green-red-unused: pixel (0, 2) is (0, 200, 7).
    EXPECT_EQ(static_cast<unsigned char>(bytes[54]), 7);
    EXPECT_EQ(static_cast<unsigned char>(bytes[55]), 200);
    EXPECT_EQ(static_cast<unsigned char>(bytes[56]), 0);

    EXPECT_EQ(LoadBitmap32(path), img);
    EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), img);
}

TEST(Bitmap32, RefusesWhatItDidNotWrite) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/b.bmp";
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::red);
    ASSERT_TRUE(img.save(path, "BMP")); // the library's own flavour has 24 bits
    EXPECT_TRUE(LoadBitmap32(path).isNull());

    // A header claiming a huge picture over a short file.
    SaveBitmap32(path, img);
    QByteArray bytes = ReadFile(path);
    bytes[18] = '\xFF';
    bytes[19] = '\x7F';
    WriteFile(path, bytes);
    EXPECT_TRUE(LoadBitmap32(path).isNull());
    EXPECT_TRUE(LoadBitmap32(dir.path() + "/absent.bmp").isNull());
}

} // namespace
} // namespace nimbrel
