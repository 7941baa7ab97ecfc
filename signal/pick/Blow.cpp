#include "Blow.h"

#include "Baseline.h"
#include "MovingAverage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace rovana::pick {

namespace {

constexpr int kMinimumSamples = 32;
constexpr float kOnsetSnr = 5.0f; // the blow's onset over the noise of the smoothed record

struct Lobe
{
    int first = 0, peak = 0, last = 0; // last is one past the lobe
    float polarity = 1.0f;
    float amplitude = 0.0f;
};

// A moving average of the record, worked out only as far as it is read: the blow stands
// near the record's start, and what follows it is never looked at. Each value is the one
// SmoothFromSums gives for the whole record.
class PartialAverage
{
public:
    PartialAverage(std::span<const double> sum, int half, std::vector<float>& out)
        : m_sum(sum), m_half(half), m_out(out), m_size(static_cast<int>(sum.size()) - 1)
    {
        m_out.resize(static_cast<std::size_t>(m_size));
    }
    int size() const { return m_size; }
    float operator[](int i)
    {
        if (i >= m_done) {
            const int to = std::min(m_size, std::max(i + 1, m_done + kChunk));
            SmoothFromSums(m_sum, m_half, m_done, to,
                           std::span<float>(m_out).subspan(static_cast<std::size_t>(m_done)));
            m_done = to;
        }
        return m_out[static_cast<std::size_t>(i)];
    }

private:
    static constexpr int kChunk = 128;
    std::span<const double> m_sum;
    int m_half;
    std::vector<float>& m_out;
    int m_size;
    int m_done = 0;
};

// The first lobe of `s` reaching 30 % of its largest excursion `top` and `floor`, a level
// that the noise before the blow does not reach.
Lobe FirstLobe(PartialAverage& s, float top, float floor)
{
    const int n = s.size();
    Lobe lobe;
    int onset = 0;
    const float level = std::min(std::max(0.3f * top, floor), top);
    while (onset < n && std::abs(s[onset]) < level)
        ++onset;
    onset = std::min(onset, n - 1);
    lobe.polarity = s[onset] < 0.0f ? -1.0f : 1.0f;
    const auto at = [&](int i) { return lobe.polarity * s[i]; };
    lobe.last = onset;
    while (lobe.last < n && at(lobe.last) > 0.1f * top)
        ++lobe.last;
    lobe.peak = onset;
    for (int i = onset; i < lobe.last; ++i) {
        if (at(i) > at(lobe.peak))
            lobe.peak = i;
    }
    lobe.first = onset;
    while (lobe.first > 0 && at(lobe.first - 1) > 0.05f * top)
        --lobe.first;
    lobe.amplitude = at(lobe.peak);
    return lobe;
}

} // namespace

