#pragma once

#include <cstdint>
#include <span>

namespace rovana {

// The smoothing factor of the display filter for a sampling interval in µs:
// interval * 6.28 * 10000 / 1 000 000 (2 pi times 10 kHz times the interval), evaluated in
// extended precision and rounded to float. 0.0628 for 1 µs, 0.628 for 10 µs; above about
// 15.9 µs it exceeds 1.
float FilterAlpha(int sampleIntervalUs);

// First-order recursive low-pass from `raw` into `display`:
// y[0] = x[0], y[i] = trunc(alpha * x[i] + (1 - alpha) * y[i - 1]) in float arithmetic,
// each y limited to the int16 range (alpha above 1 overshoots). Only entries
// 0..n-1 of `display` are written, n being `sampleCount` limited to the shorter buffer;
// n <= 0 writes nothing. A sampling interval that is not above zero gives no filter to
// speak of: the first n raw samples are copied unchanged. `display` may be `raw` itself.
void LowPass(std::span<std::int16_t> display, std::span<const std::int16_t> raw,
             int sampleIntervalUs, int sampleCount);

} // namespace rovana
