#pragma once

// Centred moving averages drawn from running sums, the smoothing of the echo picker.
// Standard library only.

#include <span>
#include <vector>

namespace rovana::pick {

// Running sums of x in double, sum[i] = x[0] + ... + x[i-1], into `sum` (resized to
// x.size() + 1): 2048 samples of full scale would lose the lowest bits in float.
void RunningSums(std::span<const float> x, std::vector<double>& sum);

// Samples from .. to - 1 of Smooth(x, half) into out[0 .. to - from), from the running
// sums of x; 0 <= from <= to <= x.size() and out holds at least to - from values.
void SmoothFromSums(std::span<const double> sum, int half, int from, int to, std::span<float> out);

// The largest magnitude in Smooth(x, half), from the running sums of finite samples x; 0
// for none.
float LargestAverage(std::span<const double> sum, int half);

// Centred moving average over 2 * half + 1 samples, shorter at the ends.
std::vector<float> Smooth(std::span<const float> x, int half);

// Three passes of Smooth with halfA into outA, and with halfB into outB (both resized to
// y.size()); three passes come close to a Gaussian. An echo that the grout has broadened
// correlates better with the blow smoothed so; smoothing the correlation does the same.
// The first running sums are shared, and the later ones of the two smoothings are added
// up side by side: each sum is a chain of dependent additions, and two chains run in
// about the time of one.
void SmoothThriceTwice(std::span<const float> y, int halfA, int halfB, std::vector<float>& outA,
                       std::vector<float>& outB);

} // namespace rovana::pick
