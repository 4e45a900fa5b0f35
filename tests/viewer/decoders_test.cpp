#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gif_lib.h>

#include "base/errors.h"
#include "support/gif_rows.h"
#include "support/test_support.h"
#include "viewer/decoders.h"

namespace nimbrel {
namespace {

QString Images() {
    return test::TestDataDir() + QStringLiteral("images/");
}

QImage Reference(const QString& png) {
    QImage img(Images() + png);
    return img.convertToFormat(QImage::Format_RGB32);
}

// Largest difference of one colour channel over all pixels; -1 when the sizes differ.
int MaxDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            worst = std::max({worst, std::abs(qRed(pa[x]) - qRed(pb[x])),
                              std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                              std::abs(qBlue(pa[x]) - qBlue(pb[x]))});
        }
    }
    return worst;
}

QString ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const FileError& e) {
        return e.Message();
    }
    return QString();
}

// ---- GIF files written for the cases at hand ------------------------------------

int WriteToArray(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

struct FrameSpec {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    std::vector<GifPixelType> Pixels; // row-major, Width * Height
    std::vector<QRgb> LocalPalette;   // empty: use the global one
    int Transparent = NO_TRANSPARENT_COLOR;
    bool Interlace = false;
};

ColorMapObject* MakeMap(const std::vector<QRgb>& colours) {
    int size = 2;
    while (size < static_cast<int>(colours.size()))
        size *= 2;
    std::vector<GifColorType> entries(size, GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < colours.size(); ++i)
        entries[i] = GifColorType{static_cast<GifByteType>(qRed(colours[i])),
                                  static_cast<GifByteType>(qGreen(colours[i])),
                                  static_cast<GifByteType>(qBlue(colours[i]))};
    return GifMakeMapObject(size, entries.data());
}

QByteArray MakeGif(int width, int height, const std::vector<QRgb>& global,
                   const std::vector<FrameSpec>& frames) {
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToArray, &error);
    EXPECT_NE(gif, nullptr);
    EGifSetGifVersion(gif, true);
    ColorMapObject* globalMap = global.empty() ? nullptr : MakeMap(global);
    EGifPutScreenDesc(gif, width, height, 8, 0, globalMap);
    for (const FrameSpec& f : frames) {
        if (f.Transparent != NO_TRANSPARENT_COLOR) {
            GraphicsControlBlock gcb{};
            gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
            gcb.TransparentColor = f.Transparent;
            GifByteType ext[4];
            const size_t len = EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(len), ext);
        }
        ColorMapObject* local = f.LocalPalette.empty() ? nullptr : MakeMap(f.LocalPalette);
        EGifPutImageDesc(gif, f.Left, f.Top, f.Width, f.Height, f.Interlace, local);
        std::vector<GifPixelType> row(f.Width);
        for (int y = 0; y < f.Height; ++y) {
            std::copy_n(f.Pixels.begin() + y * f.Width, f.Width, row.begin());
            EGifPutLine(gif, row.data(), f.Width);
        }
        if (local) GifFreeMapObject(local);
    }
    EGifCloseFile(gif, &error);
    if (globalMap) GifFreeMapObject(globalMap);
    return out;
}

const QRgb White = qRgb(255, 255, 255);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Green = qRgb(0, 255, 0);

// ---- GIF against reference decodings ----------------------------------------------

TEST(GifDecoder, MatchesReferenceDecodings) {
    struct Case {
        const char* File;
        const char* Png;
        int Tolerance;
    };
    // The GIFs were quantised to their palettes from the reference picture, the 5 bit
    // one to 32 colours; the tolerances allow for that, not for decoding errors.
    const Case cases[] = {{"video-001.gif", "video-001.png", 64},
                          {"video-001.interlaced.gif", "video-001.png", 64},
                          {"video-001.5bpp.gif", "video-001.png", 128}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        const QImage decoded = DecodeGifFile(Images() + QString::fromLatin1(c.File));
        EXPECT_EQ(decoded.format(), QImage::Format_RGB32);
        const int diff = MaxDifference(decoded, Reference(QString::fromLatin1(c.Png)));
        EXPECT_GE(diff, 0) << "size differs";
        EXPECT_LE(diff, c.Tolerance);
    }
}

