#include "Phase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace rovana {
namespace {

struct PhaseDegreesRow
{
    float re;
    float im;
    int expected;
};

void PrintTo(const PhaseDegreesRow& row, std::ostream* os)
{
    *os << "re=" << row.re << " im=" << row.im;
}

class PhaseDegreesTest : public ::testing::TestWithParam<PhaseDegreesRow>
{};

TEST_P(PhaseDegreesTest, IsTheTruncatedArcTangentOfRealOverImaginary)
{
    const auto row = GetParam();
    EXPECT_EQ(PhaseDegrees(row.re, row.im), row.expected);
    std::int32_t bulk = -1000;
    ComputePhases(std::span(&row.re, 1), std::span(&row.im, 1), std::span(&bulk, 1));
    EXPECT_EQ(bulk, row.expected) << "ComputePhases";
}

constexpr float kMax = std::numeric_limits<float>::max();
constexpr float kTiny = std::numeric_limits<float>::denorm_min();
constexpr float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Rows, PhaseDegreesTest,
    ::testing::Values(PhaseDegreesRow{1.0f, 1.0f, 45}, PhaseDegreesRow{-1.0f, 1.0f, -45},
                      PhaseDegreesRow{1.0f, -1.0f, -45}, PhaseDegreesRow{-3.0f, -3.0f, 45},
                      PhaseDegreesRow{0.0f, 5.0f, 0}, PhaseDegreesRow{-0.0f, 5.0f, 0},
                      PhaseDegreesRow{5.0f, 0.0f, 0}, PhaseDegreesRow{-5.0f, -0.0f, 0},
                      PhaseDegreesRow{0.0f, 0.0f, 0},
                      // tan 40.5 degrees = 0.85408: 40.5 truncates to 40; the quotient is re/im.
                      PhaseDegreesRow{0.85408f, 1.0f, 40}, PhaseDegreesRow{1.0f, 0.85408f, 49},
                      PhaseDegreesRow{-0.85408f, 1.0f, -40},
                      // Just under one degree, just over one degree.
                      PhaseDegreesRow{0.0174f, 1.0f, 0}, PhaseDegreesRow{0.0175f, 1.0f, 1},
                      PhaseDegreesRow{-0.0175f, 1.0f, -1},
                      // Quotients that overflow to infinity, or are infinite already.
                      PhaseDegreesRow{1e30f, 1e-30f, 90}, PhaseDegreesRow{-1e30f, 1e-30f, -90},
                      PhaseDegreesRow{kMax, kTiny, 90}, PhaseDegreesRow{kInf, 1.0f, 90},
                      PhaseDegreesRow{1.0f, kInf, 0}));

// The fast path estimates the angle and falls back on the exact formula near whole
// degrees. Check it right at those boundaries: every float within a few thousand steps of
// tan(d degrees), for every d, on both sides of zero.
TEST(ComputePhasesTest, EqualsPhaseDegreesAroundEveryWholeDegree)
{
    constexpr int kStepsEachSide = 3000;
    std::vector<float> re;
    std::vector<float> im;
    for (int d = 0; d < 90; ++d) {
        const float centre = static_cast<float>(std::tan(d * std::numbers::pi / 180.0));
        float below = centre;
        float above = centre;
        for (int k = 0; k < kStepsEachSide; ++k) {
            below = std::nextafter(below, -kInf);
            above = std::nextafter(above, kInf);
            for (float q : {below, above, -below, -above}) {
                re.push_back(q);
                im.push_back(1.0f);
                // The same angle from the other side: atan(1 / q) = 90 - atan q.
                re.push_back(1.0f);
                im.push_back(q);
            }
        }
    }
    std::vector<std::int32_t> phase(re.size());
    ComputePhases(re, im, phase);
    for (std::size_t i = 0; i < re.size(); ++i)
        ASSERT_EQ(phase[i], PhaseDegrees(re[i], im[i])) << "re=" << re[i] << " im=" << im[i];
}

TEST(ComputePhasesTest, EqualsPhaseDegreesOnRandomBins)
{
    std::mt19937 engine(42);
    std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-30, 30);
    constexpr std::size_t kBins = 200000;
    std::vector<float> re(kBins), im(kBins);
    for (std::size_t i = 0; i < kBins; ++i) {
        re[i] = std::ldexp(mantissa(engine), exponent(engine));
        im[i] = i % 97 == 0 ? 0.0f : std::ldexp(mantissa(engine), exponent(engine));
    }
    std::vector<std::int32_t> phase(kBins);
    ComputePhases(re, im, phase);
    for (std::size_t i = 0; i < kBins; ++i)
        ASSERT_EQ(phase[i], PhaseDegrees(re[i], im[i])) << "re=" << re[i] << " im=" << im[i];
}

TEST(ComputePhasesTest, WritesOnlyAsManyAsTheShortestSpanHolds)
{
    const std::vector<float> re(100, 1.0f);
    const std::vector<float> im(70, 1.0f);
    std::vector<std::int32_t> phase(130, -7);
    ComputePhases(re, im, phase);
    for (std::size_t i = 0; i < phase.size(); ++i)
        ASSERT_EQ(phase[i], i < 70 ? 45 : -7) << i;
}

} // namespace
} // namespace rovana
