#include "MovingAverage.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// RunningSums of a into sumA and of b into sumB, a and b of one length, in one loop.
void RunningSumsSideBySide(std::span<const float> a, std::span<const float> b,
                           std::vector<double>& sumA, std::vector<double>& sumB)
{
    sumA.resize(a.size() + 1);
    sumB.resize(b.size() + 1);
    double runningA = 0.0, runningB = 0.0;
    sumA[0] = runningA;
    sumB[0] = runningB;
    for (std::size_t i = 0; i < a.size(); ++i) {
        runningA += a[i];
        runningB += b[i];
        sumA[i + 1] = runningA;
        sumB[i + 1] = runningB;
    }
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
    // average is the largest difference of sums scaled and rounded once. The differences'
    // magnitudes are never negative and never NaN, so their largest is the same whatever
    // the order they are compared in: two at a time in each of four registers, so that no
    // comparison waits on the one before, then the rest one by one.
    const double* const s = sum.data();
    double most = 0.0;
    int i = in.first;
#if defined(__SSE2__)
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
    const auto at = [&](int j) {
        return _mm_and_pd(_mm_sub_pd(_mm_loadu_pd(s + j + inner + 1), _mm_loadu_pd(s + j - inner)),
                          magnitude);
    };
    __m128d most0 = _mm_setzero_pd(), most1 = _mm_setzero_pd();
    __m128d most2 = _mm_setzero_pd(), most3 = _mm_setzero_pd();
    for (; i + 8 <= in.last; i += 8) {
        most0 = _mm_max_pd(most0, at(i));
        most1 = _mm_max_pd(most1, at(i + 2));
        most2 = _mm_max_pd(most2, at(i + 4));
        most3 = _mm_max_pd(most3, at(i + 6));
    }
    for (; i + 2 <= in.last; i += 2)
        most0 = _mm_max_pd(most0, at(i));
    most0 = _mm_max_pd(_mm_max_pd(most0, most1), _mm_max_pd(most2, most3));
    most = std::max(_mm_cvtsd_f64(most0), _mm_cvtsd_f64(_mm_unpackhi_pd(most0, most0)));
#endif
    for (; i < in.last; ++i)
        most = std::max(most, std::abs(s[i + inner + 1] - s[i - inner]));
    const double difference = most;
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

void SmoothThriceTwice(std::span<const float> y, int halfA, int halfB, std::vector<float>& outA,
                       std::vector<float>& outB)
{
    // Each pass reads only the running sums of the one before, so it may overwrite it.
    thread_local std::vector<double> sumA, sumB;
    const int n = static_cast<int>(y.size());
    outA.resize(y.size());
    outB.resize(y.size());
    RunningSums(y, sumA);
    SmoothFromSums(sumA, halfA, 0, n, outA);
    SmoothFromSums(sumA, halfB, 0, n, outB);
    for (int pass = 1; pass < 3; ++pass) {
        RunningSumsSideBySide(outA, outB, sumA, sumB);
        SmoothFromSums(sumA, halfA, 0, n, outA);
        SmoothFromSums(sumB, halfB, 0, n, outB);
    }
}

} // namespace rovana::pick
