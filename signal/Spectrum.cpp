#include "Spectrum.h"

#include "FFT.h"
#include "Phase.h"
#include "Saturate.h"
#include "TransformSize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace rovana {

namespace {

// A count of at most 2048 samples never needs more than 2048 points.
constexpr std::size_t kMaxPoints = 2048;

struct Workspace
{
    std::array<float, kMaxPoints> re; // zeroed per call up to the transform size
    std::array<float, kMaxPoints> im;
};

// Samples into the real part, zero-padded; returns the amplitude scale.
float LoadSamples(std::span<float> re, std::span<float> im, std::span<const std::int16_t> samples,
                  int sampleCount)
{
    const auto n = static_cast<std::size_t>(sampleCount);
    const std::size_t used = std::min(n, re.size());
    std::fill(re.begin(), re.end(), 0.0f);
    std::fill(im.begin(), im.end(), 0.0f);
    for (std::size_t i = 0; i < used; ++i)
        re[i] = samples[i];
    const float denominator = n < re.size() ? static_cast<float>(n) : static_cast<float>(re.size());
    return 2.0f / denominator;
}

// Amplitudes into re[0..N/2]; the mirror bins k and N - k are folded together.
void FoldAmplitudes(std::span<float> re, std::span<const float> im, float scale)
{
    const std::size_t n = re.size();
    const std::size_t half = n / 2;
    re[0] = scale * std::sqrt(re[0] * re[0] + im[0] * im[0]);
    for (std::size_t k = 1; k < half; ++k) {
        const std::size_t m = n - k;
        re[k] = scale * std::sqrt(re[k] * re[k] + im[k] * im[k] + re[m] * re[m] + im[m] * im[m]);
    }
    re[half] = scale * std::sqrt(re[half] * re[half] + im[half] * im[half]);
}

// Index of the first largest amplitude in bins 0..N/2-1.
std::size_t PeakIndex(std::span<const float> amplitude, float& peak)
{
    std::size_t index = 0;
    peak = std::fabs(amplitude[0]);
    for (std::size_t k = 1; k < amplitude.size() / 2; ++k) {
        if (amplitude[k] > peak) {
            peak = amplitude[k];
            index = k;
        }
    }
    return index;
}

void WriteDisplayForm(std::span<std::int16_t> spectrum, std::span<const float> amplitude,
                      float peak, int sampleCount)
{
    const std::size_t n = static_cast<std::size_t>(sampleCount);
    const std::size_t points = amplitude.size();
    const std::size_t half = points / 2;
    const float unit = (peak == 0.0f ? 1.0f : peak) / 65535.0f;
    for (std::size_t k = 0; k < half; ++k) {
        // t runs from -32767 at zero amplitude to 32768 at the peak; -t fits 16 bits.
        const int t = TruncClamped(amplitude[k] / unit - 32767.0f, -32767, 32768);
        spectrum[k] = static_cast<std::int16_t>(-t);
    }
    std::fill(spectrum.begin() + static_cast<std::ptrdiff_t>(half),
              spectrum.begin() + static_cast<std::ptrdiff_t>(points), spectrum[half - 1]);
    for (std::size_t i = 0; i < n; ++i)
        spectrum[i] = static_cast<std::int16_t>(-(spectrum[i] / 2));
    spectrum[n - 1] = spectrum[n - 2];
}

} // namespace

SpectrumResult ComputeSpectrum(std::span<std::int16_t> spectrum, std::span<std::int32_t> phase,
                               float sampleIntervalUs, int sampleCount, TwiddleCache& cache)
{
    SpectrumResult result;
    if (sampleCount < kMinSpectrumSamples || sampleCount > kMaxSpectrumSamples) {
        result.status = SignalStatus::Skipped;
        return result;
    }
    const int points = TransformSize(sampleCount);
    const auto count = static_cast<std::size_t>(points);
    if (count > kMaxPoints ||
        spectrum.size() < std::max(count, static_cast<std::size_t>(sampleCount)) ||
        phase.size() < count) {
        result.status = SignalStatus::BadSize;
        return result;
    }

    Workspace work;
    const std::span<float> re(work.re.data(), count);
    const std::span<float> im(work.im.data(), count);
    const float scale = LoadSamples(re, im, spectrum, sampleCount);
    const SignalStatus status = FFT(re, im, cache);
    if (status != SignalStatus::Ok) {
        result.status = status;
        return result;
    }

    ComputePhases(re, im, phase);
    FoldAmplitudes(re, im, scale);
    float peak = 0.0f;
    const std::size_t peakIndex = PeakIndex(re, peak);
    WriteDisplayForm(spectrum, re, peak, sampleCount);

    result.transformSize = points;
    if (sampleIntervalUs > 0.0f) {
        result.binWidth = (1000000.0f / static_cast<float>(points)) / sampleIntervalUs;
        result.peakFrequency = result.binWidth * static_cast<float>(peakIndex);
    }
    return result;
}

SpectrumResult ComputeSpectrum(std::span<std::int16_t> spectrum, std::span<std::int32_t> phase,
                               float sampleIntervalUs, int sampleCount)
{
    return ComputeSpectrum(spectrum, phase, sampleIntervalUs, sampleCount, ThreadTwiddleCache());
}

} // namespace rovana
