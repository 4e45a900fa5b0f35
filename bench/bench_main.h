#pragma once
// Benchmarks that depend on files found at run time register themselves here; the entry
// point runs the registrations once the application object exists.
#include <functional>
#include <vector>

namespace nimbrel::bench {

std::vector<std::function<void()>>& LateRegistrations();

} // namespace nimbrel::bench
