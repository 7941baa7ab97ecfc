#pragma once

#include "SignalStatus.h"
#include "Twiddles.h"

#include <cstdint>
#include <span>

namespace rovana {

inline constexpr int kSpectrumLength = 2048; // entries of a channel's spectrum buffer
inline constexpr int kPhaseLength = 2048;    // entries of a channel's phase array
inline constexpr int kMinSpectrumSamples = 2;
inline constexpr int kMaxSpectrumSamples = 2048;

struct SpectrumResult
{
    SignalStatus status = SignalStatus::Ok;
    int transformSize = 0;      // N; 0 when nothing was computed
    float peakFrequency = 0.0f; // Hz: binWidth times the index of the largest amplitude
    float binWidth = 0.0f;      // Hz: (1 000 000 / N) / sampling interval in µs

    friend bool operator==(const SpectrumResult&, const SpectrumResult&) = default;
};

// Turns a channel's samples into the display form of its amplitude spectrum and into a
// phase per bin, with N = TransformSize(n) points.
//
// On entry `spectrum` holds the channel's samples, the first `sampleCount` (n) of them
// valid; the transform reads min(n, N) of them, zero-padded to N and scaled by 2 / n when
// n < N, else by 2 / N. With m = (largest amplitude of bins 0..N/2-1) / 65535, entry k of
// 0..N/2-1 first becomes -t with t = trunc(amplitude[k] / m - 32767), and entries N/2..N-1
// repeat entry N/2-1. Then every entry below n becomes -(entry / 2): trunc(t / 2), from
// -16383 at zero amplitude to 16384 at the peak. Entry n-1 finally takes the value of
// entry n-2. So for n < N the entries n..N-1 keep -t, and for n > N the raw samples in
// N..n-1 are halved and negated too. `phase` receives N angles (see PhaseDegrees).
//
// A sample count outside 2..2048 gives Skipped, a spectrum buffer shorter than max(n, N)
// or a phase array shorter than N gives BadSize, a failed twiddle allocation gives
// OutOfMemory; each leaves both buffers as they were. A sampling interval that is not
// above zero has no frequency axis: spectrum and phase are computed, but bin width and
// peak frequency are 0.
SpectrumResult ComputeSpectrum(std::span<std::int16_t> spectrum, std::span<std::int32_t> phase,
                               float sampleIntervalUs, int sampleCount, TwiddleCache& cache);

// The same with the calling thread's twiddle cache.
SpectrumResult ComputeSpectrum(std::span<std::int16_t> spectrum, std::span<std::int32_t> phase,
                               float sampleIntervalUs, int sampleCount);

} // namespace rovana