// Another decoder (Qt's own, used here only as a witness) must see the same colours;
// where it sees transparency, ours shows white.
void ExpectSameAsWitness(const QString& path) {
    QImageReader reader(path, "gif");
    const QImage other = reader.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(other.isNull());
    const QImage ours = DecodeGifFile(path);
    ASSERT_EQ(ours.size(), other.size());
    int opaque = 0, transparent = 0, differing = 0;
    for (int y = 0; y < other.height(); ++y)
        for (int x = 0; x < other.width(); ++x) {
            const QRgb theirs = other.pixel(x, y);
            if (qAlpha(theirs) == 0) {
                ++transparent;
                if (ours.pixel(x, y) != White) ++differing;
            } else {
                ++opaque;
                if ((ours.pixel(x, y) & 0xFFFFFFu) != (theirs & 0xFFFFFFu)) ++differing;
            }
        }
    EXPECT_GT(opaque, 0);
    EXPECT_EQ(differing, 0) << "of " << opaque << " opaque and " << transparent
                            << " transparent pixels";
}

TEST(GifDecoder, InterlacedAndPlainFilesOfOnePictureDecodeAlike) {
    EXPECT_EQ(MaxDifference(DecodeGifFile(Images() + QStringLiteral("video-001.interlaced.gif")),
                            DecodeGifFile(Images() + QStringLiteral("video-001.gif"))),
              0);
}

TEST(GifDecoder, AgreesWithAWitnessDecoder) {
    for (const char* name :
         {"triangle-001.gif", "video-005.gray.gif", "video-001.gif", "video-001.5bpp.gif"}) {
        SCOPED_TRACE(name);
        ExpectSameAsWitness(Images() + QString::fromLatin1(name));
    }
}

// ---- our LZW decoder against giflib's own -----------------------------------------

// Every GIF at hand, whole and cut short, decodes to the rows giflib's row decoding
// gives; and DecodeGif (straight into the picture or through the indices) to the picture
// the animation reader makes from giflib's rows.
TEST(GifDecoder, DecodesEveryFileAsGiflibDoes) {
    std::vector<std::pair<QString, QByteArray>> files;
    const auto addFolder = [&](const QString& folder, int perKind) {
        QStringList kinds;
        for (const QString& name : QDir(folder).entryList({"*.gif"}, QDir::Files, QDir::Name)) {
            const QString kind = name.section(QLatin1Char('-'), 0, 0);
            if (kinds.count(kind) >= perKind) continue;
            kinds << kind;
            files.emplace_back(name, test::ReadFile(folder + name));
        }
    };
    addFolder(QStringLiteral(NIMBREL_STAGED_DATA "/disc/1979-04-10/"), 2);
    addFolder(Images(), 100);
    if (!test::SharedDataDir().isEmpty()) addFolder(test::SharedDataDir() + "/images/", 100);

    // Made here: odd sizes, 2 to 256 colours, interlaced, an image at an offset; runs of
    // one colour so that the codes grow long strings and fill the table.
    struct Made {
        int Width, Height, Colours;
        bool Interlace;
        int Left, Top;
    };
    std::uint32_t seed = 17;
    const auto random = [&seed](std::uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % below;
    };
    for (const Made& m :
         {Made{1, 1, 2, false, 0, 0}, Made{7, 5, 2, true, 0, 0}, Made{333, 97, 256, false, 0, 0},
          Made{64, 61, 256, true, 0, 0}, Made{50, 40, 4, false, 3, 2}}) {
        FrameSpec f;
        f.Left = m.Left;
        f.Top = m.Top;
        f.Width = m.Width;
        f.Height = m.Height;
        f.Interlace = m.Interlace;
        while (f.Pixels.size() < std::size_t(m.Width) * m.Height)
            f.Pixels.insert(f.Pixels.end(), 1 + random(40),
                            static_cast<GifPixelType>(random(std::uint32_t(m.Colours))));
        f.Pixels.resize(std::size_t(m.Width) * m.Height);
        std::vector<QRgb> colours;
        for (int i = 0; i < m.Colours; ++i)
            colours.push_back(qRgb(i, 255 - i, (i * 7) % 256));
        files.emplace_back(QStringLiteral("made %1x%2").arg(m.Width).arg(m.Height),
                           MakeGif(m.Width + m.Left, m.Height + m.Top, colours, {f}));
    }

    ASSERT_GT(files.size(), 10u);
    for (const auto& [name, whole] : files) {
        for (const qsizetype size : {whole.size(), whole.size() * 9 / 10, whole.size() / 2}) {
            SCOPED_TRACE(name.toStdString() + " cut to " + std::to_string(size));
            const QByteArray bytes = whole.left(size);
            const test::GifRows theirs = test::GiflibRows(bytes);
            const test::GifRows ours = test::OurRows(bytes);
            if (!theirs.Found) continue; // a damaged file of the collection
            EXPECT_TRUE(ours.Indices == theirs.Indices)
                << ours.Indices.size() << " against " << theirs.Indices.size() << " indices";

            QImage fast, reference;
            try {
                fast = DecodeGif(bytes);
            } catch (const FileError&) {
            }
            try {
                reference = DecodeGifAnimation(bytes).Frames.at(0);
            } catch (const FileError&) {
                // A later image's damage ends the whole animation; only the rows compare.
                if (!theirs.Indices.empty()) continue;
            }
            EXPECT_TRUE(fast == reference);
        }
    }
}

