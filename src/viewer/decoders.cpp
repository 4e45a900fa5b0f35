#include "viewer/decoders.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include <unistd.h>

#include <QFileInfo>

#include <gif_lib.h>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "base/errors.h"
#include "base/records.h"
#include "viewer/gif_lzw.h"

namespace nimbrel {

bool ImageSizeAcceptable(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= MaxImageSide && height <= MaxImageSide &&
           width * height <= MaxImagePixels;
}

namespace {

QString TooLargeText(std::int64_t width, std::int64_t height) {
    return QStringLiteral("The image claims %1 x %2 pixels, more than the %3 x %3 pixels "
                          "(at most %4 in all) a chart may have")
        .arg(width)
        .arg(height)
        .arg(MaxImageSide)
        .arg(MaxImagePixels);
}

QString PartlyText(std::int64_t rows, std::int64_t height) {
    return QStringLiteral("GIF image error: decoded only partly, %1 of %2 rows (the file is cut "
                          "short or damaged)")
        .arg(rows)
        .arg(height);
}

QImage NewPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    if (picture.isNull()) throw DataError(QStringLiteral("Not enough memory for the image"));
    return picture;
}

QImage WhitePicture(int width, int height) {
    QImage picture = NewPicture(width, height);
    picture.fill(0xffffffffu);
    return picture;
}

// Interlaced images arrive in four passes: every 8th row from 0, every 8th from 4,
// every 4th from 2, every 2nd from 1.
constexpr int InterlaceStart[4] = {0, 4, 2, 1};
constexpr int InterlaceStep[4] = {8, 8, 4, 2};

// The colour table of a frame (its own, else the screen's) as a ready 32-bit word for
// every possible byte. Codes beyond a short table are black rather than read from beyond
// the table. A frame without any table is an error.
std::array<QRgb, 256> FramePalette(const GifFileType& gif, const GifImageDesc& desc) {
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif.SColorMap;
    if (!map || !map->Colors || map->ColorCount <= 0)
        throw DataError(QStringLiteral("GIF image error: the image has no colour table"));
    std::array<QRgb, 256> palette{};
    palette.fill(qRgb(0, 0, 0));
    for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
        palette[std::size_t(i)] =
            qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
    return palette;
}

// One row of palette indices into 32-bit words. Kept free of tests and of anything the
// compiler could suspect of aliasing, so that it runs as one plain load-look-up-store
// loop.
void ExpandRow(const GifPixelType* __restrict in, std::size_t count, const QRgb* __restrict palette,
               QRgb* __restrict out) {
    for (std::size_t i = 0; i < count; ++i)
        out[i] = palette[in[i]];
}

// ---- GIF -------------------------------------------------------------------------

struct MemoryInput {
    const GifByteType* Data = nullptr;
    std::size_t Size = 0;
    std::size_t Position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    if (length <= 0) return 0;
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(length), in->Size - in->Position);
    std::memcpy(buffer, in->Data + in->Position, n);
    in->Position += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

[[noreturn]] void GifFailure(int code) {
    const char* text = GifErrorString(code);
    throw DataError(QStringLiteral("GIF image error: ") +
                    (text ? QString::fromLatin1(text) : QStringLiteral("code %1").arg(code)));
}

// Opens a GIF held in `input` (which must outlive the handle) and refuses an absurd
// screen at once, whatever follows it.
GifHandle OpenGif(MemoryInput& input) {
    int openError = 0;
    GifHandle gif(DGifOpen(&input, ReadFromMemory, &openError));
    if (!gif) GifFailure(openError);
    if (gif->SWidth > 0 && gif->SHeight > 0 && !ImageSizeAcceptable(gif->SWidth, gif->SHeight))
        throw DataError(TooLargeText(gif->SWidth, gif->SHeight));
    return gif;
}

// Reads the records before the next image: the graphic control block of the image (its
// transparent colour, delay and disposal) is kept. False at the end of the file.
bool NextGifImage(GifFileType* gif, GraphicsControlBlock& control) {
    control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) GifFailure(gif->Error);
        if (type == IMAGE_DESC_RECORD_TYPE) break;
        if (type == TERMINATE_RECORD_TYPE) return false;
        if (type != EXTENSION_RECORD_TYPE) GifFailure(D_GIF_ERR_WRONG_RECORD);
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) GifFailure(gif->Error);
        if (code == GRAPHICS_EXT_FUNC_CODE && block) {
            GraphicsControlBlock read;
            if (DGifExtensionToGCB(block[0], block + 1, &read) == GIF_OK) control = read;
        }
        while (block) {
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) GifFailure(gif->Error);
        }
    }
    if (DGifGetImageDesc(gif) == GIF_ERROR) GifFailure(gif->Error);
    return true;
}

