#include "Voids.h"

#include "Confidence.h"

#include <algorithm>
#include <cmath>

namespace rovana::pick {

namespace {

constexpr float kDefectSnr = 6.5f;
// Echoes weaker than this share of the blow are not taken: the blow cut from the record
// is not the exact pulse, and what is left of it after subtraction is of this order.
constexpr float kDefectFloor = 0.05f;
// Both edges of a void must stand this far out of the record just above its top: the
// head's ringing and what is left of the free section's multiples make lobes of their
// own, as strong as a void's where the bolt rings, and a void is reported only where its
// pair stands out of them.
constexpr float kTopContrast = 1.5f;
constexpr float kBottomContrast = 1.5f;
// The record above: this many lobe widths before the top's lobe.
constexpr int kAround = 3;

} // namespace

float Above(const PickContext& s, int top)
{
    const int n = static_cast<int>(s.y.size());
    double sum = 0.0;
    int count = 0;
    for (int k = std::max(0, top - (kAround + 1) * s.width); k < std::min(n, top - s.width + 1);
         ++k) {
        sum += static_cast<double>(s.y[static_cast<std::size_t>(k)]) *
               s.y[static_cast<std::size_t>(k)];
        ++count;
    }
    return count == 0 ? 0.0f : static_cast<float>(std::sqrt(sum / count));
}

std::vector<VoidFound> FindVoids(const PickContext& s, int from, int to)
{
    std::vector<VoidFound> defects;
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
        const float around = std::max(Above(s, i), s.noise);
        if (s.y[static_cast<std::size_t>(i)] < kTopContrast * around ||
            -s.y[static_cast<std::size_t>(j)] < kBottomContrast * around)
            continue;
        VoidFound found;
        found.defect = {Echo(i, snr), Echo(j, -s.Snr(j))};
        Evidence& e = found.evidence;
        e[0] = 1.0f;
        e[1] = LogRatio(snr);
        e[2] = LogRatio(-s.Snr(j));
        e[3] = LogRatio(s.y[static_cast<std::size_t>(i)] / around);
        e[4] = LogRatio(-s.y[static_cast<std::size_t>(j)] / around);
        e[5] = LogRatio(s.y[static_cast<std::size_t>(i)] / (s.Multiple(i) + s.noise));
        e[6] = LogRatio(static_cast<double>(j - i) / std::max(1, s.width));
        defects.push_back(found);
        i = j; // the next void starts below this one
    }
    return defects;
}

} // namespace rovana::pick
