#include "Phase.h"

#include "Saturate.h"

#include <cmath>

namespace rovana {

namespace {

constexpr float kPi = 3.14159265358979f;

} // namespace

std::int32_t PhaseDegrees(float re, float im)
{
    if (im == 0.0f)
        return 0;
    const float quotient = re / im;
    // atan in double, rounded once: the correctly rounded angle on every C library.
    const auto angle = static_cast<float>(std::atan(static_cast<double>(quotient)));
    return TruncClamped(angle * 180.0f / kPi, -90, 90);
}

} // namespace rovana
