#include "NumberText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace rovana {
namespace {

struct DoubleRow
{
    const char* text;
    double value;
};

void PrintTo(const DoubleRow& row, std::ostream* os)
{
    *os << '"' << row.text << '"';
}

class LenientDoubleTest : public ::testing::TestWithParam<DoubleRow>
{};

TEST_P(LenientDoubleTest, ReadsTheLeadingNumber)
{
    EXPECT_DOUBLE_EQ(LenientToDouble(QString::fromUtf8(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, LenientDoubleTest,
                         ::testing::Values(DoubleRow{"7", 7.0}, DoubleRow{"1e5", 100000.0},
                                           DoubleRow{"  3.25", 3.25}, DoubleRow{"-0.5", -0.5},
                                           DoubleRow{"+2", 2.0}, DoubleRow{"3.5m", 3.5},
                                           DoubleRow{".5", 0.5}, DoubleRow{"-", 0.0},
                                           DoubleRow{"", 0.0}, DoubleRow{"abc", 0.0},
                                           DoubleRow{"米3", 0.0}, DoubleRow{"１２", 0.0},
                                           DoubleRow{"1,5", 1.0}));

TEST(LenientNumberTest, FloatOverflowBecomesInfinite)
{
    EXPECT_TRUE(std::isinf(LenientToFloat("1e300")));
    EXPECT_GT(LenientToFloat("1e300"), 0.0f);
    EXPECT_TRUE(std::isinf(LenientToFloat("-1e300")));
    EXPECT_FLOAT_EQ(LenientToFloat("2.5"), 2.5f);
}

TEST(LenientNumberTest, IntegersAreReadAndClamped)
{
    EXPECT_EQ(LenientToInt("3600"), 3600);
    EXPECT_EQ(LenientToInt(" -42x"), -42);
    EXPECT_EQ(LenientToInt("3600.9"), 3600);
    EXPECT_EQ(LenientToInt("波速"), 0);
    EXPECT_EQ(LenientToInt(""), 0);
    EXPECT_EQ(LenientToInt("99999999999"), INT_MAX);
    EXPECT_EQ(LenientToInt("-99999999999"), INT_MIN);
}

} // namespace
} // namespace rovana
