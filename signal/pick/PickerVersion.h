#pragma once

#include <cstdint>

namespace rovana::pick {

// The version of what the echo picker gives for a record: every pick, confidence, reason
// and the comparison of a test's channels. Raise it with every change that moves any of
// them (the bit pin PickAccuracyTest.ResultsToTheBitOnASmallFixedSet changes with it). The
// site's suggestion cache keeps each file's suggestions under this version: suggestions
// kept under another one are never used, the picker runs again.
inline constexpr std::uint32_t kPickerVersion = 1;

} // namespace rovana::pick
