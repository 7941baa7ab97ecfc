#pragma once

namespace rovana {

// The anchorage quality class index from the compactness grade index and the measured
// total length L against the design length D (metres). When D - L <= 0.5 and L / D >=
// 0.95, both in float, the class follows the grade (A gives I, ..., D gives IV, and -1
// stays -1); otherwise the class is IV (3). With D = 0 the ratio is infinite for L > 0
// (passes) and undefined for L = 0 (fails).
int DeriveQualityClass(int grade, float designLength, float measuredLength);

} // namespace rovana