// Throws for an empty or oversized image, before anything is made for it.
void CheckImageSize(const GifImageDesc& desc) {
    if (ImageSizeAcceptable(desc.Width, desc.Height)) return;
    if (desc.Width <= 0 || desc.Height <= 0)
        throw DataError(QStringLiteral("GIF image error: the image is empty"));
    throw DataError(TooLargeText(desc.Width, desc.Height));
}

// The logical screen the first image is drawn on: the file's own, or the image's extent
// when the file gives none. Throws for an empty or oversized image or screen.
std::pair<std::int64_t, std::int64_t> CheckedScreen(const GifFileType& gif) {
    const GifImageDesc& desc = gif.Image;
    CheckImageSize(desc);
    std::int64_t screenWidth = gif.SWidth, screenHeight = gif.SHeight;
    if (screenWidth <= 0 || screenHeight <= 0) {
        screenWidth = std::int64_t{desc.Left} + desc.Width;
        screenHeight = std::int64_t{desc.Top} + desc.Height;
    }
    if (!ImageSizeAcceptable(screenWidth, screenHeight))
        throw DataError(TooLargeText(screenWidth, screenHeight));
    return {screenWidth, screenHeight};
}

} // namespace

QImage DecodeGif(const QByteArray& bytes, Decoding mode) {
    MemoryInput input{reinterpret_cast<const GifByteType*>(bytes.constData()),
                      static_cast<std::size_t>(bytes.size()), 0};
    GifHandle gif = OpenGif(input);

    // Only the first image is read, with its graphic control block for the transparent
    // colour; later images of an animation are never read.
    GraphicsControlBlock control;
    if (!NextGifImage(gif.get(), control))
        throw DataError(QStringLiteral("GIF image error: the file holds no image"));
    const int transparent = control.TransparentColor;
    const GifImageDesc& desc = gif->Image;
    const std::int64_t left = desc.Left, top = desc.Top, width = desc.Width, height = desc.Height;
    const auto [canvasWidth, canvasHeight] = CheckedScreen(*gif);

    // Every possible byte has a ready 32-bit word, so the row loop below needs no test.
    std::array<QRgb, 256> palette = FramePalette(*gif, desc);
    if (transparent >= 0 && transparent < 256) palette[transparent] = qRgb(255, 255, 255);

    const GifImageData data = ReadGifImageData(gif.get(), input.Size - input.Position);
    const std::int64_t count = width * height;

    // A chart's image is normally its whole screen, row after row: then the pixels are
    // decoded straight into the picture in their colours, with no second pass. Rows a
    // cut left out are white, as over an empty view.
    if (!desc.Interlace && left == 0 && top == 0 && width == canvasWidth &&
        height == canvasHeight) {
        static_assert(std::is_same_v<QRgb, std::uint32_t>);
        std::array<QRgb, LzwRootCount> colours{};
        std::copy(palette.begin(), palette.end(), colours.begin());
        QImage picture = NewPicture(static_cast<int>(width), static_cast<int>(height));
        auto* const pixels = reinterpret_cast<QRgb*>(picture.bits());
        if (picture.bytesPerLine() == width * 4) {
            const LzwOutcome outcome = DecodeLzw(data, colours.data(), pixels, count);
            const std::int64_t rowsDone = outcome.Decoded / width;
            if (rowsDone == 0) GifFailure(GifErrorOf(outcome.Stop));
            if (mode == Decoding::Strict && outcome.Decoded < count)
                throw DataError(PartlyText(rowsDone, height));
            std::fill(pixels + rowsDone * width, pixels + count, 0xffffffffu);
            return picture;
        }
    }

    // Otherwise the indices are decoded first and each row goes to its place after. Data
    // that fails before the first complete row is an error, and no picture is made.
    const GifIndices indices = DecodeGifIndices(data, count);
    const std::int64_t rowsDone = indices.Outcome.Decoded / width;
    if (rowsDone == 0) GifFailure(GifErrorOf(indices.Outcome.Stop));
    if (mode == Decoding::Strict && indices.Outcome.Decoded < count)
        throw DataError(PartlyText(rowsDone, height));

    // A chart's image normally covers its whole screen; then every pixel is written
    // below and a white fill beforehand would only be overwritten.
    const bool coversCanvas =
        left <= 0 && top <= 0 && left + width >= canvasWidth && top + height >= canvasHeight;
    QImage picture =
        coversCanvas ? NewPicture(static_cast<int>(canvasWidth), static_cast<int>(canvasHeight))
                     : WhitePicture(static_cast<int>(canvasWidth), static_cast<int>(canvasHeight));
    const std::int64_t visibleFrom = std::clamp<std::int64_t>(left, 0, canvasWidth);
    const std::int64_t visibleTo = std::clamp<std::int64_t>(left + width, 0, canvasWidth);
    const std::size_t visibleCount = static_cast<std::size_t>(visibleTo - visibleFrom);

    // The indices hold the rows in the order the data gives them; each goes to its place
    // in the picture. Rows a cut left out are white, as over an empty view.
    const int passes = desc.Interlace ? 4 : 1;
    std::int64_t rowsSeen = 0;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = desc.Interlace ? InterlaceStart[pass] : 0;
        const int step = desc.Interlace ? InterlaceStep[pass] : 1;
        for (std::int64_t row = start; row < height; row += step, ++rowsSeen) {
            const std::int64_t y = top + row;
            if (y < 0 || y >= canvasHeight) continue;
            QRgb* out =
                reinterpret_cast<QRgb*>(picture.scanLine(static_cast<int>(y))) + visibleFrom;
            if (rowsSeen < rowsDone)
                ExpandRow(indices.Data.get() + rowsSeen * width + (visibleFrom - left),
                          visibleCount, palette.data(), out);
            else if (coversCanvas)
                std::fill_n(out, visibleCount, 0xffffffffu);
        }
    }
    return picture;
}

