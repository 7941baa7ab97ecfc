#pragma once

#include <array>
#include <optional>

namespace rovana {

// The length rule: metres between sample positions a and b of a record sampled every
// `sampleIntervalUs` µs at a wave speed of `waveSpeed` m/s, the echo travelling down and
// back: L = float(float(dt / 1e6) * (a - b) * v * 0.5), the product taken in double (with
// float steps 200 samples at 10 µs and 3500 m/s would give 3.4999998, not 3.5). Every
// length the program shows, saves or prints is this one; a free length is then cut to
// centimetres.
float MarkerLength(int a, int b, int sampleIntervalUs, int waveSpeed);

// trunc(x * 100) / 100, the product taken in double: 0.69999999f gives 0.69.
float TruncToCentimetres(float metres);

// A channel's lengths from its end, free-end and bottom positions (sample indices; none
// for a marker that is not set).
struct ChannelLengths
{
    float total = 0.0f;           // L, bottom to end, uncut
    std::optional<float> free;    // L0, free end to end, cut to centimetres
    float anchored = 0.0f;        // Lr = L - L0 (L without a free end)
    friend bool operator==(const ChannelLengths&, const ChannelLengths&) = default;
};

// The lengths of a channel with the end and bottom set; none without either.
std::optional<ChannelLengths> LengthsOf(std::optional<int> end, std::optional<int> freeEnd,
                                        std::optional<int> bottom, int sampleIntervalUs,
                                        int waveSpeed);

// The inverse of the length rule for the bottom: the wave speed, in m/s and not rounded,
// at which `samples` samples of `sampleIntervalUs` µs measure `length` metres. None
// without a positive span of time or a positive finite length.
std::optional<double> SpeedForLength(int samples, int sampleIntervalUs, double length);

} // namespace rovana
