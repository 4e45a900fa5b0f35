#include "base/random.h"

#include <QDateTime>

namespace nimbrel {

void RandomGenerator::SeedFromClock() {
    const auto ms = static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch());
    state_ = static_cast<std::uint32_t>(ms ^ (ms >> 32));
}

int RandomGenerator::Random(int n) {
    state_ = state_ * 134775813u + 1u;
    if (n <= 0) return 0;
    return static_cast<int>((static_cast<std::uint64_t>(state_) * static_cast<std::uint32_t>(n)) >>
                            32);
}

} // namespace nimbrel
