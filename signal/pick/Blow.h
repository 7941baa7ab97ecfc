#pragma once

// The blow: the first lobe of the record that stands out of the noise, cut from the record
// as the template every echo is correlated with. The one place a blow is found: the echo
// picker's end marker is its peak, the processing chain's offset window ends and its gain
// starts at its onset, and a reference bolt is aligned on its onset. Standard library
// only.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace rovana::pick {

// The blow's first lobe as it stands in the record.
struct BlowPulse
{
    int peak = 0;       // sample of the lobe's extreme (after light smoothing)
    int onset = 0;      // where the rise begins: see FindBlowLobe
    int first = 0;      // first sample of the template
    int width = 0;      // samples of the lobe above a tenth of its peak
    float polarity = 1; // +1 or -1
    float snr = 0;      // the lobe's peak times the root of half its width, over the noise
    // The template: the lobe with a little margin, sign included, so that correlating it
    // with an echo of the same polarity gives a positive value.
    std::vector<float> shape;
    int shapePeak = 0; // index of `peak` in `shape`
    int box = 1;       // half the moving average that matched the blow best
};

// The record as the blow was found in it.
struct RecordBlow
{
    std::vector<float> x; // the samples less their median and a slow baseline
    float noise = 0.0f;   // per sample, at least the rounding's 0.3 counts
    BlowPulse blow;
};

// The blow of a channel's samples (`sampleIntervalUs` sets the baseline's window): the
// first lobe of FindBlowLobe in the samples less their median, found again once a slow
// baseline (RemoveBaseline) is taken off, with the noise of SampleNoiseOfCounts. None for
// fewer than 32 samples or when no lobe stands out of the noise (a silent or constant
// channel, noise alone).
std::optional<RecordBlow> FindBlow(std::span<const std::int16_t> samples, int sampleIntervalUs);

// The blow's lobe in x: the first lobe that reaches 30 % of the record's largest excursion
// and stands out of the noise (`noise` per sample), found on a lightly smoothed copy. None
// when it does not stand out of the noise: its peak times the root of half its width
// under `minimumSnr` times the noise per sample, under 4 counts, or a lobe over a quarter
// of the record long. The onset is where the line through the rise's quarter and half
// heights (on the record averaged over an eighth of the lobe) reaches zero. With a
// `boxHint` (a BlowPulse's box), only boxes within a factor 2 of it are tried.
std::optional<BlowPulse> FindBlowLobe(std::span<const float> x, float noise, float minimumSnr,
                                      int boxHint = 0);

// FindBlowLobe's least signal-to-noise ratio for a blow.
inline constexpr float kBlowSnr = 6.0f;

} // namespace rovana::pick
