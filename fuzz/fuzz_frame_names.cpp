// Frame file names on a data disc: any name gives a valid time or a conversion error,
// and a valid time always has its labels.
#include "base/errors.h"
#include "fuzz_support.h"
#include "viewer/frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    const QString name =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const DateTime t = FrameValidTime(name);
        (void)ProductDateText(t, false);
        (void)ProductTimeText(t);
        (void)ClockTimeKey(t);
    } catch (const ConvertError&) {
    }
    (void)SoundingMasks(name);
    return 0;
}
