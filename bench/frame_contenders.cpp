#include "frame_contenders.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <utility>
#include <vector>

#include <QFile>
#include <QImageReader>
#include <QSize>

#include <gif_lib.h>
#include <jpeglib.h>

#include "viewer/decoders.h"

namespace nimbrel::bench {

namespace {

struct RawJpegError {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
};

void RawJpegExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<RawJpegError*>(info->err)->Jump, 1);
}

} // namespace

bool IsGif(const QString& path) {
    return path.endsWith(QStringLiteral(".gif"), Qt::CaseInsensitive);
}

QImage Ours(const QString& path) {
    return IsGif(path) ? DecodeGifFile(path) : DecodeJpegFile(path);
}

QImage Qts(const QString& path) {
    QImageReader reader(path, IsGif(path) ? "gif" : "jpeg");
    return reader.read();
}

QImage RawJpeg(const QString& path) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file) return {};
    jpeg_decompress_struct info{};
    RawJpegError error{};
    QImage out;
    info.err = jpeg_std_error(&error.Base);
    error.Base.error_exit = RawJpegExit;
    if (setjmp(error.Jump)) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    out = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                 QImage::Format_RGB32);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return out;
}

QString ScaledGif(const QString& original, QSize size, bool interlaced, const QString& path) {
    int error = 0;
    GifFileType* in = DGifOpenFileName(QFile::encodeName(original).constData(), &error);
    if (!in) return {};
    QString written;
    if (DGifSlurp(in) == GIF_OK && in->ImageCount > 0) {
        const SavedImage& image = in->SavedImages[0];
        const int w0 = image.ImageDesc.Width, h0 = image.ImageDesc.Height;
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : in->SColorMap;
        const int width = size.width(), height = size.height();
        GifFileType* out = EGifOpenFileName(QFile::encodeName(path).constData(), false, &error);
        if (out && map && !image.ImageDesc.Interlace) {
            EGifPutScreenDesc(out, width, height, map->BitsPerPixel, 0, map);
            EGifPutImageDesc(out, 0, 0, width, height, interlaced, nullptr);
            std::vector<int> rows;
            if (interlaced) {
                for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
                    for (int y = start; y < height; y += step)
                        rows.push_back(y);
            } else {
                for (int y = 0; y < height; ++y)
                    rows.push_back(y);
            }
            std::vector<GifPixelType> row(static_cast<std::size_t>(width));
            for (const int y : rows) {
                const GifByteType* src =
                    image.RasterBits + static_cast<std::ptrdiff_t>(y * h0 / height) * w0;
                for (int x = 0; x < width; ++x)
                    row[static_cast<std::size_t>(x)] = src[x * w0 / width];
                EGifPutLine(out, row.data(), width);
            }
            if (EGifCloseFile(out, &error) == GIF_OK) written = path;
        } else if (out) {
            EGifCloseFile(out, &error);
        }
    }
    DGifCloseFile(in, &error);
    return written;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

} // namespace nimbrel::bench
