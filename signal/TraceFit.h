#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace rovana {

// The full-scale amplitude of a trace (the sample value drawn at the top of its
// half-height) at which the largest magnitude of `shown` from sample `from` on fills
// 90 % of the half-height: ceil(max |x| / 0.9), at least 1 (a silent trace). The
// samples before `from` (the noise before the blow) do not count.
int FittedAmplitude(std::span<const std::int16_t> shown, std::size_t from);

} // namespace rovana
