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

// The transform of real samples in `re`, with the calling thread's twiddle cache: `im` is
// set to zero first and is not permuted, so the bits are those of FFT with im all zero.
SignalStatus RealFFT(std::span<float> re, std::span<float> im);

// RealFFT of `samples` followed by zeros up to N = re.size(), into re and im, the same
// bits. The stages that only spread single values over blocks of zeros are left out when
// the samples are finite and none is -0. BadSize for unequal or non-power-of-two lengths
// or more samples than N.
SignalStatus PaddedRealFFT(std::span<const float> samples, std::span<float> re,
                           std::span<float> im);

} // namespace rovana
