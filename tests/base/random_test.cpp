#include <gtest/gtest.h>

#include <array>

#include "base/random.h"

using namespace nimbrel;

TEST(Random, SeededGeneratorsRepeatAndStayInRange) {
    RandomGenerator a, b;
    a.Seed(12345);
    b.Seed(12345);
    std::array<int, 10> counts{};
    for (int i = 0; i < 10000; ++i) {
        const int x = a.Random(10);
        EXPECT_EQ(x, b.Random(10));
        ASSERT_GE(x, 0);
        ASSERT_LT(x, 10);
        ++counts[static_cast<std::size_t>(x)];
    }
    for (int c : counts)
        EXPECT_NEAR(c, 1000, 150); // roughly uniform
    EXPECT_EQ(a.Random(1), 0);
    EXPECT_EQ(a.Random(0), 0);
}
