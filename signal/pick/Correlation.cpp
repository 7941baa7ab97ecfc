#include "Correlation.h"

#include "FFT.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <unordered_map>

namespace rovana::pick {

namespace {

// Blows of up to this many samples are correlated directly: with four taps at a time in
// vector registers that costs less than the transforms.
constexpr int kDirectTaps = 48;
// A transform as long as the record serves blows up to this share of it.
constexpr std::size_t kWrapShare = 16;

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
    if (m <= kDirectTaps) {
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
