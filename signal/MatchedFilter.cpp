#include "MatchedFilter.h"

#include "FFT.h"
#include "Selection.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <unordered_map>

namespace rovana::pick {

namespace {

constexpr float kOnsetSnr = 5.0f; // the blow's onset over the noise of the smoothed record
// A transform as long as the record serves blows up to this share of it.
constexpr std::size_t kWrapShare = 16;

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

std::vector<float> CentredSamples(std::span<const std::int16_t> samples)
{
    std::vector<float> x(samples.begin(), samples.end());
    // The middle count as a float is the middle of the counts as floats.
    const auto median = static_cast<float>(MedianOf(samples));
    for (float& v : x)
        v -= median;
    return x;
}

float SampleNoise(std::span<const float> x)
{
    if (x.size() < 3)
        return 0.0f;
    std::vector<float> d(x.size() - 1);
    for (std::size_t i = 0; i + 1 < x.size(); ++i)
        d[i] = std::abs(x[i + 1] - x[i]);
    // MAD of a difference of two independent samples: sigma * sqrt(2) * 0.6745.
    return MedianOf(d) / (0.6745f * std::sqrt(2.0f));
}

float SampleNoiseOfCounts(std::span<const std::int16_t> counts)
{
    if (counts.size() < 3)
        return 0.0f;
    return static_cast<float>(MedianStep(counts)) / (0.6745f * std::sqrt(2.0f));
}

std::optional<BlowPulse> FindBlow(std::span<const float> x, float noise, float minimumSnr)
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
    for (int half = 1; half <= 64 && 16 * half <= n; half *= 2) {
        const float score = LargestAverage(sum, half) * std::sqrt(2.0f * half + 1.0f);
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
    blow.width = std::max(1, lobe.last - lobe.first);
    const int pad = std::max(1, blow.width / 4);
    blow.first = std::max(0, lobe.first - pad);
    const int last = std::min(n, lobe.last + pad);
    blow.shape.resize(static_cast<std::size_t>(last - blow.first));
    SmoothFromSums(sum, std::max(1, blow.width / 16), blow.first, last, blow.shape);
    blow.shapePeak = blow.peak - blow.first;
    return blow;
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

namespace {

// exp(-m² / (2 variance)) for m = 0 .. count - 1, even in m, kept per smoothing for the
// thread: record after record the picker smooths with the same few widths, and the
// exponentials were a fifth of its time.
const std::vector<double>& GaussWeights(int half, double variance, int count)
{
    thread_local std::unordered_map<int, std::vector<double>> tables;
    std::vector<double>& table = tables[half];
    table.reserve(static_cast<std::size_t>(count));
    for (int m = static_cast<int>(table.size()); m < count; ++m)
        table.push_back(std::exp(-0.5 * m * m / variance));
    return table;
}

} // namespace

float SmoothedNoise(std::span<const float> autocorrelation, int half)
{
    // Three boxes of 2 half + 1 samples are close to a Gaussian of this variance; the
    // smoothing's own autocorrelation is then a Gaussian of twice it.
    const double b = 2.0 * half + 1.0;
    const double variance = 2.0 * 3.0 * (b * b - 1.0) / 12.0;
    const int centre = static_cast<int>(autocorrelation.size() / 2);
    int last = centre; // the weights reach past the autocorrelation to four deviations
    while ((last + 1) * (last + 1) < 16.0 * variance)
        ++last;
    const std::vector<double>& gauss = GaussWeights(half, variance, last + 1);
    double sum = 0.0, weight = 0.0;
    for (int m = -centre; m <= centre; ++m) {
        const double g = gauss[static_cast<std::size_t>(std::abs(m))];
        sum += g * autocorrelation[static_cast<std::size_t>(centre + m)];
        weight += g;
    }
    for (int m = centre + 1; m <= last; ++m)
        weight += 2.0 * gauss[static_cast<std::size_t>(m)];
    return static_cast<float>(std::sqrt(std::max(sum / weight, 1e-12)));
}

namespace {

// Outputs [from, to) of the correlation, each the sum of its products in the order of k
// from 0 on, over the blow's energy. Taking k in the outer loop keeps that order and lets
// the loop over the outputs vectorise.
void CorrelateDirectly(std::span<const float> x, const BlowPulse& blow, float scale, int from,
                       int to, std::vector<float>& y)
{
    const int n = static_cast<int>(x.size());
    const int m = static_cast<int>(blow.shape.size());
    const float* const xs = x.data();
    const float* const t = blow.shape.data();
    float* const out = y.data();
    for (int i = from; i < to; ++i)
        out[i] = 0.0f;
    // Outputs i whose sample i - shapePeak + k lies in the record, for tap k.
    const auto first = [&](int k) { return std::max(from, blow.shapePeak - k); };
    const auto last = [&](int k) { return std::min(to, n + blow.shapePeak - k); };
    const auto tap = [&](int k, int a, int b) {
        const float tk = t[k];
        const float* const shifted = xs + (k - blow.shapePeak);
        for (int i = a; i < b; ++i)
            out[i] += tk * shifted[i];
    };
    int k = 0;
    for (; k + 4 <= m; k += 4) {
        // The outputs all four taps reach take them in one loop, in order of k, with one
        // load and one store each; the others take them tap by tap, also in order of k.
        const int a = first(k), b = last(k + 3);
        if (a >= b) {
            for (int j = k; j < k + 4; ++j)
                tap(j, first(j), last(j));
            continue;
        }
        for (int j = k; j < k + 4; ++j) {
            tap(j, first(j), a);
            tap(j, b, last(j));
        }
        const float t0 = t[k], t1 = t[k + 1], t2 = t[k + 2], t3 = t[k + 3];
        const float* const shifted = xs + (k - blow.shapePeak);
        for (int i = a; i < b; ++i) {
            float v = out[i];
            v += t0 * shifted[i];
            v += t1 * shifted[i + 1];
            v += t2 * shifted[i + 2];
            v += t3 * shifted[i + 3];
            out[i] = v;
        }
    }
    for (; k < m; ++k)
        tap(k, first(k), last(k));
    for (int i = from; i < to; ++i)
        out[i] *= scale;
}

} // namespace

std::vector<float> CorrelateWithBlow(std::span<const float> x, const BlowPulse& blow)
{
    const int n = static_cast<int>(x.size());
    const int m = static_cast<int>(blow.shape.size());
    double energy = 0.0;
    for (float v : blow.shape)
        energy += static_cast<double>(v) * v;
    std::vector<float> y(x.size(), 0.0f);
    if (energy <= 0.0)
        return y;
    const float scale = static_cast<float>(1.0 / energy);
    if (m <= 48) {
        CorrelateDirectly(x, blow, scale, 0, n, y);
        return y;
    }
    // A long blow (fine sampling): through the transform, whose correlation is circular.
    // A transform as long as the record wraps its ends onto each other for about m
    // outputs; those are summed directly, which costs less than a transform twice as long
    // while m stays short against it.
    const int peak = blow.shapePeak;
    std::size_t size = std::max<std::size_t>(64, std::bit_ceil(x.size()));
    if (static_cast<std::size_t>(m) * kWrapShare > size)
        size = std::max<std::size_t>(64, std::bit_ceil(x.size() + blow.shape.size()));
    const int period = static_cast<int>(size);
    // Output i takes samples i - peak .. i - peak + m - 1, modulo the size. Those below 0
    // come round from the top of the transform, which holds samples only below n; those
    // from the size on come round from its start.
    const int leftWrapped = std::clamp(peak - (period - n), 0, n);
    const int rightWrapped = std::clamp(period + peak - m + 1, leftWrapped, n);
    // Output i is lag i - peak, taken modulo the size.
    thread_local std::vector<float> lags;
    lags.resize(size);
    if (CircularCorrelation(x, blow.shape, scale, lags) != SignalStatus::Ok) {
        CorrelateDirectly(x, blow, scale, 0, n, y);
        return y;
    }
    const auto start = static_cast<std::size_t>(((-peak) % period + period) % period);
    const std::size_t before = std::min(x.size(), size - start);
    std::copy_n(lags.begin() + static_cast<std::ptrdiff_t>(start), before, y.begin());
    std::copy(lags.begin(), lags.begin() + static_cast<std::ptrdiff_t>(x.size() - before),
              y.begin() + static_cast<std::ptrdiff_t>(before));
    CorrelateDirectly(x, blow, scale, 0, leftWrapped, y);
    CorrelateDirectly(x, blow, scale, rightWrapped, n, y);
    return y;
}

std::vector<float> BlowAutocorrelation(const BlowPulse& blow)
{
    const int m = static_cast<int>(blow.shape.size());
    std::vector<float> ac(static_cast<std::size_t>(std::max(1, 2 * m - 1)), 0.0f);
    double zero = 0.0;
    for (float v : blow.shape)
        zero += static_cast<double>(v) * v;
    if (zero <= 0.0)
        return ac;
    // Each lag sums its products in the order of k from 0 on. Taking k in the outer loop
    // keeps that order and lets the loop over the lags vectorise.
    std::vector<double> sums(static_cast<std::size_t>(m), 0.0);
    const float* const t = blow.shape.data();
    for (int k = 0; k < m; ++k) {
        const double tk = t[k];
        for (int lag = 0; lag < m - k; ++lag)
            sums[static_cast<std::size_t>(lag)] += tk * t[k + lag];
    }
    for (int lag = 0; lag < m; ++lag) {
        const auto v = static_cast<float>(sums[static_cast<std::size_t>(lag)] / zero);
        ac[static_cast<std::size_t>(m - 1 + lag)] = v;
        ac[static_cast<std::size_t>(m - 1 - lag)] = v;
    }
    return ac;
}

void SubtractEcho(std::vector<float>& y, std::span<const float> autocorrelation, int at,
                  float amplitude)
{
    const int half = static_cast<int>(autocorrelation.size() / 2);
    const int n = static_cast<int>(y.size());
    for (int lag = -half; lag <= half; ++lag) {
        const int i = at + lag;
        if (i >= 0 && i < n)
            y[static_cast<std::size_t>(i)] -=
                amplitude * autocorrelation[static_cast<std::size_t>(half + lag)];
    }
}

} // namespace rovana::pick
