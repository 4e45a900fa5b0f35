// GIF frames: any bytes decode to a picture of acceptable size or stop with a file error.
#include "base/errors.h"
#include "fuzz_support.h"
#include "viewer/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    try {
        const QImage img = DecodeGif(
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
        if (!img.isNull() && !ImageSizeAcceptable(img.width(), img.height())) __builtin_trap();
    } catch (const FileError&) {
    }
    return 0;
}
