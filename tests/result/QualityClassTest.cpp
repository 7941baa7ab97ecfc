#include "QualityClass.h"

#include <gtest/gtest.h>

namespace rovana {
namespace {

struct ClassRow
{
    const char* name;
    int grade;
    float design;
    float measured;
    int expected;
};

void PrintTo(const ClassRow& row, std::ostream* os)
{
    *os << row.name;
}

class QualityClassTest : public ::testing::TestWithParam<ClassRow>
{};

TEST_P(QualityClassTest, FollowsTheGradeOnlyWhenTheLengthMatches)
{
    const ClassRow& r = GetParam();
    EXPECT_EQ(DeriveQualityClass(r.grade, r.design, r.measured), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, QualityClassTest,
    ::testing::Values(ClassRow{"ShortBy015PassesGradeBGivesII", 1, 4.0f, 3.85f, 1},
                      ClassRow{"Ratio09375FailsGivesIV", 0, 4.0f, 3.75f, 3},
                      ClassRow{"ShortBy055FailsDespiteRatio", 0, 12.0f, 11.45f, 3},
                      ClassRow{"LongerThanDesignPasses", 2, 4.0f, 4.6f, 2},
                      ClassRow{"ExactlyHalfAMetreShortPasses", 0, 12.0f, 11.5f, 0},
                      ClassRow{"NoGradePassesMinusOne", -1, 4.0f, 4.0f, -1},
                      ClassRow{"DesignZeroAndLengthPasses", 1, 0.0f, 2.0f, 1},
                      ClassRow{"NoGradeAndShortGivesNoClass", -1, 4.0f, 3.0f, -1},
                      ClassRow{"GradeOutOfTableGivesNoClass", 4, 4.0f, 4.0f, -1},
                      ClassRow{"DesignZeroAndZeroLengthGivesNoClass", 1, 0.0f, 0.0f, -1},
                      ClassRow{"ClearedLengthsGiveNoClass", 0, 3.5f, 0.0f, -1},
                      ClassRow{"NegativeLengthGivesNoClass", 0, 3.5f, -1.0f, -1}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace rovana
