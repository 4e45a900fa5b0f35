#pragma once
// Benchmarks that depend on files found at run time register themselves here; the entry
// point runs the registrations once the application object exists.
#include <functional>
#include <vector>

namespace nimbrel::bench {

std::vector<std::function<void()>>& LateRegistrations();

/// Checks a benchmark made besides its timing (pictures compared, results verified)
/// that failed; the program exits with a failure when any did.
int& FailedChecks();

} // namespace nimbrel::bench
