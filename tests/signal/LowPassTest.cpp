#include "LowPass.h"

#include "SignalTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

namespace rovana {
namespace {

using test::kSampleSentinel;

constexpr std::size_t kDisplayLength = 10240; // a channel view's display buffer
constexpr std::size_t kRawLength = 2048;      // its raw copy
constexpr std::size_t kGuard = 16;

// A display buffer full of sentinels, with guard words behind the span handed out.
struct Display
{
    Display() : store(kDisplayLength + kGuard, kSampleSentinel) {}
    std::span<std::int16_t> span() { return {store.data(), kDisplayLength}; }
    std::vector<std::int16_t> store;
};

std::vector<std::int16_t> Raw(std::initializer_list<int> head, int fill = 0)
{
    std::vector<std::int16_t> raw(kRawLength, static_cast<std::int16_t>(fill));
    std::size_t i = 0;
    for (int v : head)
        raw[i++] = static_cast<std::int16_t>(v);
    return raw;
}

void ExpectUntouchedFrom(const Display& display, std::size_t from)
{
    for (std::size_t i = from; i < display.store.size(); ++i)
        ASSERT_EQ(display.store[i], kSampleSentinel) << "written at " << i;
}

struct AlphaRow
{
    int intervalUs;
    float expected;
};

class FilterAlphaTest : public ::testing::TestWithParam<AlphaRow>
{};

TEST_P(FilterAlphaTest, IsTwoPiTimesTenKilohertzTimesTheIntervalRoundedToFloat)
{
    EXPECT_EQ(FilterAlpha(GetParam().intervalUs), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, FilterAlphaTest,
                         ::testing::Values(AlphaRow{0, 0.0f}, AlphaRow{1, 0.0628f},
                                           AlphaRow{2, 0.1256f}, AlphaRow{5, 0.314f},
                                           AlphaRow{10, 0.628f}, AlphaRow{15, 0.942f},
                                           AlphaRow{16, 1.0048f}, AlphaRow{100, 6.28f},
                                           AlphaRow{-10, -0.628f}));

TEST(LowPassTest, StepResponseAtTenMicroseconds)
{
    const auto raw = Raw({0}, 1000);
    Display display;
    LowPass(display.span(), raw, 10, 2048);
    EXPECT_EQ(display.store[0], 0);
    EXPECT_EQ(display.store[1], 628);
    EXPECT_EQ(display.store[2], 861);    // trunc(628 + 0.372 * 628)
    EXPECT_EQ(display.store[3], 948);    // trunc(628 + 0.372 * 861)
    EXPECT_EQ(display.store[2047], 999); // settles one below the input: truncation
    for (std::size_t i = 2; i < kRawLength; ++i)
        ASSERT_GE(display.store[i], display.store[i - 1]) << "a step response never falls, " << i;
    ExpectUntouchedFrom(display, kRawLength);
}

struct ConstantRow
{
    int intervalUs;
    int value;
};

class ConstantPassesTest : public ::testing::TestWithParam<ConstantRow>
{};

TEST_P(ConstantPassesTest, ComesOutUnchanged)
{
    const auto row = GetParam();
    const std::vector<std::int16_t> raw(kRawLength, static_cast<std::int16_t>(row.value));
    Display display;
    LowPass(display.span(), raw, row.intervalUs, 2048);
    for (std::size_t i = 0; i < kRawLength; ++i)
        ASSERT_EQ(display.store[i], row.value) << i;
    ExpectUntouchedFrom(display, kRawLength);
}

INSTANTIATE_TEST_SUITE_P(Rows, ConstantPassesTest,
                         ::testing::Values(ConstantRow{10, 1000}, ConstantRow{10, -1000},
                                           ConstantRow{10, 0}, ConstantRow{1, 1000},
                                           ConstantRow{2, 32767}, ConstantRow{10, -32768},
                                           ConstantRow{15, 12345}));

// The recursion is float arithmetic, so a constant may settle one count towards zero:
// at 3 µs alpha = 0.1884f and 1 - alpha = 0.8116f; for 5 the products round to 0.942000031f
// and 4.05799961f, whose float sum is 4.99999952f. From 4 on the output holds at 4
// (0.942 + 0.8116 * 4 = 4.188).
TEST(LowPassTest, FloatArithmeticCanLoseOneCountOnAConstant)
{
    const std::vector<std::int16_t> raw(16, 5);
    std::vector<std::int16_t> display(16, kSampleSentinel);
    LowPass(display, raw, 3, 16);
    EXPECT_EQ(display[0], 5);
    for (std::size_t i = 1; i < display.size(); ++i)
        EXPECT_EQ(display[i], 4) << i;
}

TEST(LowPassTest, SingleSampleLeavesOnlyTheFirstOutput)
{
    const auto raw = Raw({-321, 500, 500});
    Display display;
    LowPass(display.span(), raw, 10, 1);
    EXPECT_EQ(display.store[0], -321);
    ExpectUntouchedFrom(display, 1);
}

TEST(LowPassTest, WritesOnlyTheFirstNEntries)
{
    const auto raw = test::RandomSamples(kRawLength, 11u);
    Display display;
    LowPass(display.span(), raw, 4, 700);
    ExpectUntouchedFrom(display, 700);
    EXPECT_EQ(display.store[0], raw[0]);
}

class NothingWrittenTest : public ::testing::TestWithParam<int>
{};

TEST_P(NothingWrittenTest, ForCountsBelowOne)
{
    const auto raw = test::RandomSamples(kRawLength, 12u);
    Display display;
    LowPass(display.span(), raw, 10, GetParam());
    ExpectUntouchedFrom(display, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, NothingWrittenTest, ::testing::Values(0, -1, INT_MIN));

TEST(LowPassTest, CountIsLimitedToTheShorterBuffer)
{
    const auto raw = test::RandomSamples(kRawLength, 13u);
    Display display;
    LowPass(display.span(), raw, 10, INT_MAX);
    ExpectUntouchedFrom(display, kRawLength);

    std::vector<std::int16_t> shortDisplay(100 + kGuard, kSampleSentinel);
    LowPass(std::span(shortDisplay).first(100), raw, 10, 2048);
    for (std::size_t i = 100; i < shortDisplay.size(); ++i)
        ASSERT_EQ(shortDisplay[i], kSampleSentinel) << i;
}

struct SaturationRow
{
    int intervalUs;
    int step;
    int first;
    int second;
};

class SaturationTest : public ::testing::TestWithParam<SaturationRow>
{};

// Above about 15.9 µs alpha exceeds 1 and the recursion overshoots; the output stops at
// the int16 limits instead of wrapping around.
TEST_P(SaturationTest, OvershootStopsAtTheInt16Limits)
{
    const auto row = GetParam();
    const auto raw = Raw({0}, row.step);
    Display display;
    LowPass(display.span(), raw, row.intervalUs, 2048);
    EXPECT_EQ(display.store[1], row.first);
    EXPECT_EQ(display.store[2], row.second);
}

// 100 µs: alpha = 6.28; y1 = 6.28 * 30000 = 188400 -> 32767,
// y2 = 188400 - 5.28 * 32767 = 15390.2; downwards y1 -> -32768 and
// y2 = -188400 + 5.28 * 32768 = -15384.96. 20 µs: alpha = 1.256, y1 = 41155.4 -> 32767,
// y2 = 41155.4 - 0.256 * 32767 = 32766.99. At 2^30 µs alpha is about 6.7e7 and every
// output lies far outside the range.
INSTANTIATE_TEST_SUITE_P(Rows, SaturationTest,
                         ::testing::Values(SaturationRow{100, 30000, 32767, 15390},
                                           SaturationRow{100, -30000, -32768, -15384},
                                           SaturationRow{20, 32767, 32767, 32766},
                                           SaturationRow{1 << 30, 1000, 32767, -32768},
                                           SaturationRow{INT_MAX, -1, -32768, 32767}));

class NoIntervalTest : public ::testing::TestWithParam<int>
{};

TEST_P(NoIntervalTest, CopiesTheRawSamplesUnfiltered)
{
    const auto raw = test::RandomSamples(kRawLength, 14u);
    Display display;
    LowPass(display.span(), raw, GetParam(), 1500);
    for (std::size_t i = 0; i < 1500; ++i)
        ASSERT_EQ(display.store[i], raw[i]) << i;
    ExpectUntouchedFrom(display, 1500);
}

INSTANTIATE_TEST_SUITE_P(Rows, NoIntervalTest, ::testing::Values(0, -1, -10, INT_MIN));

TEST(LowPassTest, InPlaceGivesTheSameResult)
{
    const auto raw = test::RandomSamples(kRawLength, 15u);
    std::vector<std::int16_t> separate(kRawLength);
    LowPass(separate, raw, 8, 2048);
    std::vector<std::int16_t> inPlace = raw;
    LowPass(inPlace, inPlace, 8, 2048);
    EXPECT_EQ(inPlace, separate);
}

} // namespace
} // namespace rovana