// ---- GIF animations ----------------------------------------------------------

namespace {

// Decodes the images of a GIF, at most `maxFrames` of them, each drawn over the picture
// the previous one left (as its disposal says).
GifAnimation DecodeGifFrames(const QByteArray& bytes, int maxFrames) {
    MemoryInput input{reinterpret_cast<const GifByteType*>(bytes.constData()),
                      static_cast<std::size_t>(bytes.size()), 0};
    GifHandle gif = OpenGif(input);

    GifAnimation animation;
    QImage canvas;
    std::int64_t pixelsKept = 0;
    while (static_cast<int>(animation.Frames.size()) < maxFrames) {
        const bool first = animation.Frames.empty();
        GraphicsControlBlock control;
        bool another = false;
        try {
            another = NextGifImage(gif.get(), control);
        } catch (const DataError&) {
            // A file cut short between two frames keeps the frames before the cut.
            if (first) throw;
        }
        if (!another) {
            if (first) throw DataError(QStringLiteral("GIF image error: the file holds no image"));
            break;
        }
        const GifImageDesc& desc = gif->Image;
        const std::int64_t left = desc.Left, top = desc.Top, width = desc.Width,
                           height = desc.Height;
        if (first) {
            const auto [screenWidth, screenHeight] = CheckedScreen(*gif);
            canvas = WhitePicture(static_cast<int>(screenWidth), static_cast<int>(screenHeight));
        } else {
            CheckImageSize(desc);
        }
        // Every frame is a whole picture: a long animation is refused before it fills
        // the memory.
        pixelsKept += static_cast<std::int64_t>(canvas.width()) * canvas.height();
        if (pixelsKept > MaxAnimationPixels)
            throw DataError(QStringLiteral("GIF image error: the animation holds more frames "
                                           "than can be kept"));

        const std::array<QRgb, 256> palette = FramePalette(*gif, desc);
        const int transparent = control.TransparentColor;

        const QImage before = control.DisposalMode == DISPOSE_PREVIOUS ? canvas.copy() : QImage();
        const std::int64_t canvasWidth = canvas.width(), canvasHeight = canvas.height();
        std::vector<GifPixelType> line(static_cast<std::size_t>(width));
        const std::int64_t visibleFrom = std::clamp<std::int64_t>(left, 0, canvasWidth);
        const std::int64_t visibleTo = std::clamp<std::int64_t>(left + width, 0, canvasWidth);

        const int passes = desc.Interlace ? 4 : 1;
        std::int64_t rowsDone = 0;
        bool cutShort = false;
        for (int pass = 0; pass < passes && !cutShort; ++pass) {
            const int start = desc.Interlace ? InterlaceStart[pass] : 0;
            const int step = desc.Interlace ? InterlaceStep[pass] : 1;
            for (std::int64_t row = start; row < height; row += step) {
                if (DGifGetLine(gif.get(), line.data(), static_cast<int>(width)) == GIF_ERROR) {
                    // A file cut short or damaged part-way keeps what was decoded.
                    if (rowsDone == 0 && first) GifFailure(gif->Error);
                    cutShort = true;
                    break;
                }
                ++rowsDone;
                const std::int64_t y = top + row;
                if (y < 0 || y >= canvasHeight) continue;
                auto* out = reinterpret_cast<QRgb*>(canvas.scanLine(static_cast<int>(y)));
                // Transparent pixels let the picture below show: white on the first
                // frame, the previous frame's pixels after it.
                for (std::int64_t x = visibleFrom; x < visibleTo; ++x) {
                    const GifPixelType index = line[x - left];
                    if (index != transparent) out[x] = palette[index];
                }
            }
        }
        if (cutShort && rowsDone == 0) break; // a later frame with nothing decoded
        animation.Frames.push_back(canvas.copy());
        animation.DelaysMs.push_back(control.DelayTime * 10);
        if (cutShort) break;
        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            for (std::int64_t y = std::clamp<std::int64_t>(top, 0, canvasHeight);
                 y < std::clamp<std::int64_t>(top + height, 0, canvasHeight); ++y) {
                auto* out = reinterpret_cast<QRgb*>(canvas.scanLine(static_cast<int>(y)));
                std::fill(out + visibleFrom, out + visibleTo, qRgb(255, 255, 255));
            }
        } else if (control.DisposalMode == DISPOSE_PREVIOUS) {
            canvas = before;
        }
    }
    return animation;
}

} // namespace