// ---- GIF structure -----------------------------------------------------------------

TEST(GifDecoder, FrameSitsAtItsOffsetWithTransparentAndUncoveredPixelsWhite) {
    FrameSpec f;
    f.Left = 1;
    f.Top = 2;
    f.Width = 2;
    f.Height = 1;
    f.Pixels = {0, 1};
    f.Transparent = 1;
    const QImage img = DecodeGif(MakeGif(4, 4, {Red, Blue}, {f}));
    ASSERT_EQ(img.size(), QSize(4, 4));
    EXPECT_EQ(img.pixel(1, 2), Red);
    EXPECT_EQ(img.pixel(2, 2), White); // transparent
    EXPECT_EQ(img.pixel(0, 0), White); // not covered by the frame
    EXPECT_EQ(img.pixel(3, 3), White);
}

TEST(GifDecoder, LocalColourTableWinsAndOnlyTheFirstFrameIsShown) {
    FrameSpec first;
    first.Width = first.Height = 2;
    first.Pixels = {0, 1, 1, 0};
    first.LocalPalette = {Green, Blue};
    FrameSpec second = first;
    second.Pixels = {1, 1, 1, 1};
    second.LocalPalette = {Red, Red};
    const QImage img = DecodeGif(MakeGif(2, 2, {Red, Red}, {first, second}));
    EXPECT_EQ(img.pixel(0, 0), Green);
    EXPECT_EQ(img.pixel(1, 0), Blue);
    EXPECT_EQ(img.pixel(0, 1), Blue);
}

TEST(GifDecoder, IndexBeyondTheColourTableIsBlack) {
    // Hand-made: a two-colour table, but the image data's code size allows index 3.
    // LZW codes (3 bits): clear (4), pixel 3, end (5) -> bytes 0x5C 0x01.
    const unsigned char bytes[] = {'G',  'I', 'F',  '8',  '9', 'a', 1, 0,   1, 0,
                                   0x80, 0,   0,    255,  0,   0,   0, 255, 0, // table: red, green
                                   0x2C, 0,   0,    0,    0,   1,   0, 1,   0, 0, // image 1 x 1
                                   2,    2,   0x5C, 0x01, 0,   0x3B};
    const QImage img = DecodeGif(QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes));
    ASSERT_EQ(img.size(), QSize(1, 1));
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));
}

TEST(GifDecoder, TruncatedDataKeepsTheRowsDecoded) {
    // Every row of a cut file is either the full decoding's row or white: no row is left
    // with whatever the memory held, plain or interlaced.
    for (const char* name : {"video-001.gif", "video-001.interlaced.gif"}) {
        SCOPED_TRACE(name);
        const QByteArray whole = test::ReadFile(Images() + QString::fromLatin1(name));
        ASSERT_FALSE(whole.isEmpty());
        const QImage full = DecodeGif(whole);
        const QImage part = DecodeGif(whole.left(whole.size() / 2));
        ASSERT_EQ(part.size(), full.size());
        const QImage whiteRow = [&] {
            QImage row(full.width(), 1, QImage::Format_RGB32);
            row.fill(White);
            return row;
        }();
        int kept = 0, white = 0;
        for (int y = 0; y < full.height(); ++y) {
            const QImage row = part.copy(0, y, full.width(), 1);
            if (row == full.copy(0, y, full.width(), 1))
                ++kept;
            else if (row == whiteRow)
                ++white;
            else
                ADD_FAILURE() << "row " << y << " is neither decoded nor white";
        }
        EXPECT_GT(kept, 0);
        EXPECT_GT(white, 0);
    }

    // Cut inside the header: nothing to show, a clear error.
    const QByteArray whole = test::ReadFile(Images() + QStringLiteral("video-001.gif"));
    EXPECT_TRUE(
        ErrorOf([&] { DecodeGif(whole.left(20)); }).startsWith(QStringLiteral("GIF image error")));
}

