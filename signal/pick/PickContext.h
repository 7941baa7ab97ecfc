#pragma once

// What every part of the echo picker reads: the record correlated with the blow, with the
// blow and the echoes already explained taken off, its noise, and the time base. Each
// part (free end, reflectors, bottom, voids) finds one thing in it. Standard library only.

#include "EchoPicker.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace rovana::pick {

struct PickContext
{
    explicit PickContext(const PickInput& input) : in(input) {}

    const PickInput& in;
    std::vector<float> y; // correlation with the blow, the blow and known echoes removed
    std::vector<float> autocorrelation; // the blow's, as BlowAutocorrelation gives it
    int end = 0;                        // the blow's peak, sample
    int width = 1;                      // blow lobe, samples
    float blow = 1.0f;                  // the blow's own correlation at its peak, near 1
    float noise = 1.0f;                 // rms of y
    double perMetre = 0.0;              // samples per metre of depth (two-way)
    // The free section's reverberation as the record's own multiples show it (see
    // Reverberation.h): round trip, samples (0 while unknown), and the gain of a round trip.
    int ringDelay = 0;
    float ringGain = 0.0f;
    float ringExplained = 0.0f; // share of the record after the free end it explains
    // The record's echoes without the noise, before any was taken off: what the free
    // section repeats.
    std::vector<float> echoes;

    // The sample of an echo from `metres` below the head.
    int Depth(double metres) const
    {
        // Clamped first: a design length of any size gives a sample in range.
        return end + static_cast<int>(std::lround(std::clamp(metres * perMetre, -1e9, 1e9)));
    }
    double MetresOf(int sample) const { return (sample - end) / perMetre; }
    float Snr(int i) const { return y[static_cast<std::size_t>(i)] / noise; }
    // The size of the free section's multiple at sample i: what one round trip makes of
    // the echoes a round trip earlier; 0 without a reverberation.
    float Multiple(int i) const
    {
        const int from = i - ringDelay;
        return ringDelay > 0 && from >= 0 && from < static_cast<int>(echoes.size())
                   ? std::abs(ringGain * echoes[static_cast<std::size_t>(from)])
                   : 0.0f;
    }
};

// Confidence from a signal-to-noise ratio: 0 at 3, 1 from 12 on.
double ConfidenceOf(float snr);

// A weight in 0.15..1 for a depth against a design value: 1 at the design, 0.15 far away
// from it, the Gaussian's width `spread`. Built lengths differ from the design by up to a
// tenth. 1 without a design value (<= 0).
float PriorWeight(double depth, double design, double spread);

// Whether sign * y has a peak at i: at least its left neighbour, above its right one.
bool IsPeak(const std::vector<float>& y, int i, float sign);

// The extreme of sign * y in [from, to) (clipped to y), the first of equal ones; -1 when
// the range is empty.
int ExtremeIn(const std::vector<float>& y, int from, int to, float sign);

// An echo at `sample` (at least 1, so that a marker made of it counts as set) with the
// confidence of `snr`.
PickedEcho Echo(int sample, float snr);

} // namespace rovana::pick
