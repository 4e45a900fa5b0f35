// GIF frames: any bytes decode to a picture of acceptable size or stop with a file error,
// and our LZW decoder gives the rows giflib's own gives.
#include <algorithm>
#include <cstring>

#include "base/errors.h"
#include "fuzz_support.h"
#include "support/gif_rows.h"
#include "viewer/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const QImage img = DecodeGif(bytes);
        if (!img.isNull() && !ImageSizeAcceptable(img.width(), img.height())) __builtin_trap();
    } catch (const FileError&) {
    }

    const test::GifRows ours = test::OurRows(bytes);
    const test::GifRows theirs = test::GiflibRows(bytes);
    if (!ours.Found) return 0;
    const std::size_t common = std::min(ours.Indices.size(), theirs.Indices.size());
    if (common > 0 && std::memcmp(ours.Indices.data(), theirs.Indices.data(), common) != 0)
        __builtin_trap();
    if (ours.Indices.size() == theirs.Indices.size()) return 0;
    // giflib reads on to the end of the data after the last row and fails that row when
    // the rest is cut short; ours keeps it.
    const auto width = static_cast<std::size_t>(ours.Width);
    const std::size_t all = width * static_cast<std::size_t>(ours.Height);
    if (ours.Indices.size() == all && theirs.Indices.size() == all - width) return 0;
    // At a code not in the table giflib makes up pixels and may carry on; ours stops.
    if (ours.Stop == LzwStop::BadCode && theirs.Indices.size() > ours.Indices.size()) return 0;
    __builtin_trap();
}
