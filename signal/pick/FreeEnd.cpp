#include "FreeEnd.h"

#include "Correlation.h"
#include "Reflectors.h"
#include "Reverberation.h"

#include <algorithm>
#include <cmath>

namespace rovana::pick {

namespace {

constexpr float kFreeEndSnr = 4.5f; // matched-filter output against its noise
// Echoes weaker than this share of the blow are not taken: the blow cut from the record
// is not the exact pulse, and what is left of it after subtraction is of this order.
constexpr float kFreeEndFloor = 0.05f;

struct Found
{
    int at = -1;
    float score = 0.0f;
    float next = 0.0f; // the best score of an opposite echo elsewhere
};

Found FindFreeEnd(const PickContext& s)
{
    const double design = s.in.designFreeLength;
    const int from = std::max(s.end + s.width / 2, design > 0 ? s.Depth(0.5 * design) : 0);
    const int to = design > 0 ? s.Depth(1.6 * design + 0.1) : s.Depth(2.0);
    Found found;
    for (int i = std::max(from, 1); i < std::min(to, static_cast<int>(s.y.size())); ++i) {
        if (!IsPeak(s.y, i, -1.0f))
            continue;
        const float snr = -s.Snr(i);
        if (snr < kFreeEndSnr || -s.y[static_cast<std::size_t>(i)] < kFreeEndFloor)
            continue;
        if (!(snr > found.next))
            continue; // the prior weight, at most 1, cannot lift it past the second
        const float score = snr * PriorWeight(s.MetresOf(i), design, 0.15 * design + 0.05);
        if (score > found.score) {
            if (found.at < 0 || i - found.at > s.width / 2)
                found.next = found.score;
            found.score = score;
            found.at = i;
        } else if (score > found.next && i - found.at > s.width / 2) {
            found.next = score;
        }
    }
    return found;
}

} // namespace

FreeEndPick PickFreeEnd(PickContext& s, const std::optional<FreeSectionFit>& section)
{
    FreeEndPick pick;
    pick.after = s.end + s.width;
    const double design = s.in.designFreeLength;
    float margin = 1.0f;
    if (section) {
        // The free section is already taken off: its echo stands where the fit put it.
        pick.echo = Echo(s.end + section->delay, -2.0f * section->reflection * s.blow / s.noise);
    } else if (const Found found = FindFreeEnd(s); found.at >= 0) {
        const int at = found.at;
        pick.echo = Echo(at, -s.Snr(at));
        margin = found.score / std::max(found.next, kFreeEndSnr);
        // The reverberation as the record's multiples show it, then the first echo and
        // its multiples taken off.
        std::vector<float> first = s.y;
        SubtractEcho(s.y, s.autocorrelation, at, s.y[static_cast<std::size_t>(at)]);
        if (const auto fit = FitReverberation(s, at - s.end)) {
            s.ringDelay = fit->delay;
            s.ringGain = fit->gain;
            s.ringExplained = fit->explained;
        }
        s.y = std::move(first);
        RemoveReflector(s, s.echoes, at, false);
    }
    if (!pick.echo)
        return pick;
    pick.after = std::max(pick.after, pick.echo->sample + s.width / 2);
    const double metres = s.MetresOf(pick.echo->sample);
    Evidence& e = pick.evidence;
    e[0] = 1.0f;
    // A strong echo is the free end wherever it lies; a weak one far from the design may
    // be something else: the distance counts less the clearer the echo.
    const double snr = std::min(pick.echo->snr, 100.0);
    e[1] = LogRatio(snr);
    e[2] = design > 0 ? static_cast<float>(std::abs(metres - design) / (0.15 * design + 0.05) *
                                           std::min(1.0, 10.0 / snr))
                      : 0.0f;
    e[3] = section ? 1.0f : 0.0f;
    e[4] = s.ringExplained;
    e[5] = LogRatio(static_cast<double>(pick.echo->sample - s.end) / std::max(1, s.width));
    e[6] = LogRatio(margin);
    e[7] = design > 0 ? 1.0f : 0.0f;
    return pick;
}

} // namespace rovana::pick
