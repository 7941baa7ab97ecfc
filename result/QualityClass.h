#pragma once

namespace rovana {

// The anchorage quality class index from the compactness grade index and the measured
// total length L against the design length D (metres). No grade (an index outside 0..3)
// or no length (L not above 0) gives no class (-1). Otherwise, when D - L <= 0.5 and
// L / D >= 0.95, both in float, the class follows the grade (A gives I, ..., D gives IV);
// else the class is IV (3). With D = 0 the ratio is infinite and passes.
int DeriveQualityClass(int grade, float designLength, float measuredLength);

} // namespace rovana
