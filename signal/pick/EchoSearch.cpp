#include "EchoSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rovana::pick {

void KeepEchoes(std::vector<float>& y, float level)
{
    const int n = static_cast<int>(y.size());
    for (int a = 0; a < n;) {
        const bool positive = y[static_cast<std::size_t>(a)] >= 0.0f;
        int b = a;
        float extreme = 0.0f;
        while (b < n && (y[static_cast<std::size_t>(b)] >= 0.0f) == positive) {
            extreme = std::max(extreme, std::abs(y[static_cast<std::size_t>(b)]));
            ++b;
        }
        if (extreme < level)
            std::fill(y.begin() + a, y.begin() + b, 0.0f);
        a = b;
    }
}

int FirstNotUnder(const float* values, int from, int to, float level, bool magnitude)
{
    int i = from;
#if defined(__SSE2__)
    const __m128 bound = _mm_set1_ps(level);
    const __m128 sign = _mm_castsi128_ps(_mm_set1_epi32(magnitude ? 0x7fffffff : -1));
    for (; i + 4 <= to; i += 4) {
        const __m128 v = _mm_and_ps(_mm_loadu_ps(values + i), sign);
        if (_mm_movemask_ps(_mm_cmplt_ps(v, bound)) != 0xf)
            break;
    }
#endif
    for (; i < to; ++i) {
        const float v = magnitude ? std::abs(values[i]) : values[i];
        if (!(v < level))
            return i;
    }
    return to;
}

float LeastReaching(float divisor, float ratio)
{
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    // The product is within a rounding or two of the answer: a few steps either way.
    float a = std::min(ratio * divisor, std::numeric_limits<float>::max());
    while (a > 0.0f && std::nextafter(a, 0.0f) / divisor >= ratio)
        a = std::nextafter(a, 0.0f);
    while (a < kInfinity && a / divisor < ratio)
        a = std::nextafter(a, kInfinity);
    return a;
}

} // namespace rovana::pick
