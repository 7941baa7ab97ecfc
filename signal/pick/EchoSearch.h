#pragma once

// Small pieces of the echo picker's search through the correlation with the blow.
// Standard library only.

#include <vector>

namespace rovana::pick {

// Sets to zero every lobe of y (the samples between two changes of sign) whose extreme
// stays under `level`: what is left are the echoes, without the noise.
void KeepEchoes(std::vector<float>& y, float level);

// The least float a >= 0 for which a / divisor, as a float, reaches `ratio`; +inf when no
// finite one does. A correctly rounded quotient never falls as a rises, so for every
// a >= 0 and for NaN, a / divisor < ratio exactly when a < the answer: one comparison
// instead of a division per sample. For a divisor and a ratio both positive and finite.
float LeastReaching(float divisor, float ratio);

// The first index i in [from, to) where values[i] (its magnitude with `magnitude`) is
// not under `level`, a NaN included; `to` when there is none. Four at a time.
int FirstNotUnder(const float* values, int from, int to, float level, bool magnitude);

} // namespace rovana::pick
