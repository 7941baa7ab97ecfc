#include "TransformSize.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace rovana {
namespace {

struct PowerRow
{
    float x;
    int e;
    float expected;
};

class IntPowerTest : public ::testing::TestWithParam<PowerRow>
{};

TEST_P(IntPowerTest, MatchesKnownPowers)
{
    const PowerRow row = GetParam();
    EXPECT_EQ(IntPower(row.x, row.e), row.expected) << row.x << "^" << row.e;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IntPowerTest,
    ::testing::Values(PowerRow{2.0f, 0, 1.0f}, PowerRow{2.0f, 1, 2.0f}, PowerRow{2.0f, 8, 256.0f},
                      PowerRow{2.0f, 11, 2048.0f}, PowerRow{2.0f, 12, 4096.0f},
                      PowerRow{2.0f, 30, 1073741824.0f}, PowerRow{3.0f, 5, 243.0f},
                      PowerRow{-3.0f, 3, -27.0f}, PowerRow{-3.0f, 4, 81.0f},
                      PowerRow{2.0f, -2, 0.25f}, PowerRow{-2.0f, -3, -0.125f},
                      PowerRow{0.5f, 3, 0.125f}, PowerRow{0.0f, 0, 1.0f}, PowerRow{0.0f, 3, 0.0f},
                      PowerRow{1.0f, INT_MIN, 1.0f},
                      PowerRow{2.0f, 128, std::numeric_limits<float>::infinity()}));

TEST(IntPowerEdgeTest, NegativePowerOfZeroIsInfinityWithTheSignOfThePower)
{
    EXPECT_EQ(IntPower(0.0f, -1), std::numeric_limits<float>::infinity());
    EXPECT_EQ(IntPower(-0.0f, -1), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(IntPower(-0.0f, -2), std::numeric_limits<float>::infinity());
    // 0.5^200 underflows to zero, so its reciprocal is infinite as well; 2^200 overflows
    // to infinity, whose reciprocal is zero.
    EXPECT_EQ(IntPower(0.5f, -200), std::numeric_limits<float>::infinity());
    EXPECT_EQ(IntPower(2.0f, -200), 0.0f);
}

struct SizeRow
{
    int sampleCount;
    int transformSize;
};

void PrintTo(const SizeRow& row, std::ostream* os)
{
    *os << "n=" << row.sampleCount << " -> N=" << row.transformSize;
}

class TransformSizeTest : public ::testing::TestWithParam<SizeRow>
{};

TEST_P(TransformSizeTest, GivesTheDocumentedSize)
{
    EXPECT_EQ(TransformSize(GetParam().sampleCount), GetParam().transformSize);
}

// The size doubles where ln n / ln 2 + 0.1 reaches the next whole number, that is at
// n = 2^(k - 0.1): 477.7, 955.4, 1910.9 and 3821.7.
INSTANTIATE_TEST_SUITE_P(
    Rows, TransformSizeTest,
    ::testing::Values(SizeRow{2048, 2048}, SizeRow{1000, 1024}, SizeRow{1500, 1024},
                      SizeRow{100, 256}, SizeRow{1, 256}, SizeRow{2, 256}, SizeRow{256, 256},
                      SizeRow{477, 256}, SizeRow{478, 512}, SizeRow{512, 512}, SizeRow{955, 512},
                      SizeRow{956, 1024}, SizeRow{1024, 1024}, SizeRow{1910, 1024},
                      SizeRow{1911, 2048}, SizeRow{2047, 2048}, SizeRow{3821, 2048},
                      SizeRow{3822, 4096}, SizeRow{4096, 4096}, SizeRow{1000000, 4096},
                      SizeRow{INT_MAX, 4096}, SizeRow{0, 256}, SizeRow{-7, 256},
                      SizeRow{INT_MIN, 256}));

TEST(TransformSizeRuleTest, IsTheLargestPowerOfTwoNotAboveAboutOnePointZeroSevenTimesN)
{
    for (int n = 2; n <= 4096; ++n) {
        const int size = TransformSize(n);
        // Independent restatement: the largest power of two 2^k with k - 0.1 <= log2 n,
        // limited to 256..4096.
        int expected = 256;
        for (int k = 8; k <= 12; ++k) {
            if (std::pow(2.0, k - 0.1) <= n)
                expected = 1 << k;
        }
        ASSERT_EQ(size, expected) << "n=" << n;
    }
}

} // namespace
} // namespace rovana
