// Sound files: any bytes are accepted as a playable sound or refused with a file error.
#include "base/errors.h"
#include "fuzz_support.h"
#include "products/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    try {
        CheckWaveBytes(
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
            QStringLiteral("warningtone.wav"));
    } catch (const FileError&) {
    }
    return 0;
}
