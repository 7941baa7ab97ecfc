#pragma once

// The time-domain trace a channel view shows, and the site's reference bolt drawn behind it.

#include "ProcessingChain.h"
#include "TestRecord.h"

#include <cstdint>
#include <span>
#include <vector>

namespace rovana {

// The samples a time-domain view of `channel` shows, into `display`: the site's processing
// chain when it is on, else the display low-pass when `lowPass` is set (both zero past the
// usable samples), else the channel's whole buffer as recorded. Returns how many samples
// the chain's output had to clip to the int16 range (its gain drove them past it).
int DisplayedSamples(const TestRecord& record, int channel, const processing::ChainSettings& chain,
                      bool lowPass, std::span<std::int16_t> display);

// How far after its blow a blow's peak is looked for: a blow lasts at most about 0.4 ms.
inline constexpr double kBlowPeakWindowUs = 600.0;

// The reference bolt's trace of `channel` as drawn behind the current test's, one value per
// sample of the current record: shown as the current one is (DisplayedSamples), moved in
// time so that its blow falls on the current test's blow (another sampling interval is
// read by linear interpolation), and scaled so that its largest value within
// kBlowPeakWindowUs of the blow equals the current test's. Empty when either record has
// no blow to align on (a silent channel) or no usable sampling interval; zero where the
// reference has no sample.
std::vector<std::int16_t> ReferenceTrace(const TestRecord& reference, const TestRecord& current,
                                         int channel, const processing::ChainSettings& chain,
                                         bool lowPass);

} // namespace rovana
