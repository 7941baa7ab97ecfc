#include "FreeSection.h"

#include "Baseline.h"
#include "MovingAverage.h"

#include <algorithm>
#include <cmath>

namespace rovana::pick {

namespace {

// The restored blow must be this close to a single compact lobe: a hundredth of its energy
// left over, the order of what the noise and the sensor's recovery leave in a clean blow.
constexpr float kMisfit = 0.01f;
// The free section is undone only when its echo returns well inside the blow's lobe as it
// stands: later, the lobe is the blow and the free end's echo is taken off as any other.
constexpr float kInsideBlow = 0.6f;

// How far the lobe in `b` (from `first` on, positive) is from a single compact lobe: the
// difference between its fall and its mirrored rise, and whatever follows the fall, over
// the lobe's energy. A hammer's contact pushes the head in one swell that rises and falls
// alike; an echo of the free section left in it shows as a shoulder, an opposite lobe or
// a second swell.
float Misfit(const std::vector<float>& b, int first, int reach, int tail)
{
    const int n = static_cast<int>(b.size());
    int peak = first;
    for (int i = first; i < std::min(n, first + reach); ++i) {
        if (b[static_cast<std::size_t>(i)] > b[static_cast<std::size_t>(peak)])
            peak = i;
    }
    const float top = b[static_cast<std::size_t>(peak)];
    if (top <= 0.0f)
        return 1e9f;
    int rise = peak;
    while (rise > 0 && b[static_cast<std::size_t>(rise) - 1] > 0.1f * top)
        --rise;
    const int half = peak - rise;
    double energy = 0.0, wrong = 0.0;
    for (int s = 0; s <= half; ++s) {
        const float up = b[static_cast<std::size_t>(peak - s)];
        const float down = peak + s < n ? b[static_cast<std::size_t>(peak + s)] : 0.0f;
        energy += static_cast<double>(up) * up + (s > 0 ? static_cast<double>(up) * up : 0.0);
        wrong += static_cast<double>(down - up) * (down - up);
    }
    for (int i = peak + half + 1; i < std::min(n, peak + half + 1 + tail); ++i)
        wrong +=
            static_cast<double>(b[static_cast<std::size_t>(i)]) * b[static_cast<std::size_t>(i)];
    return static_cast<float>(wrong / std::max(energy, 1e-12));
}

void Undo(std::span<const float> u, std::vector<float>& b, int from, int delay, float r)
{
    // Samples within a delay of `from` have nothing before them: the product with zero
    // stays, for its sign. The others in a loop without a branch, which vectorises.
    const int n = static_cast<int>(u.size());
    const int alone = std::min(n, from + delay);
    for (int i = from; i < alone; ++i)
        b[static_cast<std::size_t>(i)] = u[static_cast<std::size_t>(i)] - r * 0.0f;
    const float* const in = u.data();
    float* const out = b.data();
    for (int i = std::max(alone, from); i < n; ++i)
        out[i] = in[i] - r * (in[i - delay] + out[i - delay]);
}

} // namespace

std::optional<FreeSectionFit> FitFreeSection(std::span<const float> x, int first, int width,
                                             float polarity, int shortest, int longest)
{
    const int n = static_cast<int>(x.size());
    shortest = std::max(shortest, 2);
    if (first < 0 || width < 4 || longest < shortest || first + 2 * width + longest >= n)
        return std::nullopt;
    // The record from a little before the lobe, long enough for the whole blow and the
    // free section's first returns after it, lightly smoothed against the noise.
    const int pad = std::max(2, width / 4);
    const int from = std::max(0, first - pad);
    const int reach = width + longest;
    const int tail = width / 2 + longest;
    const int to = std::min(n, first + 2 * reach + tail);
    const std::vector<float> smooth =
        Smooth(x.subspan(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)),
               std::max(1, width / 16));
    std::vector<float> u(smooth.size());
    for (std::size_t i = 0; i < u.size(); ++i)
        u[i] = polarity * smooth[i];
    const int start = first - from;
    const float asItStands = Misfit(u, start, reach, tail);
    std::optional<FreeSectionFit> best;
    std::vector<float> b(u.size(), 0.0f);
    // r from -0.1 to -0.55 in steps of 0.05: every third step first, then the steps next
    // to the best of those.
    for (int delay = shortest; delay <= longest; ++delay) {
        const auto tryStep = [&](int k) {
            const float r = -0.05f * static_cast<float>(k + 1);
            Undo(u, b, 0, delay, r);
            const float misfit = Misfit(b, start, reach, tail);
            if (!best || misfit < best->misfit)
                best = FreeSectionFit{delay, r, misfit};
            return misfit;
        };
        int coarse = 2;
        float least = tryStep(2);
        for (const int k : {5, 8}) {
            const float misfit = tryStep(k);
            if (misfit < least) {
                least = misfit;
                coarse = k;
            }
        }
        for (const int k : {coarse - 1, coarse + 1}) {
            if (k >= 1 && k <= 10)
                tryStep(k);
        }
    }
    if (!best || best->misfit > kMisfit || best->misfit > 0.5f * asItStands)
        return std::nullopt;
    return best;
}

void RemoveFreeSection(std::vector<float>& x, int delay, float reflection)
{
    if (delay <= 0)
        return;
    const std::vector<float> u = x;
    std::fill(x.begin(), x.end(), 0.0f);
    Undo(u, x, 0, delay, reflection);
}

std::optional<FreeSectionFit> UndoShortFreeSection(std::vector<float>& x, BlowPulse& blow,
                                                   float& noise, double perMetre,
                                                   double designFreeLength, float minimumSnr)
{
    if (!(designFreeLength > 0.0))
        return std::nullopt;
    // A design free length of any size, +inf included, converts to a sample count in range.
    const double span = std::min(designFreeLength * perMetre, 1e9);
    const int shortest = static_cast<int>(std::floor(0.85 * span));
    const int longest = static_cast<int>(std::ceil(1.15 * span));
    const int lobeFirst = blow.first + std::max(1, blow.width / 4);
    const int inside = static_cast<int>(kInsideBlow * static_cast<float>(blow.width));
    if (shortest >= inside)
        return std::nullopt;
    std::optional<FreeSectionFit> section = FitFreeSection(x, lobeFirst, blow.width, blow.polarity,
                                                           shortest, std::min(longest, inside));
    if (!section)
        return std::nullopt;
    std::vector<float> undone = x;
    RemoveFreeSection(undone, section->delay, section->reflection);
    const float undoneNoise = std::max(SampleNoise(undone), 0.3f); // the undoing colours it
    std::optional<BlowPulse> restored = FindBlowLobe(undone, undoneNoise, minimumSnr);
    if (!restored || restored->peak < lobeFirst)
        return std::nullopt;
    x = std::move(undone);
    noise = undoneNoise;
    blow = std::move(*restored);
    return section;
}

} // namespace rovana::pick
