#include "Reverberation.h"

#include <algorithm>
#include <cmath>

namespace rovana::pick {

namespace {

constexpr int kMultiples = 6; // the window reaches to the sixth round trip
constexpr int kSearch = 1;    // samples either side of the first echo's delay
// Below this share of the window's energy the multiples are not there.
constexpr float kLeastExplained = 0.1f;

} // namespace

std::optional<ReverberationFit> FitReverberation(const PickContext& c, int delay)
{
    const int n = static_cast<int>(c.y.size());
    if (delay <= kSearch)
        return std::nullopt;
    std::optional<ReverberationFit> best;
    for (int d = delay - kSearch; d <= delay + kSearch; ++d) {
        ReverberationFit fit;
        fit.delay = d;
        fit.from = c.end + d + std::max(1, c.width / 2);
        fit.to = std::min(n, std::max(c.end + kMultiples * d + c.width, fit.from + 3 * c.width));
        if (fit.to - fit.from < 2 * c.width)
            return std::nullopt;
        // g = <y, s> / <s, s> with s the record's echoes one round trip earlier.
        double ys = 0.0, ss = 0.0, yy = 0.0;
        for (int t = fit.from; t < fit.to; ++t) {
            const double s = c.echoes[static_cast<std::size_t>(t - d)];
            const double v = c.y[static_cast<std::size_t>(t)];
            ys += v * s;
            ss += s * s;
            yy += v * v;
        }
        if (!(ss > 0.0) || !(yy > 0.0))
            continue;
        fit.gain = static_cast<float>(ys / ss);
        fit.explained = static_cast<float>(ys * ys / (ss * yy));
        if (!best || fit.explained > best->explained)
            best = fit;
    }
    // A round trip gives back less than it took and turns the sign (the grout's top
    // reflects opposite to the free head); anything else is no reverberation.
    if (!best || !(best->explained >= kLeastExplained) || !(best->gain < 0.0f) ||
        !(best->gain > -0.95f))
        return std::nullopt;
    return best;
}

} // namespace rovana::pick
