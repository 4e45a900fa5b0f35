// The report extraction: any source table reads line by line into fields, and a
// case's reports are either written or refused with a clear error.
#include <QDir>

#include "base/errors.h"
#include "fuzz_support.h"
#include "reports/extraction.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TextLineReader reader = TextLineReader::FromBytes(bytes);
    int lines = 0;
    while (!reader.AtEnd()) {
        const SourceFields f(reader.ReadLine());
        if (f.Count() < 1 || f.Count() > MaxSourceFields) __builtin_trap();
        if (++lines > bytes.size() + 1) __builtin_trap(); // the reader must make progress
        try {
            (void)ReportFromFields(f, ReportKind::Hail, 36000.0);
        } catch (const ConvertError&) {
        }
    }

    // A whole run over one case day of 1980, with the input as its tornado table.
    const QString root = fuzz::TempPath("cases/");
    const QString source = fuzz::TempPath("source/");
    QDir().mkpath(root + QStringLiteral("1980-05-04"));
    QDir().mkpath(source);
    fuzz::WriteInput("source/80-89_torn.csv", data, size);
    fuzz::WriteInput("source/80-89_hail.csv", data, 0);
    fuzz::WriteInput("source/80-89_wind.csv", data, 0);
    try {
        (void)ExtractReports(root, source, ExtractionHooks{});
    } catch (const FileError&) {
    } catch (const ConvertError&) {
    }
    return 0;
}