TEST(GifDecoder, RefusesAbsurdSizesBeforeAllocating) {
    // A 20-byte file claiming a 65535 x 65535 screen with a frame of the same size.
    const unsigned char bytes[] = {'G', 'I', 'F',  '8',  '9',  'a',  0xFF, 0xFF, 0xFF, 0xFF, 0x80,
                                   0,   0,   0,    0,    0,    255,  255,  255,  0x2C, 0,    0,
                                   0,   0,   0xFF, 0xFF, 0xFF, 0xFF, 0,    2,    0,    0x3B};
    QElapsedTimer clock;
    clock.start();
    const QString message =
        ErrorOf([&] { DecodeGif(QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes)); });
    EXPECT_TRUE(message.contains(QStringLiteral("65535 x 65535"))) << message.toStdString();
    EXPECT_LT(clock.elapsed(), 1000);

    // A small screen does not excuse an oversized frame.
    FrameSpec f;
    f.Width = 9000;
    f.Height = 1;
    f.Pixels.assign(9000, 0);
    EXPECT_TRUE(ErrorOf([&] {
                    DecodeGif(MakeGif(1, 1, {Red, Blue}, {f}));
                }).contains(QStringLiteral("9000 x 1")));
}

TEST(GifDecoder, NoImageNoTableOrNotAGifAreErrors) {
    EXPECT_EQ(ErrorOf([] {
                  DecodeGif(MakeGif(3, 3, {Red, Blue}, {}));
              }),
              QStringLiteral("GIF image error: the file holds no image"));
    // Hand-made: neither a global nor a local colour table (codes: clear, 1, end).
    const unsigned char noTable[] = {'G',  'I', 'F', '8',  '9', 'a',  1,    0, 1,   0,
                                     0x00, 0,   0,   0x2C, 0,   0,    0,    0, 1,   0,
                                     1,    0,   0,   2,    2,   0x4C, 0x01, 0, 0x3B};
    EXPECT_EQ(ErrorOf([&] {
                  DecodeGif(QByteArray(reinterpret_cast<const char*>(noTable), sizeof noTable));
              }),
              QStringLiteral("GIF image error: the image has no colour table"));
    EXPECT_TRUE(ErrorOf([] {
                    DecodeGif(QByteArray("PNG and not GIF"));
                }).startsWith(QStringLiteral("GIF image error")));
    EXPECT_TRUE(
        ErrorOf([] { DecodeGif(QByteArray()); }).startsWith(QStringLiteral("GIF image error")));
}

// ---- JPEG ------------------------------------------------------------------------

