#include "Magnitude.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rovana::pick {

float LargestMagnitude(std::span<const float> values)
{
    const float* const v = values.data();
    const std::size_t n = values.size();
    float top = 0.0f;
    std::size_t i = 0;
#if defined(__SSE2__)
    // A NaN lane is taken as 0, which never raises the largest: as std::max(top, NaN)
    // leaves top, whichever way round the compiler puts MAXPS's operands.
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    const auto at = [&](std::size_t j) {
        const __m128 a = _mm_and_ps(_mm_loadu_ps(v + j), magnitude);
        return _mm_and_ps(a, _mm_cmpord_ps(a, a));
    };
    __m128 top0 = _mm_setzero_ps(), top1 = _mm_setzero_ps();
    for (; i + 8 <= n; i += 8) {
        top0 = _mm_max_ps(at(i), top0);
        top1 = _mm_max_ps(at(i + 4), top1);
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, _mm_max_ps(top0, top1));
    top = std::max(std::max(lanes[0], lanes[1]), std::max(lanes[2], lanes[3]));
#endif
    for (; i < n; ++i)
        top = std::max(top, std::abs(v[i]));
    return top;
}

} // namespace rovana::pick
