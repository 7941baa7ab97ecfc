#include "TransformSize.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rovana {

float IntPower(float x, int e)
{
    // The magnitude of e as unsigned, so that the most negative int does not overflow.
    unsigned int remaining =
        e < 0 ? 0u - static_cast<unsigned int>(e) : static_cast<unsigned int>(e);
    float result = 1.0f;
    float square = x;
    while (remaining != 0) {
        if ((remaining & 1u) != 0)
            result *= square;
        remaining >>= 1;
        if (remaining != 0)
            square *= square;
    }
    if (e >= 0)
        return result;
    if (result == 0.0f)
        return std::copysign(std::numeric_limits<float>::infinity(), result);
    return 1.0f / result;
}

int TransformSize(int sampleCount)
{
    if (sampleCount < 1)
        return static_cast<int>(IntPower(2.0f, kMinTransformExponent));
    const auto lnCount = static_cast<float>(std::log(static_cast<double>(sampleCount)));
    const int exponent = static_cast<int>(lnCount / std::log(2.0) + 0.1);
    const int clamped = std::clamp(exponent, kMinTransformExponent, kMaxTransformExponent);
    return static_cast<int>(IntPower(2.0f, clamped));
}

} // namespace rovana
