// The storm report file: whole records decode, a cut record throws a file error, and
// every decoded report has an age at any time and draws on the map, wherever it claims
// to lie.
#include <QImage>

#include "base/errors.h"
#include "fuzz_support.h"
#include "map/projection.h"
#include "reports/report_file.h"
#include "reports/report_layer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    const QString path = fuzz::WriteInput("rpt.dat", data, size);
    try {
        const std::vector<StormReport> reports = ReadReports(path);
        for (const StormReport& r : reports) {
            (void)AgeOf(r, 36000.0);
            (void)EncodeReport(r);
        }
    } catch (const FileError&) {
    }
    ProjectionDescriptor view;
    ResetViewport(view);
    view.Width = 120;
    view.Height = 90;
    QImage map(view.Width, view.Height, QImage::Format_RGB32);
    map.fill(Qt::white);
    try {
        DrawReports(
            map, [&](const GeoPoint& p) { return ProjectToScreen(view, p); }, path, 36000.0, true);
    } catch (const FileError&) {
    }
    return 0;
}
