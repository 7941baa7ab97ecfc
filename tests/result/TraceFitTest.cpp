// The fitted amplitude of a trace: its largest excursion from the blow on at 90 %.
#include "TraceFit.h"

#include <gtest/gtest.h>

#include <vector>

namespace rovana {
namespace {

TEST(TraceFit, TheLargestExcursionFromTheBlowOnFillsNinetyPercent)
{
    const struct
    {
        int peak;      // the largest magnitude after the blow
        int before;    // a larger one before the blow, which must not count
        int amplitude; // ceil(peak / 0.9)
    } rows[] = {
        {1000, 0, 1112},       // 1111.1 up
        {900, 30000, 1000},    // exactly 1000: no rounding up
        {30000, 0, 33334},     // 33333.3 up
        {-32768, 0, 36409},    // full negative scale
        {32767, 32767, 36408}, // full positive scale
        {0, 500, 1},           // silent after the blow
    };
    for (const auto& r : rows) {
        std::vector<std::int16_t> shown(1024, 0);
        shown[10] = static_cast<std::int16_t>(r.before);
        shown[40] = static_cast<std::int16_t>(r.peak / 2);
        shown[700] = static_cast<std::int16_t>(r.peak);
        EXPECT_EQ(FittedAmplitude(shown, 20), r.amplitude) << r.peak;
        // The drawn excursion: 90 % of the half-height, never more.
        EXPECT_LE(std::abs(r.peak), r.amplitude) << r.peak;
    }
    EXPECT_EQ(FittedAmplitude({}, 0), 1);
    EXPECT_EQ(FittedAmplitude(std::vector<std::int16_t>(4, 100), 9), 1); // blow past the end
}

} // namespace
} // namespace rovana
