#include "Voids.h"

#include <algorithm>

namespace rovana::pick {

namespace {

constexpr float kDefectSnr = 6.5f;
// Echoes weaker than this share of the blow are not taken: the blow cut from the record
// is not the exact pulse, and what is left of it after subtraction is of this order.
constexpr float kDefectFloor = 0.05f;

} // namespace

std::vector<PickedDefect> FindVoids(const PickContext& s, int from, int to)
{
    std::vector<PickedDefect> defects;
    const int longest = s.width + static_cast<int>(1.6 * s.perMetre);
    for (int i = std::max(from, 1); i < to; ++i) {
        if (!IsPeak(s.y, i, 1.0f))
            continue;
        const float snr = s.Snr(i);
        if (snr < kDefectSnr || s.y[static_cast<std::size_t>(i)] < kDefectFloor)
            continue;
        const int j =
            ExtremeIn(s.y, i + std::max(1, s.width / 3), std::min(to, i + longest), -1.0f);
        if (j < 0 || -s.Snr(j) < kVoidBottomSnr)
            continue;
        defects.push_back({Echo(i, snr), Echo(j, -s.Snr(j))});
        i = j; // the next void starts below this one
    }
    return defects;
}

} // namespace rovana::pick
