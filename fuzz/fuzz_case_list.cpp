// The catalogue builder's case list: any line splits into the fixed columns, and a
// whole list either builds a catalogue or stops with a clear error, never writing
// outside the case root.
#include <QDir>

#include "base/errors.h"
#include "cases/catalogue_builder.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    const QString line =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const CaseListRow row = SplitCaseListLine(line);
    (void)IsIncludedRow(row);

    const QString input = fuzz::WriteInput("chase-list.csv", data, size);
    const QString out = fuzz::TempPath("out/");
    const QString root = fuzz::TempPath("cases/");
    QDir(out).removeRecursively();
    QDir(root).removeRecursively();
    QDir().mkpath(out);
    QDir().mkpath(root);
    try {
        (void)BuildCaseCatalogue(input, out, root);
    } catch (const FileError&) {
    }
    return 0;
}
