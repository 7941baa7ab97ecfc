#include "Phase.h"

#include "Saturate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace rovana {

namespace {

constexpr float kPi = 3.14159265358979f;

// A cheap estimate of what PhaseDegrees computes before truncating, atan(q) * 180 / pi,
// after Cephes' single-precision arc tangent: reduction to |t| <= tan(pi/8) and an odd
// polynomial of degree 9. Measured over the positive floats it stays within 2e-5
// degrees of the exact formula, fifty times inside the decision margin below. The
// reduction t = (a x + b) / (c x + d) picks only constants, never computed values, so
// that the compiler needs no branch and a loop over it vectorises. An infinite quotient
// gives NaN, which the caller hands to the exact formula.
float EstimateDegrees(float q)
{
    constexpr float kTan3PiOver8 = 2.414213562373095f;
    constexpr float kTanPiOver8 = 0.4142135623730950f;
    const float x = std::fabs(q);
    const bool steep = x > kTan3PiOver8; // atan x = pi/2 + atan(-1 / x)
    const bool middle = x > kTanPiOver8; // atan x = pi/4 + atan((x - 1) / (x + 1))
    const float base = steep ? 1.5707963267948966f : (middle ? 0.7853981633974483f : 0.0f);
    const float a = steep ? 0.0f : 1.0f;
    const float b = steep ? -1.0f : (middle ? -1.0f : 0.0f);
    const float c = steep ? 1.0f : (middle ? 1.0f : 0.0f);
    const float d = steep ? 0.0f : 1.0f;
    const float t = (a * x + b) / (c * x + d);
    const float z = t * t;
    const float poly = (((8.05374449538e-2f * z - 1.38776856032e-1f) * z + 1.99777106478e-1f) * z -
                        3.33329491539e-1f) *
                           z * t +
                       t;
    const float sign = q < 0.0f ? -1.0f : 1.0f;
    return sign * ((base + poly) * 57.29577951308232f);
}

// Whole degrees within this distance of the estimate are decided by the exact formula.
constexpr float kDecisionMargin = 1e-3f;

constexpr std::size_t kChunk = 64;

// Up to kChunk bins. The first two loops vectorise: an estimate per bin, then its whole
// degrees where the estimate is far enough from a whole number that the exact formula
// cannot truncate differently. The last loop redoes the few remaining bins exactly.
void PhaseChunk(const float* re, const float* im, std::int32_t* phase, std::size_t count)
{
    std::array<float, kChunk> estimate;
    for (std::size_t i = 0; i < count; ++i) {
        const float value = im[i];
        const float divisor = value == 0.0f ? 1.0f : value;
        estimate[i] = EstimateDegrees(re[i] / divisor);
    }
    // Flags as 0/1 integers of the same width as the floats, so the loop vectorises.
    std::array<std::int32_t, kChunk> uncertain;
    for (std::size_t i = 0; i < count; ++i) {
        const float magnitude = std::fabs(estimate[i]);
        const float bounded = magnitude < 100.0f ? magnitude : 100.0f; // NaN becomes 100
        const int whole = static_cast<int>(bounded);
        const float fraction = bounded - static_cast<float>(whole);
        const int clear = static_cast<int>(fraction > kDecisionMargin) &
                          static_cast<int>(fraction < 1.0f - kDecisionMargin);
        const int zero = static_cast<int>(im[i] == 0.0f);
        const int negated = -whole;
        const int signedWhole = estimate[i] < 0.0f ? negated : whole;
        phase[i] = zero != 0 ? 0 : signedWhole;
        uncertain[i] = (1 - clear) & (1 - zero);
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (uncertain[i] != 0)
            phase[i] = PhaseDegrees(re[i], im[i]);
    }
}

} // namespace

std::int32_t PhaseDegrees(float re, float im)
{
    if (im == 0.0f)
        return 0;
    const float quotient = re / im;
    // atan in double, rounded once to float: the angle does not depend on the accuracy
    // of the C library's float atan.
    const auto angle = static_cast<float>(std::atan(static_cast<double>(quotient)));
    return TruncClamped(angle * 180.0f / kPi, -90, 90);
}

void ComputePhases(std::span<const float> re, std::span<const float> im,
                   std::span<std::int32_t> phase)
{
    const std::size_t count = std::min({re.size(), im.size(), phase.size()});
    for (std::size_t start = 0; start < count; start += kChunk) {
        PhaseChunk(re.data() + start, im.data() + start, phase.data() + start,
                   std::min(kChunk, count - start));
    }
}

} // namespace rovana
