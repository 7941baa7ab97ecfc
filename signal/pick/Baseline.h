#pragma once

// The record's offset, the noise per sample and the slow baseline under the echoes:
// what the echo picker takes off a record before it looks for the blow. Standard library
// only.

#include <cstdint>
#include <span>
#include <vector>

namespace rovana::pick {

// The samples less the median of every fourth one, as floats.
std::vector<float> CentredSamples(std::span<const std::int16_t> samples);

// Rms of the white part of the noise per sample: the median absolute difference within
// every other pair of samples (x[1] - x[0], x[3] - x[2], ...), scaled for a Gaussian;
// echoes and slow drift barely move it.
float SampleNoise(std::span<const float> x);

// SampleNoise of the counts as floats, or of CentredSamples(counts): a constant taken off
// every sample leaves their differences, whole numbers, exactly as they were.
float SampleNoiseOfCounts(std::span<const std::int16_t> counts);

// Subtracts a slow baseline (drift, mains hum, the sensor's recovery from the blow) drawn
// through the medians of blocks of `half` samples; pulses shorter than half a block stay
// as they are. With the `counts` that x is CentredSamples of, the medians are taken from
// the counts, 16 bits at a time: the same floats, found faster.
void RemoveBaseline(std::vector<float>& x, int half, std::span<const std::int16_t> counts = {});

} // namespace rovana::pick
