#include "viewer/gif_export.h"

#include <cmath>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/test_support.h"
#include "viewer/decoders.h"

namespace nimbrel {
namespace {

QString Images() {
    return test::TestDataDir() + QStringLiteral("images/");
}

double MeanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

class GifExport : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // Three frames as a case folder holds them: GIF, JPEG (a photograph of many
        // more than 256 colours) and a GIF of another size.
        QFile::copy(Images() + "video-001.gif", Path("satv-790410-1200.gif"));
        QFile::copy(Images() + "video-001.jpeg", Path("satv-790410-1230.jpg"));
        QFile::copy(Images() + "triangle-001.gif", Path("satv-790410-1300.gif"));
        frames_ << Path("satv-790410-1200.gif") << Path("satv-790410-1230.jpg")
                << Path("satv-790410-1300.gif");
    }
    QString Path(const char* name) const { return dir_.path() + "/" + name; }
    QTemporaryDir dir_;
    QStringList frames_;
};

TEST_F(GifExport, WrittenLoopReadsBackWithItsTimingAndColours) {
    const QString target = Path("loop.gif");
    std::vector<int> seen;
    const auto outcome = ExportLoopGif(frames_, 250, 1000, target, [&](int done, int total) {
        EXPECT_EQ(total, 3);
        seen.push_back(done);
        return true;
    });
    ASSERT_EQ(outcome, ExportOutcome::Written);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3}));

    const GifAnimation loop = DecodeGifAnimation(test::ReadFile(target));
    ASSERT_EQ(loop.Frames.size(), 3u);
    EXPECT_EQ(loop.DelaysMs, (std::vector<int>{250, 250, 1250}));
    const QImage first = DecodeGifFile(frames_[0]);
    EXPECT_EQ(loop.Frames[0].size(), first.size());
    // A GIF frame keeps its colours exactly.
    EXPECT_EQ(loop.Frames[0], first);
    // A JPEG frame comes close on average (dithered to 256 colours).
    const QImage photo = DecodeJpegFile(frames_[1]);
    EXPECT_LT(MeanDifference(loop.Frames[1], photo), 4.0);
    // A larger frame is cut to the loop's size at its top-left corner.
    const QImage other = DecodeGifFile(frames_[2]);
    EXPECT_EQ(loop.Frames[2], other.copy(0, 0, first.width(), first.height()));
}

// Wherever a written loop is cut, what stands before the cut is kept: once a first
// frame decodes, every longer piece decodes too, to at least as many frames, and every
// frame but the last (which the cut may have reached) is the whole file's frame.
TEST_F(GifExport, ALoopCutAnywhereKeepsTheFramesBeforeTheCut) {
    const QString target = Path("loop.gif");
    ASSERT_EQ(ExportLoopGif(frames_, 250, 1000, target, [](int, int) { return true; }),
              ExportOutcome::Written);
    const QByteArray bytes = test::ReadFile(target);
    const GifAnimation whole = DecodeGifAnimation(bytes);
    ASSERT_EQ(whole.Frames.size(), 3u);
    std::size_t framesBefore = 0;
    bool decodedBefore = false;
    for (qsizetype cut = 16; cut < bytes.size(); cut += 5) {
        SCOPED_TRACE(cut);
        GifAnimation piece;
        try {
            piece = DecodeGifAnimation(bytes.left(cut));
        } catch (const DataError&) {
            EXPECT_FALSE(decodedBefore) << "a longer piece fails where a shorter decoded";
            continue;
        }
        decodedBefore = true;
        ASSERT_GE(piece.Frames.size(), framesBefore);
        framesBefore = piece.Frames.size();
        for (std::size_t i = 0; i + 1 < piece.Frames.size(); ++i)
            EXPECT_EQ(piece.Frames[i], whole.Frames[i]) << "frame " << i;
    }
    EXPECT_EQ(framesBefore, 3u);
}

TEST_F(GifExport, CancelledOrFailedExportLeavesNothing) {
    const QString target = Path("loop.gif");
    const QStringList before = QDir(dir_.path()).entryList(QDir::Files);
    EXPECT_EQ(ExportLoopGif(frames_, 250, 1000, target, [](int done, int) { return done < 2; }),
              ExportOutcome::Cancelled);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), before);

    // A file already there stays as it was through a cancel and through a failure.
    test::WriteFile(target, "old");
    EXPECT_EQ(ExportLoopGif(frames_, 250, 1000, target, [](int done, int) { return done < 1; }),
              ExportOutcome::Cancelled);
    test::WriteFile(Path("satv-790410-1330.gif"), "GIF89a broken");
    EXPECT_ANY_THROW(ExportLoopGif(frames_ << Path("satv-790410-1330.gif"), 250, 1000, target));
    EXPECT_EQ(test::ReadFile(target), QByteArray("old"));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), before.size() + 2);
}

TEST(ReduceColours, SmoothGradientDithersWithoutBands) {
    // 64 x 512 levels of colour: far more than 256 colours.
    QImage ramp(512, 64, QImage::Format_RGB32);
    for (int y = 0; y < ramp.height(); ++y)
        for (int x = 0; x < ramp.width(); ++x)
            ramp.setPixel(x, y, qRgb(x / 2, 255 - x / 2, (y * 4 + x / 8) % 256));
    const IndexedPicture reduced = ReduceColours(ramp);
    ASSERT_LE(reduced.Palette.size(), 256u);
    // Seen from a little way off (8 x 8 blocks), the picture is the ramp: banding would
    // put whole blocks several levels off. The first and last columns of blocks hold
    // the purest colours of the ramp, which no 256 colours spread over its whole range
    // reach on average; they stay within a few levels.
    double worst = 0, worstAtTheEnds = 0;
    for (int by = 0; by < ramp.height(); by += 8)
        for (int bx = 0; bx < ramp.width(); bx += 8) {
            double block = 0;
            for (int c = 0; c < 3; ++c) {
                double want = 0, got = 0;
                for (int y = by; y < by + 8; ++y)
                    for (int x = bx; x < bx + 8; ++x) {
                        const QRgb p = ramp.pixel(x, y);
                        const QRgb q = reduced.Palette[reduced.Indices[y * 512 + x]];
                        want += c == 0 ? qRed(p) : c == 1 ? qGreen(p) : qBlue(p);
                        got += c == 0 ? qRed(q) : c == 1 ? qGreen(q) : qBlue(q);
                    }
                block = std::max(block, std::abs(want - got) / 64);
            }
            double& kept = bx == 0 || bx == 504 ? worstAtTheEnds : worst;
            kept = std::max(kept, block);
        }
    EXPECT_LT(worst, 3.0);
    EXPECT_LT(worstAtTheEnds, 8.0);
}

} // namespace
} // namespace nimbrel
