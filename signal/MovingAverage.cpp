#include "MovingAverage.h"

#include <algorithm>
#include <cmath>

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
    // Scaling by a positive factor and rounding keep order, so the largest interior
    // average is the largest difference of sums scaled and rounded once. Four maxima
    // taken side by side do not wait on each other.
    const double* const s = sum.data();
    double most0 = 0.0, most1 = 0.0, most2 = 0.0, most3 = 0.0;
    int i = in.first;
    for (; i + 4 <= in.last; i += 4) {
        most0 = std::max(most0, std::abs(s[i + inner + 1] - s[i - inner]));
        most1 = std::max(most1, std::abs(s[i + inner + 2] - s[i + 1 - inner]));
        most2 = std::max(most2, std::abs(s[i + inner + 3] - s[i + 2 - inner]));
        most3 = std::max(most3, std::abs(s[i + inner + 4] - s[i + 3 - inner]));
    }
    for (; i < in.last; ++i)
        most0 = std::max(most0, std::abs(s[i + inner + 1] - s[i - inner]));
    const double difference = std::max(std::max(most0, most1), std::max(most2, most3));
    const double scale = 1.0 / (2.0 * inner + 1.0);
    return std::max(top, static_cast<float>(difference * scale));
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
