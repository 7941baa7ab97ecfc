#pragma once

// The record correlated with the blow cut from it, the blow's autocorrelation, and the
// noise of the correlation as it is smoothed: the matched filter every echo is read on.
// Standard library only.

#include "Blow.h"

#include <span>
#include <vector>

namespace rovana::pick {

// y[n] = sum_k shape[k] x[n - shapePeak + k] / sum_k shape[k]^2: the blow itself gives 1
// at its peak, an echo r times the blow gives r at the echo's peak. Samples outside the
// record count as 0.
std::vector<float> CorrelateWithBlow(std::span<const float> x, const BlowPulse& blow);

// The template's autocorrelation normalised to 1 at lag 0, lags -(size-1)..size-1; index
// size-1 is lag 0.
std::vector<float> BlowAutocorrelation(const BlowPulse& blow);

// Subtracts `amplitude` times the autocorrelation centred on sample `at` from y: removes
// an echo of known strength (the blow, the free end's reverberation) from the correlation.
void SubtractEcho(std::vector<float>& y, std::span<const float> autocorrelation, int at,
                  float amplitude);

// The rms of three passes of Smooth(y, half) for noise of rms 1 in y whose autocorrelation is
// `autocorrelation` (as BlowAutocorrelation gives it).
float SmoothedNoise(std::span<const float> autocorrelation, int half);

} // namespace rovana::pick
