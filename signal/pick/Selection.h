#pragma once

// Exact order statistics of float samples. Standard library only.

#include <cstddef>
#include <cstdint>
#include <span>

namespace rovana::pick {

// The value at index k of `values` sorted in ascending order: the largest for k past the
// end, 0 for no values. Found by radix selection over the bit patterns of the floats
// taken in their numeric order, in linear time; the answer does not depend on how the
// values are arranged. -0 counts below +0, and NaNs lie beyond the infinities on the
// side of their sign.
float KthSmallest(std::span<const float> values, std::size_t k);

// The value at index size / 2 of `values` sorted (the upper median); 0 for no values.
float MedianOf(std::span<const float> values);

// The value at index size / 2 of `counts` sorted; 0 for none. The range of the counts is
// halved until one value is left, counting eight counts at a time.
std::int16_t MedianOf(std::span<const std::int16_t> counts);

// The value at index size / 2 of |counts[i + 1] - counts[i]| sorted, for i = 0, stride,
// 2 stride, ..., the same way; 0 for fewer than two counts or a stride of 0.
int MedianStep(std::span<const std::int16_t> counts, std::size_t stride = 1);

} // namespace rovana::pick
