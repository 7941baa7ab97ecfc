#pragma once

// The blow: the first lobe of the record that stands out of the noise, cut from the record
// as the template every echo is correlated with. Standard library only.

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

// The blow: the first lobe that reaches 30 % of the record's largest excursion and stands
// out of the noise (`noise` per sample), found on a lightly smoothed copy. None when it
// does not stand out of the noise: its peak times the root of half its width under
// `minimumSnr` times the noise per sample, under 4 counts, or a lobe over a quarter of
// the record long.
std::optional<BlowPulse> FindBlow(std::span<const float> x, float noise, float minimumSnr);

} // namespace rovana::pick
