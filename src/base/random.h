#pragma once
// The program's one pseudo-random generator. A 32-bit linear congruential generator:
// small, fully determined by its seed, so tests can replay a session exactly.
#include <cstdint>

namespace nimbrel {

class RandomGenerator {
public:
    void Seed(std::uint32_t seed) { state_ = seed; }
    /// Seeds from the machine's clock (milliseconds since the epoch, folded to 32 bits).
    void SeedFromClock();
    /// Uniform integer 0 .. n-1; 0 when n <= 0.
    int Random(int n);
    std::uint32_t State() const { return state_; }

private:
    std::uint32_t state_ = 0;
};

} // namespace nimbrel
