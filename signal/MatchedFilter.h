#pragma once

// The blow cut from a record and the record correlated with it: the building blocks of
// the echo picker. Standard library only.

#include "MovingAverage.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace rovana::pick {

// The blow's first lobe as it stands in the record.
struct BlowPulse
{
    int peak = 0;       // sample of the lobe's extreme (after light smoothing)
    int first = 0;      // first sample of the template
    int width = 0;      // samples of the lobe above a tenth of its peak
    float polarity = 1; // +1 or -1
    float snr = 0;      // the lobe's peak times the root of half its width, over the noise
    // The template: the lobe with a little margin, sign included, so that correlating it
    // with an echo of the same polarity gives a positive value.
    std::vector<float> shape;
    int shapePeak = 0; // index of `peak` in `shape`
};

// The samples less their median, as floats.
std::vector<float> CentredSamples(std::span<const std::int16_t> samples);

// Rms of the white part of the noise per sample: the median absolute first difference,
// scaled for a Gaussian; echoes and slow drift barely move it.
float SampleNoise(std::span<const float> x);

// SampleNoise of the counts as floats, or of CentredSamples(counts): a constant taken off
// every sample leaves their differences, whole numbers, exactly as they were.
float SampleNoiseOfCounts(std::span<const std::int16_t> counts);

// The blow: the first lobe that reaches 30 % of the record's largest excursion and stands
// out of the noise (`noise` per sample), found on a lightly smoothed copy. None when it
// does not stand out of the noise: its peak times the root of half its width under
// `minimumSnr` times the noise per sample, under 4 counts, or a lobe over a quarter of
// the record long.
std::optional<BlowPulse> FindBlow(std::span<const float> x, float noise, float minimumSnr);

// Subtracts a slow baseline (drift, mains hum, the sensor's recovery from the blow) drawn
// through the medians of blocks of `half` samples; pulses shorter than half a block stay
// as they are. With the `counts` that x is CentredSamples of, the medians are taken from
// the counts, 16 bits at a time: the same floats, found faster.
void RemoveBaseline(std::vector<float>& x, int half, std::span<const std::int16_t> counts = {});

// The rms of three passes of Smooth(y, half) for noise of rms 1 in y whose autocorrelation is
// `autocorrelation` (as BlowAutocorrelation gives it).
float SmoothedNoise(std::span<const float> autocorrelation, int half);

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

} // namespace rovana::pick
