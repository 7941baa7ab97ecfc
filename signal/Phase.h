#pragma once

#include <cstdint>

namespace rovana {

// The phase of one bin in whole degrees, -90..90: 0 when im is zero, otherwise
// trunc(atan(re / im) * 180 / pi). The quotient is the real part over the imaginary part,
// rounded to float; the angle is then scaled in float.
std::int32_t PhaseDegrees(float re, float im);

} // namespace rovana
