#include "frame_contenders.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include <QFile>
#include <QImageReader>

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

double Median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

} // namespace nimbrel::bench
