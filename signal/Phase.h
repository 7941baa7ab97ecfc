#pragma once

#include <cstdint>
#include <span>

namespace rovana {

// The phase of one bin in whole degrees, -90..90: 0 when im is zero, otherwise
// trunc(atan(re / im) * 180 / pi). The quotient is the real part over the imaginary part,
// rounded to float; atan is evaluated in double and rounded to float, and the angle is
// then scaled in float.
std::int32_t PhaseDegrees(float re, float im);

// PhaseDegrees for every bin: phase[i] = PhaseDegrees(re[i], im[i]) for i below the
// shortest of the three lengths. Gives the same numbers, faster.
void ComputePhases(std::span<const float> re, std::span<const float> im,
                   std::span<std::int32_t> phase);

} // namespace rovana
