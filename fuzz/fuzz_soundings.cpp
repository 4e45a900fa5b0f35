// Radiosonde archive files (SPC text, IGRA 2, Wyoming tables): any bytes give soundings
// whose diagnostics can be computed, or a data error; never a crash, hang or overrun.
#include "base/errors.h"
#include "fuzz_support.h"
#include "soundings/diagnostics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    try {
        const auto soundings = soundings::ReadSoundings(
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
            QStringLiteral("sounding.txt"));
        for (const soundings::Sounding& s : soundings)
            (void)soundings::Diagnose(s);
    } catch (const FileError&) {
    }
    return 0;
}
