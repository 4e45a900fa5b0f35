// The storm report file: whole records decode, a cut record throws a file error, and
// every decoded report has an age at any time.
#include "base/errors.h"
#include "fuzz_support.h"
#include "reports/report_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    try {
        const std::vector<StormReport> reports =
            ReadReports(fuzz::WriteInput("rpt.dat", data, size));
        for (const StormReport& r : reports) {
            (void)AgeOf(r, 36000.0);
            (void)EncodeReport(r);
        }
    } catch (const FileError&) {
    }
    return 0;
}
