#pragma once

#include "SignalStatus.h"
#include "Twiddles.h"

#include <span>

namespace rovana {

// In-place forward complex transform, sign convention e^(-j 2 pi i k / N), without
// normalisation: the iterative radix-2 decimation-in-time algorithm with the bit-reversal
// permutation first. N = re.size() must equal im.size() and be a power of two. Every
// intermediate is a float, in a fixed order, so the results are reproducible to the bit.
// Returns BadSize for unequal or non-power-of-two lengths and OutOfMemory when the
// twiddle table cannot be built; the arrays are then unchanged.
SignalStatus FFT(std::span<float> re, std::span<float> im, TwiddleCache& cache);

// The same with the calling thread's twiddle cache.
SignalStatus FFT(std::span<float> re, std::span<float> im);

// The circular cross-correlation of two real signals, zero past their ends, of length
// N = out.size(): out[l] = factor * sum_k b[k] a[(k + l) mod N]. Through one complex
// transform of N points holding both and one of N/2 for the real inverse; correct to the
// transforms' rounding. BadSize for N not a power of two from 2 on or a signal longer
// than N, OutOfMemory when a twiddle table cannot be built; `out` is then unchanged.
SignalStatus CircularCorrelation(std::span<const float> a, std::span<const float> b, float factor,
                                 std::span<float> out);

} // namespace rovana