TEST(JpegDecoder, MatchesReferenceDecodings) {
    struct Case {
        const char* File;
        const char* Png;
    };
    // Decoders may differ in their inverse transforms and upsampling; a few levels of
    // difference per channel are expected, a colour mix-up is not.
    const Case cases[] = {
        {"video-001.jpeg", "video-001.png"},
        {"video-001.progressive.jpeg", "video-001.png"},
        {"video-001.cmyk.jpeg", "video-001.cmyk.png"},
        {"video-005.gray.jpeg", "video-005.gray.png"},
        {"video-001.progressive.truncated.jpeg", "video-001.progressive.truncated.png"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        const QImage decoded = DecodeJpegFile(Images() + QString::fromLatin1(c.File));
        EXPECT_EQ(decoded.format(), QImage::Format_RGB32);
        const int diff = MaxDifference(decoded, Reference(QString::fromLatin1(c.Png)));
        EXPECT_GE(diff, 0) << "size differs";
        EXPECT_LE(diff, 8);
    }
}

TEST(JpegDecoder, RgbFileIsNotTakenForYCbCr) {
    // This file is stored as R, G, B (red at full resolution, green and blue at half).
    // Read as YCbCr every channel would be far off; green and blue also depend on the
    // upsampling filter, so only their average is bounded.
    const QImage decoded = DecodeJpegFile(Images() + QStringLiteral("video-001.rgb.jpeg"));
    const QImage reference = Reference(QStringLiteral("video-001.rgb.png"));
    ASSERT_EQ(decoded.size(), reference.size());
    int worstRed = 0;
    double sumGreenBlue = 0;
    for (int y = 0; y < decoded.height(); ++y)
        for (int x = 0; x < decoded.width(); ++x) {
            const QRgb a = decoded.pixel(x, y), b = reference.pixel(x, y);
            worstRed = std::max(worstRed, std::abs(qRed(a) - qRed(b)));
            sumGreenBlue += std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    EXPECT_LE(worstRed, 8);
    EXPECT_LT(sumGreenBlue / (2.0 * decoded.width() * decoded.height()), 8.0);
}

QByteArray WithFrameSize(QByteArray jpeg, int width, int height) {
    // The baseline frame header: FF C0, length (2), precision (1), height (2), width (2).
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    EXPECT_GT(sof, 0);
    jpeg[sof + 5] = static_cast<char>(height >> 8);
    jpeg[sof + 6] = static_cast<char>(height & 0xFF);
    jpeg[sof + 7] = static_cast<char>(width >> 8);
    jpeg[sof + 8] = static_cast<char>(width & 0xFF);
    return jpeg;
}

TEST(JpegDecoder, RefusesAbsurdSizesAndBrokenFiles) {
    const QByteArray whole = test::ReadFile(Images() + QStringLiteral("video-001.jpeg"));
    ASSERT_FALSE(whole.isEmpty());
    const QString tooLarge = ErrorOf([&] { DecodeJpeg(WithFrameSize(whole, 60000, 60000)); });
    EXPECT_TRUE(tooLarge.contains(QStringLiteral("60000 x 60000"))) << tooLarge.toStdString();
    // Within each side's bound but not in area.
    EXPECT_FALSE(ErrorOf([&] { DecodeJpeg(WithFrameSize(whole, 8000, 8000)); }).isEmpty());

    EXPECT_TRUE(ErrorOf([] {
                    DecodeJpeg(QByteArray("GIF89a, not a JPEG"));
                }).startsWith(QStringLiteral("JPEG image error")));
    EXPECT_TRUE(
        ErrorOf([] { DecodeJpeg(QByteArray()); }).startsWith(QStringLiteral("JPEG image error")));
}

TEST(JpegDecoder, TruncatedFileKeepsTheTopOfThePicture) {
    const QByteArray whole = test::ReadFile(Images() + QStringLiteral("video-001.jpeg"));
    const QImage full = DecodeJpeg(whole);
    const QImage part = DecodeJpeg(whole.left(whole.size() / 2));
    ASSERT_EQ(part.size(), full.size());
    EXPECT_EQ(MaxDifference(part.copy(0, 0, full.width(), 8), full.copy(0, 0, full.width(), 8)), 0);
}

TEST(ImageFiles, MissingFileIsFileNotFoundAndErrorsNameTheFile) {
    QTemporaryDir dir;
    EXPECT_EQ(ErrorOf([&] { DecodeGifFile(dir.path() + QStringLiteral("/none.gif")); }),
              "File not found\n" + dir.path() + QStringLiteral("/none.gif"));
    const QString broken = dir.path() + QStringLiteral("/broken.jpg");
    test::WriteFile(broken, "not an image at all");
    const QString message = ErrorOf([&] { DecodeJpegFile(broken); });
    EXPECT_TRUE(message.startsWith(broken + QStringLiteral(": JPEG image error")))
        << message.toStdString();
    // Frame lists may name folders; reading one is an error, not a crash.
    EXPECT_FALSE(ErrorOf([&] { DecodeGifFile(dir.path()); }).isEmpty());
}

TEST(ImageSize, Bounds) {
    EXPECT_TRUE(ImageSizeAcceptable(1000, 800));
    EXPECT_TRUE(ImageSizeAcceptable(MaxImageSide, 2048));
    EXPECT_FALSE(ImageSizeAcceptable(MaxImageSide + 1, 1));
    EXPECT_FALSE(ImageSizeAcceptable(5000, 5000)); // each side fine, too many pixels
    EXPECT_FALSE(ImageSizeAcceptable(0, 10));
}

// ---- hostile and unusual files of the shared collection -----------------------------

class SharedImages : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = test::SharedDataDir();
        if (dir_.isEmpty()) GTEST_SKIP() << "shared data absent";
        dir_ += QStringLiteral("images/");
    }
    QString Path(const char* name) const { return dir_ + QString::fromLatin1(name); }
    QString dir_;
};

