// Known answers of the echo picker's parts: the exact selection behind its medians.
#include "Selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

namespace rovana::pick {
namespace {

TEST(PickPartsTest, KthSmallestKnownAnswers)
{
    struct Case
    {
        std::vector<float> values;
        std::size_t k;
        float expected;
    };
    const std::vector<Case> cases = {
        {{}, 0, 0.0f},                             // nothing: 0
        {{5.0f}, 0, 5.0f},                         // one value
        {{4.0f, 1.0f, 3.0f, 2.0f}, 2, 3.0f},       // even size: the upper median
        {{4.0f, 1.0f, 3.0f, 2.0f}, 0, 1.0f},       // the smallest
        {{4.0f, 1.0f, 3.0f, 2.0f}, 3, 4.0f},       // the largest
        {{4.0f, 1.0f, 3.0f, 2.0f}, 9, 4.0f},       // past the end: the largest
        {{2.0f, 2.0f, 1.0f, 2.0f, 3.0f}, 3, 2.0f}, // duplicates
        {{-1.5f, -3.0f, 2.0f, -0.25f}, 1, -1.5f},  // negative values
        {{0.0f, -0.0f}, 0, -0.0f},                 // -0 below +0
        {{0.0f, -0.0f}, 1, 0.0f},
    };
    for (const Case& c : cases) {
        const float got = KthSmallest(c.values, c.k);
        EXPECT_EQ(got, c.expected) << c.values.size() << " " << c.k;
        EXPECT_EQ(std::signbit(got), std::signbit(c.expected)) << c.values.size() << " " << c.k;
    }
    EXPECT_EQ(MedianOf(std::vector<float>{7.0f, -2.0f, 9.0f}), 7.0f);
}

// Enough values for several radix passes, with few distinct values or many.
TEST(PickPartsTest, KthSmallestMatchesASort)
{
    std::mt19937 engine(5);
    for (const float spread : {1.0f, 30.0f, 1e4f}) {
        std::normal_distribution<float> value(0.0f, spread);
        std::vector<float> values(2047);
        for (float& v : values)
            v = std::round(value(engine)) + (spread > 100.0f ? 0.37f : 0.0f);
        std::vector<float> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        for (const std::size_t k : {std::size_t{0}, std::size_t{1}, std::size_t{700},
                                    std::size_t{1023}, std::size_t{2046}})
            EXPECT_EQ(KthSmallest(values, k), sorted[k]) << spread << " " << k;
    }
}

} // namespace
} // namespace rovana::pick
