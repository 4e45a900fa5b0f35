// The case catalogue: any file reads as whole entries plus at most one clear error, and
// every entry's day either names a case folder or is refused.
#include "base/errors.h"
#include "cases/catalogue.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    const CatalogueRead read = ReadCaseCatalogue(fuzz::WriteInput("nimbrel.cas", data, size));
    if (read.Entries.size() > size / CaseEntry::RecordSize) __builtin_trap();
    for (const CaseEntry& e : read.Entries) {
        (void)CaseListLine(e);
        (void)LeadingNumber(e.Description);
        try {
            const CaseDay day = ParseCaseDay(e.CaseDate);
            if (day.FolderName.contains(QLatin1Char('/'))) __builtin_trap();
        } catch (const ConvertError&) {
        }
    }
    return 0;
}
