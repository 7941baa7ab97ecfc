#pragma once

// The signal processing chain of one channel: offset removal, a zero-phase Butterworth
// filter designed by liquid-dsp, and amplification that grows with depth. Standard
// library and liquid-dsp only: no Qt here.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace rovana::processing {

enum class FilterKind
{
    None,
    LowPass,
    HighPass,
    BandPass
};

enum class GainKind
{
    None,
    Linear,
    Exponential
};

struct ChainSettings
{
    bool enabled = false;
    FilterKind filter = FilterKind::None;
    int order = 4;                // 2..8; a band-pass has twice as many poles
    double lowHz = 0, highHz = 0; // low-pass: highHz; high-pass: lowHz; band-pass: both
    GainKind gain = GainKind::None;
    double gainAtDesign = 1.0; // 1..100, reached at the design length's two-way time
    friend bool operator==(const ChainSettings&, const ChainSettings&) = default;
};

inline constexpr int kMinOrder = 2;
inline constexpr int kMaxOrder = 8;
inline constexpr double kMinGain = 1.0;
inline constexpr double kMaxGain = 100.0;

// True when the chain changes nothing: switched off, or neither a filter nor a gain.
bool IsChainOff(const ChainSettings& settings);

// What is wrong with the settings for this sampling interval (µs), in the program's
// Chinese words, or empty. Only the parts in use are checked; a chain that is off is
// always right. Order 2..8; cut-offs above 0 and below half the sampling rate; band-pass
// low below high; gain 1..100; the sampling interval above 0. Then the filter must be one
// the order can realise at this interval (FilterDesign.h): each cut-off within its limits
// ("高通截止频率不能低于 37 Hz", "低通截止频率不能高于 49992.6 Hz") and the sections liquid-dsp
// designs finite, stable and true to the response they stand for.
std::string CheckSettings(const ChainSettings& settings, int sampleIntervalUs);

// What no sampling interval can take (the checks of CheckSettings at 1 µs, the shortest,
// less the limits that depend on the interval), or empty: for settings given before the
// files they will meet are known.
std::string CheckSettingsForAnyInterval(const ChainSettings& settings);

// What keeps the amplification from being computed ("放大需要有效的波速与设计长度"), or
// empty; only asked when the settings amplify.
std::string CheckGainBasis(const ChainSettings& settings, int waveSpeed, double designLength);

// The blow's onset in a channel's samples, the one blow finder's (pick::FindBlow, whose
// peak is the echo picker's end marker): where the blow's rise begins (FindBlowLobe). No
// blow (a silent or constant channel, noise alone, fewer than
// 32 samples) gives 0.
std::size_t BlowOnset(std::span<const std::int16_t> samples, int sampleIntervalUs);

// The chain on one channel, in this order:
//  1. the mean of the samples before the blow is subtracted from every sample (nothing when
//     the blow is sample 0);
//  2. the Butterworth filter runs forward, then backward (zero phase): the cut-off is each
//     pass's −3 dB point, so the whole is −6 dB there. Each end is extended by its odd
//     reflection (3 × (2 × sections + 1) samples, at most the record less one) and every
//     section starts in the steady state of the extension's first sample, so a constant or
//     a ramp at the edges does not ring;
//  3. from the blow on, each sample is multiplied by a gain that is 1 at the blow and
//     `gainAtDesign` at the design length's two-way time T = 2 * designLength / waveSpeed:
//     linear 1 + (G − 1) t / T, exponential G^(t / T); the law goes on past T. Samples
//     before the blow keep gain 1.
// A chain that is off returns the input exactly. Settings that CheckSettings or
// CheckGainBasis refuse leave out the part they concern (no filter, no gain): the chain
// applied is AppliedChain's, and when nothing of it is left the input comes back exactly.
// What ApplyChain does to a record of this interval, wave speed and design length: the
// settings less the parts CheckSettings or CheckGainBasis refuse, switched off when nothing
// is left. What a sheet says was applied.
ChainSettings AppliedChain(const ChainSettings& settings, int sampleIntervalUs, int waveSpeed,
                           double designLength);

std::vector<double> ApplyChain(std::span<const std::int16_t> samples, int sampleIntervalUs,
                               int waveSpeed, double designLength, const ChainSettings& settings);

// The chain's output as a display buffer holds it: truncated toward zero and limited to
// the int16 range, as the display filter does. Writes min(in, out) entries.
// Returns how many samples had to be limited to the int16 range (clipped).
int ToDisplaySamples(std::span<const double> in, std::span<std::int16_t> out);

// One line for a sheet: "信号处理: 带通 100–3000 Hz 4阶, 指数放大 ×8"; "信号处理: 无" when
// the chain is off.
std::string DescribeChain(const ChainSettings& settings);

} // namespace rovana::processing
