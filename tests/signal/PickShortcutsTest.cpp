// The echo picker's shortcuts against the long way round, bit for bit: the two smoothings
// taken together, the medians of counts, and the threshold that stands for a division.
#include "Baseline.h"
#include "Correlation.h"
#include "EchoSearch.h"
#include "MovingAverage.h"
#include "Selection.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace rovana::pick {
namespace {

std::vector<std::uint32_t> Bits(const std::vector<float>& v)
{
    std::vector<std::uint32_t> bits;
    for (float x : v)
        bits.push_back(std::bit_cast<std::uint32_t>(x));
    return bits;
}

TEST(PickShortcutsTest, TwoSmoothingsTogetherAreEachAlone)
{
    struct Case
    {
        int n, halfA, halfB;
    };
    // Empty, one sample, windows past both ends, equal widths, the picker's usual ones.
    const Case cases[] = {{0, 1, 2}, {1, 1, 1}, {5, 9, 2}, {40, 3, 3}, {2048, 12, 25}};
    std::mt19937 engine(3);
    std::normal_distribution<float> value(0.0f, 0.3f);
    for (const Case& c : cases) {
        std::vector<float> y(static_cast<std::size_t>(c.n));
        for (float& v : y)
            v = value(engine);
        std::vector<float> a(3, 9.0f), b; // whatever they held before
        SmoothThriceTwice(y, c.halfA, c.halfB, a, b);
        const auto thrice = [&y](int half) { return Smooth(Smooth(Smooth(y, half), half), half); };
        EXPECT_EQ(Bits(a), Bits(thrice(c.halfA))) << c.n << " " << c.halfA;
        EXPECT_EQ(Bits(b), Bits(thrice(c.halfB))) << c.n << " " << c.halfB;
    }
}

TEST(PickShortcutsTest, MediansOfCountsKnownAnswers)
{
    using Counts = std::vector<std::int16_t>;
    EXPECT_EQ(MedianOf(Counts{}), 0);
    EXPECT_EQ(MedianOf(Counts{-5}), -5);
    EXPECT_EQ(MedianOf(Counts{3, -1, 2}), 2);
    EXPECT_EQ(MedianOf(Counts{-32768, 32767}), 32767);     // the upper median, both extremes
    EXPECT_EQ(MedianOf(Counts{255, 256, -1, -256, 0}), 0); // across the byte boundaries
    EXPECT_EQ(MedianOf(Counts{-1, -1, 256, 256}), 256);
    EXPECT_EQ(MedianStep(Counts{}), 0);
    EXPECT_EQ(MedianStep(Counts{7}), 0);
    EXPECT_EQ(MedianStep(Counts{0, 32767, -32768}), 65535); // steps 32767 and 65535
    EXPECT_EQ(MedianStep(Counts{4, 4, 1, 5}), 3);           // steps 0, 3, 4
    // Every other pair: steps 5, 2, 93 of the pairs (0, 5), (5, 7), (7, 100); all: 2.
    EXPECT_EQ(MedianStep(Counts{0, 5, 5, 7, 7, 100}, 2), 5);
    EXPECT_EQ(MedianStep(Counts{0, 5, 5, 7, 7, 100}), 2);
    EXPECT_EQ(MedianStep(Counts{0, 5, 5}, 0), 0);
}

// Counts spread narrowly or over the whole range: the same floats as the float medians of
// the same values, and the same noise as from the centred samples.
TEST(PickShortcutsTest, MediansOfCountsMatchTheFloatOnes)
{
    std::mt19937 engine(8);
    for (const float spread : {0.4f, 40.0f, 9000.0f, 1e6f}) {
        std::normal_distribution<float> value(100.0f, spread);
        for (const std::size_t n :
             {std::size_t{3}, std::size_t{4}, std::size_t{2048}, std::size_t{40000}}) {
            std::vector<std::int16_t> counts(n);
            for (auto& c : counts)
                c = static_cast<std::int16_t>(
                    std::clamp(std::round(value(engine)), -32768.0f, 32767.0f));
            const std::vector<float> asFloats(counts.begin(), counts.end());
            EXPECT_EQ(static_cast<float>(MedianOf(counts)), MedianOf(asFloats))
                << spread << " " << n;
            EXPECT_EQ(std::bit_cast<std::uint32_t>(SampleNoiseOfCounts(counts)),
                      std::bit_cast<std::uint32_t>(SampleNoise(CentredSamples(counts))))
                << spread << " " << n;
        }
    }
}

// Counts of a few values with one far out, so that the range is wide and the answer
// often sits on an edge of the bracket the sample gives, and counts whose sample lies
// just above or below all the rest: the medians are still the sorted ones' middles.
TEST(PickShortcutsTest, MediansOfCountsWhateverTheSampleShows)
{
    std::mt19937 engine(21);
    for (int trial = 0; trial < 300; ++trial) {
        const std::size_t n = std::size_t{512} + engine() % 1600;
        const int spread = 1 + static_cast<int>(engine() % 6);
        std::vector<std::int16_t> counts(n);
        for (auto& c : counts)
            c = static_cast<std::int16_t>(static_cast<int>(engine() % 3) * spread);
        if (trial % 3 == 1) { // the sample's places one above or one below all the rest
            std::fill(counts.begin(), counts.end(), std::int16_t{5});
            for (std::size_t i = 0; i < n; i += n / 32)
                counts[i] = static_cast<std::int16_t>(trial % 2 ? 6 : 4);
        }
        counts[engine() % n] = -30000;
        std::vector<std::int16_t> sorted = counts;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(MedianOf(counts), sorted[n / 2]) << trial;
        std::vector<int> steps;
        for (std::size_t i = 0; i + 1 < n; ++i)
            steps.push_back(std::abs(counts[i + 1] - counts[i]));
        std::sort(steps.begin(), steps.end());
        ASSERT_EQ(MedianStep(counts), steps[(n - 1) / 2]) << trial;
    }
}

// A drifting record whose counts span up to the whole range, in blocks that fit or leave
// a short last one: the baseline through the counts' medians is the float one, bit for bit.
TEST(PickShortcutsTest, BaselineFromTheCountsIsTheFloatOne)
{
    std::mt19937 engine(5);
    for (const float spread : {3.0f, 500.0f, 1e6f}) {
        std::normal_distribution<float> value(0.0f, spread);
        for (const int n : {5, 256, 2048}) {
            std::vector<std::int16_t> counts(static_cast<std::size_t>(n));
            for (int i = 0; i < n; ++i)
                counts[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(std::clamp(
                    std::round(value(engine) + 7.0f * static_cast<float>(i)), -32768.0f, 32767.0f));
            for (const int half : {4, 50, 682}) {
                std::vector<float> floats = CentredSamples(counts);
                std::vector<float> fromCounts = floats;
                RemoveBaseline(floats, half);
                RemoveBaseline(fromCounts, half, counts);
                EXPECT_EQ(Bits(fromCounts), Bits(floats)) << spread << " " << n << " " << half;
            }
        }
    }
}

// The first value not under the level, against a plain search, wherever it stands in a
// block of four or in the tail: the level itself, a NaN, a negative one by its magnitude.
TEST(PickShortcutsTest, FirstNotUnderFindsWhatAPlainSearchFinds)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float special : {2.0f, nan, -2.5f, -0.0f}) {
        for (const bool magnitude : {false, true}) {
            for (int at = 0; at < 11; ++at) {
                std::vector<float> v(11, 1.0f);
                v[static_cast<std::size_t>(at)] = special;
                for (const int from : {0, 1, 5}) {
                    int expected = 11;
                    for (int i = from; i < 11; ++i) {
                        const float x = magnitude ? std::abs(v[static_cast<std::size_t>(i)])
                                                  : v[static_cast<std::size_t>(i)];
                        if (!(x < 2.0f)) {
                            expected = i;
                            break;
                        }
                    }
                    EXPECT_EQ(FirstNotUnder(v.data(), from, 11, 2.0f, magnitude), expected)
                        << special << " " << magnitude << " " << at << " " << from;
                }
            }
        }
    }
}

// At the answer the quotient reaches the ratio, one float below it does not.
TEST(PickShortcutsTest, LeastReachingIsTheExactThreshold)
{
    const float tiny = std::numeric_limits<float>::denorm_min();
    for (const float divisor :
         {1.0f, 0.37f, 0.0100040045f, 0.0123f, 3.0e-39f, 7.0f * tiny, 1.0e30f}) {
        for (const float ratio : {10.0f, 3.0f, 0.1f}) {
            const float least = LeastReaching(divisor, ratio);
            ASSERT_TRUE(std::isfinite(least)) << divisor << " " << ratio;
            EXPECT_GE(least / divisor, ratio) << divisor << " " << ratio;
            if (least > 0.0f) {
                EXPECT_LT(std::nextafter(least, 0.0f) / divisor, ratio) << divisor << " " << ratio;
            }
        }
    }
    // No finite value reaches it: everything finite is under it.
    EXPECT_EQ(LeastReaching(3.0e38f, 10.0f), std::numeric_limits<float>::infinity());
}

} // namespace
} // namespace rovana::pick
