#pragma once

#include <cmath>
#include <cstdint>

namespace rovana {

// Truncates toward zero and limits the result to lo..hi. NaN gives lo. Unlike a plain
// cast this is defined for every float, however large.
inline int TruncClamped(float value, int lo, int hi)
{
    if (!(value > static_cast<float>(lo)))
        return lo;
    if (!(value < static_cast<float>(hi)))
        return hi;
    return static_cast<int>(value);
}

// Truncation toward zero into int; NaN gives 0 and values beyond the int range are limited
// to it (a plain cast would be undefined there).
inline int TruncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0)
        return INT32_MAX;
    if (value <= -2147483649.0)
        return INT32_MIN;
    return static_cast<int>(value);
}

inline std::int16_t TruncToInt16(float value)
{
    return static_cast<std::int16_t>(TruncClamped(value, INT16_MIN, INT16_MAX));
}

// A whole number of samples computed from a file's values (a design length times samples
// per metre) as an int: limited to ±2^30, so that the sum of two such numbers is defined;
// NaN gives 0. `value` is expected whole already (rounded, floored or ceiled).
inline int ClampedSampleCount(double value)
{
    constexpr double kLimit = 1 << 30;
    if (std::isnan(value))
        return 0;
    return static_cast<int>(value < -kLimit ? -kLimit : value > kLimit ? kLimit : value);
}

} // namespace rovana
