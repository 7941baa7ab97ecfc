#include "EchoSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