TEST_F(SharedImages, HostileHeadersGiveClearErrors) {
    EXPECT_TRUE(ErrorOf([&] {
                    DecodeGifFile(Path("invalid.1.gif"));
                }).contains(QStringLiteral("46565 x 23539")));
    EXPECT_TRUE(ErrorOf([&] {
                    DecodeJpegFile(Path("issue205.jpg"));
                }).contains(QStringLiteral("64250 x 64250")));
    EXPECT_FALSE(ErrorOf([&] { DecodeJpegFile(Path("CVE-2017-2862.jpg")); }).isEmpty());
    EXPECT_FALSE(ErrorOf([&] { DecodeGifFile(Path("gifsuite-invalid-code.gif")); }).isEmpty());
    EXPECT_FALSE(ErrorOf([&] { DecodeGifFile(Path("gifsuite-zero-size.gif")); }).isEmpty());
}

TEST_F(SharedImages, SmallGifSuiteCasesDecodeToTheirExpectedPixels) {
    for (const char* name :
         {"gifsuite-extra-data.gif", "gifsuite-no-eoi.gif", "gifsuite-local-color-table.gif",
          "gifsuite-no-global-color-table.gif"}) {
        SCOPED_TRACE(name);
        const QImage img = DecodeGifFile(Path(name));
        ASSERT_EQ(img.size(), QSize(1, 1));
        EXPECT_EQ(img.pixel(0, 0), White); // white-dot.rgba
    }
    // Interlaced 16 x 16: pixel i has red level i (all-reds.rgba, row by row).
    const QImage reds = DecodeGifFile(Path("gifsuite-interlace.gif"));
    const QByteArray expected = test::ReadFile(Path("all-reds.rgba"));
    ASSERT_EQ(reds.size(), QSize(16, 16));
    ASSERT_EQ(expected.size(), 16 * 16 * 4);
    for (int i = 0; i < 256; ++i) {
        const auto* px = reinterpret_cast<const unsigned char*>(expected.constData()) + 4 * i;
        ASSERT_EQ(reds.pixel(i % 16, i / 16), qRgb(px[0], px[1], px[2])) << i;
    }
}

TEST_F(SharedImages, AnimationShowsItsFirstFrame) {
    const QImage ours = DecodeGifFile(Path("aero.gif"));
    QImageReader reader(Path("aero.gif"), "gif");
    const QImage first = reader.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(ours.size(), first.size());
    int compared = 0, differing = 0;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x) {
            const QRgb other = first.pixel(x, y);
            if (qAlpha(other) != 255) continue; // transparent there, white here
            ++compared;
            if ((ours.pixel(x, y) & 0xFFFFFF) != (other & 0xFFFFFF)) ++differing;
        }
    EXPECT_GT(compared, 0);
    EXPECT_EQ(differing, 0);
}

TEST_F(SharedImages, FourComponentJpegEndingEarlyDecodesLikeAWitness) {
    // Four components without an Adobe marker, and cut short.
    const QImage ours = DecodeJpegFile(Path("premature-end.jpg"));
    QImageReader reader(Path("premature-end.jpg"), "jpeg");
    const QImage other = reader.read().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(ours.format(), QImage::Format_RGB32);
    const int diff = MaxDifference(ours, other);
    EXPECT_GE(diff, 0);
    EXPECT_LE(diff, 8);
}

// The view shows the same pixels as Qt's own reader (a witness here; both sit on the
// same library), to the last bit, for colour, progressive and grey files.
TEST(JpegDecoder, SameEveryPixelAsQtsReader) {
    for (const char* file :
         {"video-001.jpeg", "video-001.progressive.jpeg", "video-005.gray.jpeg"}) {
        SCOPED_TRACE(file);
        const QString path = Images() + QString::fromLatin1(file);
        QImageReader reader(path, "jpeg");
        const QImage theirs = reader.read().convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(theirs.isNull());
        EXPECT_EQ(DecodeJpegFile(path), theirs);
    }
}

} // namespace
} // namespace nimbrel