GifAnimation DecodeGifAnimation(const QByteArray& bytes) {
    return DecodeGifFrames(bytes, std::numeric_limits<int>::max());
}

// ---- JPEG ------------------------------------------------------------------------

namespace {

struct JpegError {
    jpeg_error_mgr Base; // first, so that the library's pointer is also ours
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
    auto* error = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, error->Message);
    std::longjmp(error->Jump, 1);
}

// Warnings (corrupt data the library works around, a file ending early) are not
// shown: the picture carries on with what could be decoded.
void OnJpegMessage(j_common_ptr info, int level) {
    if (level < 0) ++info->err->num_warnings; // counted for the strict reading
}
void OnJpegOutput(j_common_ptr) {}

void OnJpegProgress(j_common_ptr info) {
    if (!info->is_decompressor) return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(info);
    if (d->input_scan_number > MaxJpegScans) {
        auto* error = reinterpret_cast<JpegError*>(info->err);
        std::snprintf(error->Message, sizeof error->Message,
                      "the file has more than %d progressive scans", MaxJpegScans);
        std::longjmp(error->Jump, 1);
    }
}

enum class JpegOutcome { Done, LibraryError, TooLarge, Unsupported };

// Everything the library touches lives here, reached through a pointer, so that no
// C++ object of the decoding function is live across the library's longjmp.
struct JpegJob {
    jpeg_decompress_struct Info{};
    JpegError Error{};
    jpeg_progress_mgr Progress{};
    const unsigned char* Data = nullptr;
    unsigned long Size = 0;
    std::FILE* File = nullptr; ///< read from here instead of Data when set
    bool Created = false;
    QImage* Picture = nullptr;
    std::vector<JSAMPLE>* Row = nullptr;
};

