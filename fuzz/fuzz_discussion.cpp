// The discussion file: any text, any paragraph number, a bounded list of lines.
#include "fuzz_support.h"
#include "products/product_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (int n : {0, 1, 5, DiscussionParagraphChoices}) {
        const QStringList lines = DiscussionParagraph(text, n);
        if (lines.size() > text.count('\n') + 1) __builtin_trap();
    }
    return 0;
}
