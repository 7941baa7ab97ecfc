// Known answers of the echo picker's parts: the exact selection behind its medians, the
// moving averages drawn from running sums, the correlation with the blow and its
// autocorrelation.
#include "Baseline.h"
#include "Correlation.h"
#include "MovingAverage.h"
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
        {{-1.5f, -3.0f, 2.0f, -0.5f}, 1, -1.5f},   // negative values
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

TEST(PickPartsTest, SmoothAveragesFewerSamplesAtTheEnds)
{
    const std::vector<float> x = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
    EXPECT_EQ(Smooth(x, 1), (std::vector<float>{1.5f, 2.0f, 3.0f, 4.0f, 4.5f}));
    EXPECT_EQ(Smooth(x, 0), x);
    EXPECT_EQ(Smooth(x, 9), std::vector<float>(5, 3.0f));
    EXPECT_TRUE(Smooth({}, 2).empty());
}

// A part of the smoothing, or its largest magnitude, is the same as from the whole.
TEST(PickPartsTest, SmoothingFromRunningSumsMatchesTheWhole)
{
    std::mt19937 engine(11);
    std::normal_distribution<float> value(0.0f, 100.0f);
    for (const int n : {0, 1, 7, 40, 301}) {
        std::vector<float> x(static_cast<std::size_t>(n));
        for (float& v : x)
            v = value(engine);
        std::vector<double> sum;
        RunningSums(x, sum);
        for (const int half : {0, 1, 3, 20, 200}) {
            const std::vector<float> whole = Smooth(x, half);
            float top = 0.0f;
            for (float v : whole)
                top = std::max(top, std::abs(v));
            EXPECT_EQ(LargestAverage(sum, half), top) << n << " " << half;
            const int from = n / 3, to = n - n / 4;
            std::vector<float> part(static_cast<std::size_t>(to - from));
            SmoothFromSums(sum, half, from, to, part);
            EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + from))
                << n << " " << half;
        }
    }
}

// A ramp x = i in blocks of 8: the medians a + 4 at the centres a + 3.5 make the line
// i + 0.5 between the first and the last centre, the level before and after them.
TEST(PickPartsTest, BaselineFollowsTheBlockMediansAndKeepsTheLevelAtTheEnds)
{
    std::vector<float> x(32);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = static_cast<float>(i);
    RemoveBaseline(x, 8);
    std::vector<float> expected(32, -0.5f);
    for (int i = 0; i < 4; ++i) {
        expected[static_cast<std::size_t>(i)] = static_cast<float>(i) - 4.0f;
        expected[static_cast<std::size_t>(28 + i)] = static_cast<float>(i);
    }
    EXPECT_EQ(x, expected);
}

// Output i of the correlation is sum_k shape[k] x[i - peak + k] over the energy: for a
// short blow summed in order of k, to the bit; for a long one, through the transform,
// to within its rounding. A record of 1024 samples takes a blow of 60 in a transform of
// its own length, whose ends wrap onto each other; 100 takes one twice as long.
TEST(PickPartsTest, CorrelationIsTheSumOfProducts)
{
    std::mt19937 engine(3);
    std::normal_distribution<float> value(0.0f, 50.0f);
    for (const int n : {300, 1024}) {
        std::vector<float> x(static_cast<std::size_t>(n));
        for (float& v : x)
            v = value(engine);
        for (const int m : {40, 60, 100}) {
            BlowPulse blow;
            blow.shape.resize(static_cast<std::size_t>(m));
            double energy = 0.0;
            for (float& v : blow.shape) {
                v = value(engine);
                energy += static_cast<double>(v) * v;
            }
            for (const int peak : {0, m / 2, m - 1}) {
                blow.shapePeak = peak;
                const std::vector<float> y = CorrelateWithBlow(x, blow);
                for (int i = 0; i < n; ++i) {
                    float sum = 0.0f;
                    for (int k = std::max(0, peak - i); k < std::min(m, n + peak - i); ++k)
                        sum += blow.shape[static_cast<std::size_t>(k)] *
                               x[static_cast<std::size_t>(i - peak + k)];
                    const float expected = sum * static_cast<float>(1.0 / energy);
                    if (m <= 48)
                        ASSERT_EQ(y[static_cast<std::size_t>(i)], expected) << peak << " " << i;
                    else
                        ASSERT_NEAR(y[static_cast<std::size_t>(i)], expected, 1e-4f)
                            << n << " " << m << " " << peak << " " << i;
                }
            }
        }
    }
}

// The blow's autocorrelation sums each lag's products in order of k: at lag 1 the products
// 2^60, -2^60 and 1 leave 1 that way, nothing the other way round.
TEST(PickPartsTest, AutocorrelationSumsInOrder)
{
    BlowPulse blow;
    blow.shape = {std::ldexp(1.0f, 60), 1.0f, -std::ldexp(1.0f, 60), -std::ldexp(1.0f, -60)};
    const std::vector<float> ac = BlowAutocorrelation(blow); // lag 0 weighs 2^121
    const std::vector<float> expected = {
        -std::ldexp(1.0f, -121), -0.5f, std::ldexp(1.0f, -121), 1.0f,
        std::ldexp(1.0f, -121),  -0.5f, -std::ldexp(1.0f, -121)};
    EXPECT_EQ(ac, expected);
}

} // namespace
} // namespace rovana::pick