#if defined(JCS_ALPHA_EXTENSIONS)
// Decoded straight into the picture's memory: 0xffRRGGBB words.
constexpr J_COLOR_SPACE DirectSpace =
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    JCS_EXT_BGRA;
#else
    JCS_EXT_ARGB;
#endif
constexpr bool HaveDirectSpace = true;
#else
constexpr J_COLOR_SPACE DirectSpace = JCS_RGB;
constexpr bool HaveDirectSpace = false;
#endif

inline QRgb FromInvertedCmyk(int c, int m, int y, int k) {
    // Stored inverted: 255 is no ink.
    return qRgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
}

JpegOutcome RunJpeg(JpegJob* job) {
    if (setjmp(job->Error.Jump)) return JpegOutcome::LibraryError;
    j_decompress_ptr info = &job->Info;
    // Destroying a zeroed object is harmless, so mark it first: a failure inside the
    // creation itself still releases what it allocated.
    job->Created = true;
    jpeg_create_decompress(info);
    info->progress = &job->Progress;
    if (job->File)
        jpeg_stdio_src(info, job->File);
    else
        jpeg_mem_src(info, job->Data, job->Size);
    jpeg_read_header(info, TRUE);

    const J_COLOR_SPACE source = info->jpeg_color_space;
    const int components = info->num_components;
    bool cmyk = false;
    if ((source == JCS_GRAYSCALE && components == 1) ||
        ((source == JCS_YCbCr || source == JCS_RGB) && components == 3)) {
        info->out_color_space = HaveDirectSpace ? DirectSpace : JCS_RGB;
    } else if ((source == JCS_CMYK || source == JCS_YCCK) && components == 4) {
        // Four-component files are, in practice, written the way Adobe applications
        // write them: inverted. Files without the Adobe marker are read the same way,
        // as other viewers do; reading them plainly turns them black.

        info->out_color_space = JCS_CMYK;
        cmyk = true;
    } else {
        return JpegOutcome::Unsupported;
    }
    jpeg_calc_output_dimensions(info);
    if (!ImageSizeAcceptable(info->output_width, info->output_height)) return JpegOutcome::TooLarge;

    *job->Picture = QImage(static_cast<int>(info->output_width),
                           static_cast<int>(info->output_height), QImage::Format_RGB32);
    if (job->Picture->isNull()) return JpegOutcome::TooLarge;
    // Not filled beforehand: every row is written by the decoding, and rows it could not
    // deliver are whitened below, so the picture is gone over once instead of twice.
    const bool direct = HaveDirectSpace && !cmyk;
    if (!direct) job->Row->resize(static_cast<std::size_t>(info->output_width) * (cmyk ? 4 : 3));

    jpeg_start_decompress(info);
    while (info->output_scanline < info->output_height) {
        const int y = static_cast<int>(info->output_scanline);
        auto* out = reinterpret_cast<QRgb*>(job->Picture->scanLine(y));
        JSAMPROW row = direct ? reinterpret_cast<JSAMPROW>(out) : job->Row->data();
        if (jpeg_read_scanlines(info, &row, 1) != 1) break;
        if (direct) continue;
        const JSAMPLE* in = job->Row->data();
        if (cmyk) {
            for (JDIMENSION x = 0; x < info->output_width; ++x, in += 4)
                out[x] = FromInvertedCmyk(in[0], in[1], in[2], in[3]);
        } else {
            for (JDIMENSION x = 0; x < info->output_width; ++x, in += 3)
                out[x] = qRgb(in[0], in[1], in[2]);
        }
    }
    // Finishing checks that every row was taken; rows the library could not deliver
    // are white, and the decoding is abandoned quietly instead.
    if (info->output_scanline < info->output_height) {
        for (int y = static_cast<int>(info->output_scanline); y < job->Picture->height(); ++y)
            std::memset(job->Picture->scanLine(y), 0xff,
                        static_cast<std::size_t>(job->Picture->bytesPerLine()));
        jpeg_abort_decompress(info);
    } else {
        jpeg_finish_decompress(info);
    }
    return JpegOutcome::Done;
}

} // namespace

