// The echo picker with the design lengths a damaged file carries: infinite, beyond any
// float, NaN. Depths are computed from them in double and limited before they become
// sample numbers, so no conversion or sum overflows (run under the sanitizer build); the
// prior that nothing can meet finds no marker past the blow, and never one outside the
// record.
#include "EchoPicker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace rovana::pick {
namespace {

// A blow at sample 100, the free end's echo opposite 40 samples later and the bottom's
// like it at 400: 10 µs, 4000 m/s, 50 samples per metre of depth.
std::vector<std::int16_t> Bolt()
{
    std::vector<std::int16_t> x(1024, 0);
    const auto pulse = [&x](int peak, double amplitude) {
        for (int k = 0; k <= 20; ++k)
            x[static_cast<std::size_t>(peak - 10 + k)] += static_cast<std::int16_t>(
                std::lround(amplitude * std::sin(std::numbers::pi * k / 20.0)));
    };
    pulse(100, 10000);
    pulse(140, -2500);
    pulse(500, 1500);
    return x;
}

TEST(PickHostilePriorsTest, DesignLengthsNoInstrumentWritesGiveNoMarkerOutsideTheRecord)
{
    const std::vector<std::int16_t> x = Bolt();
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {
        inf, 3e38, 1.7e308, 1e15, 2147483647.0, -inf, std::numeric_limits<double>::quiet_NaN()};
    for (const double free : values) {
        for (const double length : values) {
            SCOPED_TRACE(std::to_string(free) + " / " + std::to_string(length));
            const PickResult r = PickEchoes({x, 10, 4000, length, free});
            ASSERT_TRUE(r.end);
            EXPECT_EQ(r.end->sample, 100);
            for (const auto& echo : {r.freeEnd, r.bottom}) {
                if (echo) {
                    EXPECT_GT(echo->sample, r.end->sample);
                    EXPECT_LT(echo->sample, static_cast<int>(x.size()));
                }
            }
            // A free length past the record keeps every free-end candidate out.
            if (free > 1e3) {
                EXPECT_FALSE(r.freeEnd);
            }
        }
    }
}

} // namespace
} // namespace rovana::pick
