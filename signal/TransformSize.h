#pragma once

namespace rovana {

inline constexpr int kMinTransformExponent = 8;  // smallest transform: 256 points
inline constexpr int kMaxTransformExponent = 12; // largest transform: 4096 points

// x raised to the integer power e by repeated squaring, in single precision. For a
// negative e the result is 1 divided by the power; a zero power then gives infinity
// with the power's sign instead of a division by zero.
float IntPower(float x, int e);

// The transform size N for n samples: k = trunc(ln n / ln 2 + 0.1) with ln n rounded to
// float first, k limited to 8..12, N = 2^k. That is the largest power of two not above
// about 1.07 n: 2048 -> 2048, 1500 -> 1024, 1000 -> 1024, 100 -> 256. Counts below 1
// have no logarithm and give the smallest size.
int TransformSize(int sampleCount);

} // namespace rovana