std::optional<BlowPulse> FindBlowLobe(std::span<const float> x, float noise, float minimumSnr,
                                      int boxHint)
{
    if (x.size() < 8)
        return std::nullopt;
    // The moving average that makes the largest excursion stand highest out of the noise
    // is a box matched to the blow; a quarter of it smooths the noise enough to find the
    // first lobe and its width without running the blow into an opposite echo right after
    // it. The peak is then taken on an average over an eighth of that width, which keeps
    // a symmetric pulse's peak in place.
    int bestHalf = 1;
    float bestScore = 0.0f;
    // Scratch kept from call to call: every value used is written first.
    thread_local std::vector<double> sum;
    thread_local std::vector<float> smooth, fine;
    RunningSums(x, sum);
    const int n = static_cast<int>(x.size());
    // The blow stands in the record's first part: the box is matched there.
    const std::span<const double> early(sum.data(), static_cast<std::size_t>(n / 2 + 1));
    for (int half = 1; half <= 64 && 16 * half <= n; half *= 2) {
        if (boxHint > 0 && (half < boxHint / 2 || half > 2 * boxHint))
            continue;
        const float score = LargestAverage(early, half) * std::sqrt(2.0f * half + 1.0f);
        if (score > bestScore) {
            bestScore = score;
            bestHalf = half;
        }
    }
    // With the blow 10 dB over the noise, noise before it passes 30 % of the blow's peak:
    // the onset must also stand kOnsetSnr times over the noise left by the smoothing.
    const int quarter = std::max(1, bestHalf / 4);
    const float floor = kOnsetSnr * noise / std::sqrt(2.0f * static_cast<float>(quarter) + 1.0f);
    // The smoothed record's largest magnitude is the largest average over the same
    // window: scaling and rounding keep order.
    const float top = LargestAverage(sum, quarter);
    PartialAverage lobeAverage(sum, quarter, smooth);
    Lobe lobe = FirstLobe(lobeAverage, top, floor);
    const int width = std::max(1, lobe.last - lobe.first);
    PartialAverage peakAverage(sum, std::max(1, width / 8), fine);
    for (int i = lobe.first; i < lobe.last; ++i) {
        if (lobe.polarity * peakAverage[i] > lobe.polarity * peakAverage[lobe.peak])
            lobe.peak = i;
    }
    lobe.amplitude = lobe.polarity * peakAverage[lobe.peak];
    // Noise moves the highest sample; the middle between the two half-height crossings is
    // steadier and, for a symmetric pulse, the same place.
    const auto at = [&](int i) { return lobe.polarity * peakAverage[i]; };
    const float half = 0.5f * lobe.amplitude;
    int rise = lobe.peak, fall = lobe.peak;
    while (rise > 0 && at(rise - 1) >= half)
        --rise;
    while (fall + 1 < n && at(fall + 1) >= half)
        ++fall;
    // The onset: the rise's line through its quarter and half heights, taken down to zero.
    // Well above the noise, both crossings are steady; an offset before the blow or noise
    // at its foot does not move them.
    const auto crossing = [&](float level) {
        int i = lobe.peak;
        while (i > 0 && at(i - 1) >= level)
            --i;
        return i > 0 ? static_cast<float>(i) - (at(i) - level) / (at(i) - at(i - 1))
                     : static_cast<float>(i);
    };
    const float halfUp = crossing(half), quarterUp = crossing(0.5f * half);
    const int onset = std::clamp(
        static_cast<int>(std::lround(halfUp - 2.0f * (halfUp - quarterUp))), 0, lobe.peak);
    if (rise > 0 && fall + 1 < n) {
        const float left = static_cast<float>(rise) - (at(rise) - half) / (at(rise) - at(rise - 1));
        const float right =
            static_cast<float>(fall) + (at(fall) - half) / (at(fall) - at(fall + 1));
        lobe.peak = static_cast<int>(std::lround(0.5f * (left + right)));
    }
    // What a matched filter would make of the lobe: its peak times the root of its width.
    const float lobeSnr =
        lobe.amplitude * std::sqrt(0.5f * static_cast<float>(lobe.last - lobe.first)) / noise;
    // A lobe over a quarter of the record is an offset, not a blow.
    if (lobe.amplitude < 4.0f || lobeSnr < minimumSnr || 4 * width > static_cast<int>(x.size()))
        return std::nullopt;

    BlowPulse blow;
    blow.peak = lobe.peak;
    blow.snr = lobeSnr;
    blow.polarity = lobe.polarity;
    blow.onset = onset;
    blow.box = bestHalf;
    blow.width = std::max(1, lobe.last - lobe.first);
    const int pad = std::max(1, blow.width / 4);
    blow.first = std::max(0, lobe.first - pad);
    const int last = std::min(n, lobe.last + pad);
    blow.shape.resize(static_cast<std::size_t>(last - blow.first));
    SmoothFromSums(sum, std::max(1, blow.width / 16), blow.first, last, blow.shape);
    blow.shapePeak = blow.peak - blow.first;
    return blow;
}

std::optional<RecordBlow> FindBlow(std::span<const std::int16_t> samples, int sampleIntervalUs)
{
    if (samples.size() < static_cast<std::size_t>(kMinimumSamples))
        return std::nullopt;
    RecordBlow found;
    found.x = CentredSamples(samples);
    found.noise = std::max(SampleNoiseOfCounts(samples), 0.3f); // at least the rounding
    const std::optional<BlowPulse> first = FindBlowLobe(found.x, found.noise, kBlowSnr);
    if (!first)
        return std::nullopt;
    // Drift and hum vary over milliseconds; the baseline window is long against the blow
    // and against an echo the grout has broadened.
    const int window = sampleIntervalUs > 0 ? 1250 / sampleIntervalUs : 0;
    RemoveBaseline(
        found.x, std::min(std::max(6 * first->width, window), static_cast<int>(found.x.size()) / 3),
        samples);
    // The baseline barely changes which box matches the blow: only its neighbours are tried.
    std::optional<BlowPulse> blow = FindBlowLobe(found.x, found.noise, kBlowSnr, first->box);
    found.blow = blow ? std::move(*blow) : *first;
    return found;
}

} // namespace rovana::pick
