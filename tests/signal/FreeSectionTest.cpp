// A free section whose round trip is shorter than the blow: the record's start is the blow
// times (1 + r D) / (1 - r D); the fit finds tau and r, and undoing them gives the blow back.
#include "FreeSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace rovana::pick {
namespace {

TEST(FreeSection, FindsAnEchoInsideTheBlowAndGivesTheBlowBack)
{
    constexpr int kStart = 60, kWidth = 120, kDelay = 45;
    constexpr float kReflection = -0.35f;
    std::vector<float> blow(1024, 0.0f);
    for (int i = 0; i <= kWidth; ++i)
        blow[kStart + i] = 1000.0f * static_cast<float>(std::sin(std::numbers::pi * i / kWidth));
    // head = blow + 2 sum_k r^k blow(t - k tau)
    std::vector<float> x = blow;
    float gain = 2.0f;
    for (int k = 1; k * kDelay < 1024; ++k) {
        gain *= kReflection;
        for (int i = k * kDelay; i < 1024; ++i)
            x[i] += gain * blow[i - k * kDelay];
    }
    // The lobe as it stands is cut short by the opposite echo.
    int first = kStart;
    while (x[first] < 100.0f)
        ++first;
    int last = first;
    while (x[last + 1] >= 100.0f)
        ++last;
    ASSERT_LT(last - first, kWidth - 30);

    const auto fit = FitFreeSection(x, first, last - first, 1.0f, 38, 52);
    ASSERT_TRUE(fit.has_value());
    EXPECT_EQ(fit->delay, kDelay);
    EXPECT_NEAR(fit->reflection, kReflection, 0.026f);
    RemoveFreeSection(x, fit->delay, fit->reflection);
    const int peak = static_cast<int>(std::max_element(x.begin(), x.end()) - x.begin());
    EXPECT_NEAR(peak, kStart + kWidth / 2, 1);
}

} // namespace
} // namespace rovana::pick
