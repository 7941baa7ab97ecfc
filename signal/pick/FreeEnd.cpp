#include "FreeEnd.h"

#include "Reflectors.h"

#include <algorithm>

namespace rovana::pick {

namespace {

constexpr float kFreeEndSnr = 4.5f; // matched-filter output against its noise
// Echoes weaker than this share of the blow are not taken: the blow cut from the record
// is not the exact pulse, and what is left of it after subtraction is of this order.
constexpr float kFreeEndFloor = 0.05f;

std::optional<PickedEcho> FindFreeEnd(const PickContext& s)
{
    const double design = s.in.designFreeLength;
    const int from = std::max(s.end + s.width / 2, design > 0 ? s.Depth(0.5 * design) : 0);
    const int to = design > 0 ? s.Depth(1.6 * design + 0.1) : s.Depth(2.0);
    int best = -1;
    float bestScore = 0.0f;
    for (int i = std::max(from, 1); i < std::min(to, static_cast<int>(s.y.size())); ++i) {
        if (!IsPeak(s.y, i, -1.0f))
            continue;
        const float snr = -s.Snr(i);
        if (snr < kFreeEndSnr || -s.y[static_cast<std::size_t>(i)] < kFreeEndFloor)
            continue;
        if (!(snr > bestScore))
            continue; // the prior weight, at most 1, cannot lift it past the best
        const float score = snr * PriorWeight(s.MetresOf(i), design, 0.15 * design + 0.05);
        if (score > bestScore) {
            bestScore = score;
            best = i;
        }
    }
    if (best < 0)
        return std::nullopt;
    return Echo(best, -s.Snr(best));
}

} // namespace

FreeEndPick PickFreeEnd(PickContext& s, const std::optional<FreeSectionFit>& section,
                        const std::vector<float>& echoes)
{
    FreeEndPick pick;
    pick.after = s.end + s.width;
    if (section) {
        // The free section is already taken off: its echo stands where the fit put it.
        pick.echo = Echo(s.end + section->delay, -2.0f * section->reflection * s.blow / s.noise);
    } else if ((pick.echo = FindFreeEnd(s))) {
        RemoveReflector(s, echoes, pick.echo->sample, false);
    }
    if (pick.echo)
        pick.after = std::max(pick.after, pick.echo->sample + s.width / 2);
    return pick;
}

} // namespace rovana::pick
