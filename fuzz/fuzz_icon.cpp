// Chaser icon pictures from the per-user folder: any file loads as a small opaque
// picture or is refused with a file error.
#include "base/errors.h"
#include "fuzz_support.h"
#include "map/chaser_layer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    try {
        const QImage icon = LoadChaserIcon(fuzz::WriteInput("cha_tor.bmp", data, size));
        if (icon.isNull() || icon.width() > 1024 || icon.height() > 1024) __builtin_trap();
    } catch (const FileError&) {
    }
    return 0;
}
