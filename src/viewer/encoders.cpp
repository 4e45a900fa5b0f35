#include "viewer/encoders.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>

#include "base/errors.h"
#include "viewer/decoders.h"

namespace nimbrel {
namespace {

void CheckSize(const QImage& image) {
    if (image.isNull() || !ImageSizeAcceptable(image.width(), image.height()))
        throw DataError(QStringLiteral("Cannot encode an image of %1 x %2 pixels")
                            .arg(image.width())
                            .arg(image.height()));
}

int AppendToArray(GifFileType* gif, const GifByteType* bytes, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), length);
    return length;
}

// The colours of a picture of at most 256 of them, sorted; empty when it has more.
std::map<QRgb, int> ExactPalette(const QImage& image) {
    std::map<QRgb, int> colours;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            colours.emplace(line[x] & 0xFFFFFF, 0);
            if (colours.size() > 256) return {};
        }
    }
    int index = 0;
    for (auto& entry : colours)
        entry.second = index++;
    return colours;
}

} // namespace

QByteArray EncodeGif(const QImage& source) {
    CheckSize(source);
    QImage image = source.convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, int> colours = ExactPalette(image);
    if (colours.empty()) {
        // Too many colours for a palette: let Qt choose 256 and map every pixel to them.
        const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        image = indexed.convertToFormat(QImage::Format_RGB32);
        colours = ExactPalette(image);
        if (colours.empty()) throw DataError(QStringLiteral("Cannot reduce the picture's colours"));
    }
    int bits = 1;
    while ((1 << bits) < int(colours.size()))
        ++bits;
    std::vector<GifColorType> palette(std::size_t(1) << bits, GifColorType{0, 0, 0});
    for (const auto& [rgb, slot] : colours)
        palette[std::size_t(slot)] =
            GifColorType{GifByteType(qRed(rgb)), GifByteType(qGreen(rgb)), GifByteType(qBlue(rgb))};

    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendToArray, &error);
    if (!gif) throw DataError(QStringLiteral("Cannot start a GIF encoder"));
    ColorMapObject* map = GifMakeMapObject(1 << bits, palette.data());
    bool ok = map &&
              EGifPutScreenDesc(gif, image.width(), image.height(), bits, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, image.width(), image.height(), false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(std::size_t(image.width()));
    for (int y = 0; ok && y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[std::size_t(x)] = GifPixelType(colours[line[x] & 0xFFFFFF]);
        ok = EGifPutLine(gif, row.data(), image.width()) == GIF_OK;
    }
    if (map) GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    if (!ok) throw DataError(QStringLiteral("Cannot encode the GIF picture"));
    return out;
}

QByteArray EncodeJpeg(const QImage& source, int quality) {
    CheckSize(source);
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

} // namespace nimbrel