namespace {

QImage DecodeJpegFrom(const QByteArray& bytes, std::FILE* file, Decoding mode) {
    QImage picture;
    std::vector<JSAMPLE> row;
    auto job = std::make_unique<JpegJob>();
    std::memset(&job->Info, 0, sizeof job->Info);
    std::memset(&job->Progress, 0, sizeof job->Progress);
    job->Info.err = jpeg_std_error(&job->Error.Base);
    job->Error.Base.error_exit = OnJpegError;
    job->Error.Base.emit_message = OnJpegMessage;
    job->Error.Base.output_message = OnJpegOutput;
    job->Error.Message[0] = '\0';
    job->Progress.progress_monitor = OnJpegProgress;
    job->Data = reinterpret_cast<const unsigned char*>(bytes.constData());
    job->Size = static_cast<unsigned long>(bytes.size());
    job->File = file;
    job->Picture = &picture;
    job->Row = &row;

    const JpegOutcome outcome = RunJpeg(job.get());
    const std::int64_t width = job->Info.image_width, height = job->Info.image_height;
    const int components = job->Info.num_components;
    const JDIMENSION rows = job->Info.output_scanline, rowsWanted = job->Info.output_height;
    const long warnings = job->Error.Base.num_warnings;
    if (job->Created) jpeg_destroy_decompress(&job->Info);
    switch (outcome) {
    case JpegOutcome::Done:
        // The library fills what a cut took away with grey and says so in a warning.
        if (mode == Decoding::Strict && (rows < rowsWanted || warnings > 0))
            throw DataError(QStringLiteral("JPEG image error: decoded only partly (the file is "
                                           "cut short or damaged)"));
        return picture;
    case JpegOutcome::LibraryError:
        throw DataError(QStringLiteral("JPEG image error: ") +
                        QString::fromLatin1(job->Error.Message));
    case JpegOutcome::TooLarge:
        throw DataError(TooLargeText(width, height));
    case JpegOutcome::Unsupported:
        throw DataError(
            QStringLiteral("JPEG image error: unsupported colour format (%1 components)")
                .arg(components));
    }
    return picture;
}

} // namespace

QImage DecodeJpeg(const QByteArray& bytes, Decoding mode) {
    return DecodeJpegFrom(bytes, nullptr, mode);
}

// ---- files -----------------------------------------------------------------------

namespace {

template <typename Decoder> QImage DecodeFile(const QString& path, Decoder decode) {
    const QByteArray bytes = ReadWholeFile(path, MaxImageFileBytes);
    try {
        return decode(bytes);
    } catch (const DataError& e) {
        throw DataError(path + QStringLiteral(": ") + e.Message());
    }
}

} // namespace

QImage DecodeGifFile(const QString& path, Decoding mode) {
    return DecodeFile(path, [mode](const QByteArray& bytes) { return DecodeGif(bytes, mode); });
}
QImage DecodeJpegFile(const QString& path, Decoding mode) {
    // Checked as every outside file is, then handed to the library, which reads it in
    // small pieces as it decodes, as Qt's reader does: no copy of the whole file is
    // held beside a picture of tens of megabytes (which also left the memory allocator
    // handing every new picture fresh pages from the system).
    QFile checked;
    OpenForReading(checked, path, MaxImageFileBytes);
    // The very file that was checked is read (a second open by name could find another,
    // put in its place meanwhile), through a descriptor of its own for the library's
    // stream, which closes it; no second look-up of the path either.
    const int descriptor = ::dup(checked.handle());
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        descriptor < 0 ? nullptr : ::fdopen(descriptor, "rb"), &std::fclose);
    if (!file && descriptor >= 0) ::close(descriptor);
    if (!file)
        throw FileError(QStringLiteral("Cannot open file \"%1\". %2")
                            .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    try {
        return DecodeJpegFrom(QByteArray(), file.get(), mode);
    } catch (const DataError& e) {
        throw DataError(path + QStringLiteral(": ") + e.Message());
    }
}

} // namespace nimbrel
