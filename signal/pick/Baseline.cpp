#include "Baseline.h"

#include "Selection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace rovana::pick {

namespace {

// The noise and the offset are read off every other pair of samples and every fourth
// sample: as steady an estimate as from all of them, at a fraction of the cost.
constexpr std::size_t kNoiseStride = 2;
constexpr std::size_t kOffsetStride = 4;

} // namespace

std::vector<float> CentredSamples(std::span<const std::int16_t> samples)
{
    std::vector<float> x(samples.begin(), samples.end());
    thread_local std::vector<std::int16_t> every;
    every.clear();
    for (std::size_t i = 0; i < samples.size(); i += kOffsetStride)
        every.push_back(samples[i]);
    // The middle count as a float is the middle of the counts as floats.
    const auto median = static_cast<float>(MedianOf(every));
    for (float& v : x)
        v -= median;
    return x;
}

float SampleNoise(std::span<const float> x)
{
    if (x.size() < 3)
        return 0.0f;
    std::vector<float> d;
    d.reserve(x.size() / kNoiseStride + 1);
    for (std::size_t i = 0; i + 1 < x.size(); i += kNoiseStride)
        d.push_back(std::abs(x[i + 1] - x[i]));
    // MAD of a difference of two independent samples: sigma * sqrt(2) * 0.6745.
    return MedianOf(d) / (0.6745f * std::sqrt(2.0f));
}

float SampleNoiseOfCounts(std::span<const std::int16_t> counts)
{
    if (counts.size() < 3)
        return 0.0f;
    return static_cast<float>(MedianStep(counts, kNoiseStride)) / (0.6745f * std::sqrt(2.0f));
}

void RemoveBaseline(std::vector<float>& x, int half, std::span<const std::int16_t> counts)
{
    // Medians of blocks of `half` samples, joined by straight lines: a pulse that fills
    // less than half a block does not move its block's median, so neither the blow nor an
    // echo leaves a dip or a hump around it, as a moving average would.
    const int n = static_cast<int>(x.size());
    const int block = std::max(4, std::min(half, n));
    const bool fromCounts = !counts.empty() && counts.size() == x.size();
    // x is the counts less one whole or half number, every value exact: the counts' first
    // less its sample gives that number back exactly, and a block's middle count less it
    // is the block's middle sample.
    const float offset = fromCounts ? static_cast<float>(counts[0]) - x[0] : 0.0f;
    std::vector<float> centre, level;
    for (int a = 0; a < n; a += block) {
        const int b = std::min(n, a + block);
        if (b - a < block / 2 && !level.empty())
            break; // a short last block joins the line of the one before
        const auto from = static_cast<std::size_t>(a), count = static_cast<std::size_t>(b - a);
        level.push_back(fromCounts
                            ? static_cast<float>(MedianOf(counts.subspan(from, count))) - offset
                            : MedianOf(std::span<const float>(x).subspan(from, count)));
        centre.push_back(0.5f * static_cast<float>(a + b - 1));
    }
    if (centre.size() == 1) {
        for (float& v : x)
            v -= level[0];
        return;
    }
    // The samples up to centre k + 1 take the line through centres k and k + 1, all past
    // the last but one centre the last line. Along a line, u rises with the sample: those
    // before its start (u < 0, only before the first centre) and past its end (u > 1, only
    // past the last) keep the level, the others between in one loop that vectorises.
    int i = 0;
    for (std::size_t k = 0; k + 1 < centre.size(); ++k) {
        int end = n;
        if (k + 2 < centre.size()) {
            // The first sample past centre k + 1, a whole or half number well inside the
            // range where floats hold every integer: one past its floor.
            const auto next = static_cast<int>(std::floor(centre[k + 1])) + 1;
            end = std::clamp(next, i, n);
        }
        const float from = centre[k], span = centre[k + 1] - centre[k];
        const float low = level[k], high = level[k + 1], rise = level[k + 1] - level[k];
        const auto along = [&](int j) { return (static_cast<float>(j) - from) / span; };
        for (; i < end && along(i) < 0.0f; ++i)
            x[static_cast<std::size_t>(i)] -= low;
        int last = end;
        for (; last > i && along(last - 1) > 1.0f; --last)
            x[static_cast<std::size_t>(last - 1)] -= high;
        for (; i < last; ++i)
            x[static_cast<std::size_t>(i)] -= low + along(i) * rise;
        i = end;
    }
}

} // namespace rovana::pick
