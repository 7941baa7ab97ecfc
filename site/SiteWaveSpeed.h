#pragma once

#include "AnalysisSave.h"
#include "TestRecord.h"

#include <QString>

#include <optional>

namespace rovana {

// Wave speeds a calibration may give, m/s (as the wave-speed dialog accepts).
inline constexpr int kLowestWaveSpeed = 100;
inline constexpr int kHighestWaveSpeed = 20000;

// The wave speed, rounded to whole m/s, that makes the end and bottom markers of
// `channel` measure `knownLength` metres. Nothing, with `why` in the program's words,
// without both markers, with the bottom not after the end, a length not above 0, or a
// speed outside 100..20000 m/s.
std::optional<int> CalibratedWaveSpeed(const TestRecord& record, int channel, double knownLength,
                                       QString* why = nullptr);

// What a save writes for `record` at `waveSpeed`: the stored markers, lengths from them at
// that speed (L0 cut to centimetres, Lr = L - L0), the class re-derived from the stored
// grade and the new L; channels without end and bottom keep their stored evaluation.
AnalysisValues AnalysisAtWaveSpeed(const TestRecord& record, int waveSpeed);

} // namespace rovana
