#include "MovingAverage.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace rovana::pick {

namespace {

// The average of x[i - half .. i + half] (fewer at the ends) from its running sums.
float AverageAt(std::span<const double> sum, int n, int i, int half)
{
    const int a = std::max(0, i - half), b = std::min(n, i + half + 1);
    return static_cast<float>(
        (sum[static_cast<std::size_t>(b)] - sum[static_cast<std::size_t>(a)]) / (b - a));
}

// The samples whose window lies wholly inside the record, [first, last) within
// [from, to): the others are averaged over fewer samples, with a division of their own.
struct Interior
{
    int first = 0, last = 0;
};

Interior InteriorOf(int n, int half, int from, int to)
{
    const int first = std::clamp(half, from, to);
    return {first, std::clamp(n - half, first, to)};
}

} // namespace

void RunningSums(std::span<const float> x, std::vector<double>& sum)
{
    sum.resize(x.size() + 1);
    double running = 0.0;
    sum[0] = running;
    for (std::size_t i = 0; i < x.size(); ++i) {
        running += x[i];
        sum[i + 1] = running;
    }
}

void SmoothFromSums(std::span<const double> sum, int half, int from, int to, std::span<float> out)
{
    const int n = static_cast<int>(sum.size()) - 1;
    const int inner = std::max(half, 0);
    const Interior in = InteriorOf(n, inner, from, to);
    float* const o = out.data();
    for (int i = from; i < in.first; ++i)
        o[i - from] = AverageAt(sum, n, i, inner);
    // Branch-free, so that it vectorises: one subtraction and one multiplication each.
    const double scale = 1.0 / (2.0 * inner + 1.0);
    const double* const s = sum.data();
    for (int i = in.first; i < in.last; ++i)
        o[i - from] = static_cast<float>((s[i + inner + 1] - s[i - inner]) * scale);
    for (int i = in.last; i < to; ++i)
        o[i - from] = AverageAt(sum, n, i, inner);
}

float LargestAverage(std::span<const double> sum, int half)
{
    const int n = static_cast<int>(sum.size()) - 1;
    const int inner = std::max(half, 0);
    const Interior in = InteriorOf(n, inner, 0, n);
    float top = 0.0f;
    for (int i = 0; i < in.first; ++i)
        top = std::max(top, std::abs(AverageAt(sum, n, i, inner)));
    for (int i = in.last; i < n; ++i)
        top = std::max(top, std::abs(AverageAt(sum, n, i, inner)));
    // Magnitudes of finite floats order as their bit patterns do as integers, whose
    // maximum vectorises where a float maximum, with its NaN and -0 rules, does not.
    const double scale = 1.0 / (2.0 * inner + 1.0);
    const double* const s = sum.data();
    std::int32_t largest = std::bit_cast<std::int32_t>(top);
    for (int i = in.first; i < in.last; ++i) {
        const auto v = static_cast<float>(std::abs((s[i + inner + 1] - s[i - inner]) * scale));
        largest = std::max(largest, std::bit_cast<std::int32_t>(v));
    }
    return std::bit_cast<float>(largest);
}

std::vector<float> Smooth(std::span<const float> x, int half)
{
    std::vector<double> sum;
    RunningSums(x, sum);
    std::vector<float> out(x.size());
    SmoothFromSums(sum, half, 0, static_cast<int>(x.size()), out);
    return out;
}

std::vector<float> SmoothThrice(std::span<const float> y, int half)
{
    // Each pass reads only the running sums of the one before, so it may overwrite it.
    std::vector<double> sum;
    std::vector<float> out(y.size());
    const int n = static_cast<int>(y.size());
    RunningSums(y, sum);
    SmoothFromSums(sum, half, 0, n, out);
    for (int pass = 1; pass < 3; ++pass) {
        RunningSums(out, sum);
        SmoothFromSums(sum, half, 0, n, out);
    }
    return out;
}

} // namespace rovana::pick
