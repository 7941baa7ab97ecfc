#pragma once

#include "TestRecord.h"

#include <QString>

namespace rovana {

// The values of a test's header that every instrument of the family records within: the
// sampling interval 1..1000 µs, the wave speed 1000..10000 m/s, the design length and the
// design free length finite and at most 100 m (0 or less: not given). A header outside
// them comes from a damaged or foreign file: no length is computed from it (a length
// would be sample counts times a number no instrument wrote), and every output says why.
inline constexpr int kMinSampleIntervalUs = 1;
inline constexpr int kMaxSampleIntervalUs = 1000;
inline constexpr int kMinWaveSpeed = 1000;
inline constexpr int kMaxWaveSpeed = 10000;
inline constexpr float kMaxDesignLength = 100.0f;

// Why the record's header lies outside every instrument's range, in the program's words
// ("采样间隔 0 µs 超出仪器范围（1–1000 µs）"), the first value found in the order above; empty
// when it lies within.
QString HeaderOutOfRange(const TestRecord& record);

} // namespace rovana
