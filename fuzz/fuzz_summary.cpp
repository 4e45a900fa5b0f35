// The case's narrative and discussion files: any bytes become lines of the summary.
#include "base/errors.h"
#include "debrief/debrief.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = TextFileLines(bytes);
    if (lines.size() > bytes.count('\n') + 1) __builtin_trap();
    // Half of the input is the narrative, the other half the discussion.
    const std::size_t half = size / 2;
    fuzz::WriteInput("narr.txt", data, half);
    fuzz::WriteInput("fcst.txt", data + half, size - half);
    try {
        (void)SummaryLines(fuzz::TempPath(""), 36000.0);
    } catch (const FileError&) {
    }
    return 0;
}
