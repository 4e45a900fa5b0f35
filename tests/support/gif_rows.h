#pragma once
// The palette indices of a GIF's first image as giflib's own row decoding gives them and
// as our LZW decoder gives them, for holding the one to the other. Shared by the unit
// tests and the GIF fuzz target.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include <QByteArray>

#include <gif_lib.h>

#include "viewer/decoders.h"
#include "viewer/gif_lzw.h"

namespace nimbrel::test {

struct GifRows {
    bool Found = false; ///< a first image of an acceptable size was found
    std::int64_t Width = 0, Height = 0;
    std::vector<std::uint8_t> Indices; ///< the complete rows, in the data's order
    LzwStop Stop = LzwStop::Complete;  ///< ours only
};

namespace detail {

struct Input {
    const QByteArray* Bytes;
    qsizetype Position;
};

inline int Read(GifFileType* gif, GifByteType* buffer, int length) {
    auto* in = static_cast<Input*>(gif->UserData);
    const auto n =
        std::max<qsizetype>(0, std::min<qsizetype>(length, in->Bytes->size() - in->Position));
    std::memcpy(buffer, in->Bytes->constData() + in->Position, static_cast<std::size_t>(n));
    in->Position += n;
    return static_cast<int>(n);
}

// Opens the bytes and reads up to the first image's descriptor; null when there is none
// or its size is not one the decoders accept.
inline GifFileType* OpenFirstImage(Input& input, GifRows& rows) {
    int error = 0;
    GifFileType* gif = DGifOpen(&input, Read, &error);
    if (!gif) return nullptr;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR || type == TERMINATE_RECORD_TYPE) break;
        if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) == GIF_ERROR ||
                !ImageSizeAcceptable(gif->Image.Width, gif->Image.Height))
                break;
            rows.Found = true;
            rows.Width = gif->Image.Width;
            rows.Height = gif->Image.Height;
            return gif;
        }
        int code = 0;
        GifByteType* block = nullptr;
        if (type != EXTENSION_RECORD_TYPE || DGifGetExtension(gif, &code, &block) == GIF_ERROR)
            break;
        while (block && DGifGetExtensionNext(gif, &block) == GIF_OK) {
        }
        if (block) break;
    }
    DGifCloseFile(gif, &error);
    return nullptr;
}

} // namespace detail

/// giflib's DGifGetLine, row after row until it fails.
inline GifRows GiflibRows(const QByteArray& bytes) {
    GifRows rows;
    detail::Input input{&bytes, 0};
    GifFileType* gif = detail::OpenFirstImage(input, rows);
    if (!gif) return rows;
    std::vector<GifPixelType> line(static_cast<std::size_t>(rows.Width));
    for (std::int64_t y = 0; y < rows.Height; ++y) {
        if (DGifGetLine(gif, line.data(), static_cast<int>(rows.Width)) == GIF_ERROR) break;
        rows.Indices.insert(rows.Indices.end(), line.begin(), line.end());
    }
    int error = 0;
    DGifCloseFile(gif, &error);
    return rows;
}

/// Our decoder on the same image, cut back to its complete rows.
inline GifRows OurRows(const QByteArray& bytes) {
    GifRows rows;
    detail::Input input{&bytes, 0};
    GifFileType* gif = detail::OpenFirstImage(input, rows);
    if (!gif) return rows;
    const GifImageData data = ReadGifImageData(gif, static_cast<std::size_t>(bytes.size()));
    const GifIndices indices = DecodeGifIndices(data, rows.Width * rows.Height);
    const std::int64_t kept = indices.Outcome.Decoded / rows.Width * rows.Width;
    rows.Indices.assign(indices.Data.get(), indices.Data.get() + kept);
    rows.Stop = indices.Outcome.Stop;
    int error = 0;
    DGifCloseFile(gif, &error);
    return rows;
}

} // namespace nimbrel::test
