#pragma once

// The largest magnitude in a run of samples, four lanes at a time. Standard library only.

#include <span>

namespace rovana::pick {

// The largest |v| over `values`, NaNs left out; 0 for none. The same float as
// std::max(top, std::abs(v)) taken over the values in order from top = 0: magnitudes are
// never below +0, so their largest does not depend on the order they are compared in.
float LargestMagnitude(std::span<const float> values);

} // namespace rovana::pick
