// The one entry point of the benchmark programs. Fonts, image plugins and painting on
// images need the GUI application object, though no window system is used.
#include "bench_main.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

namespace nimbrel::bench {

std::vector<std::function<void()>>& LateRegistrations() {
    static std::vector<std::function<void()>> all;
    return all;
}

int& FailedChecks() {
    static int failed = 0;
    return failed;
}

} // namespace nimbrel::bench

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (const auto& registration : nimbrel::bench::LateRegistrations())
        registration();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return nimbrel::bench::FailedChecks() == 0 ? 0 : 1;
}
