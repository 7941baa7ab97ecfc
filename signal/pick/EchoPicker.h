#pragma once

// Suggested markers: the blow, the free end, the bottom echo and grout defects of one
// channel, found as an engineer finds them, or the reason why not. Standard library only.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace rovana::pick {

// A sample index into the channel's samples (>= 1, so that a marker made of it counts as
// set) and how sure the picker is, 0..1.
struct PickedEcho
{
    int sample = 0;
    double confidence = 0.0;
    double snr = 0.0; // the echo's matched-filter amplitude against the noise there
    friend bool operator==(const PickedEcho&, const PickedEcho&) = default;
};

// A void in the grout: its top echoes like the blow, its bottom opposite to it.
struct PickedDefect
{
    PickedEcho start, end;
    friend bool operator==(const PickedDefect&, const PickedDefect&) = default;
};

enum class PickReason
{
    None,
    BottomNotClear,  // no echo like the blow stands out of the noise past the free end
    FreeEndNotClear, // no echo opposite to the blow where the grout may start
    NoBlow,          // nothing in the record stands out of the noise
    NoTimeBase,      // the sampling interval or wave speed is not positive
};

struct PickInput
{
    std::span<const std::int16_t> samples; // the channel's valid samples
    int sampleIntervalUs = 0;
    int waveSpeed = 0;             // m/s
    double designLength = 0.0;     // m, a prior only; <= 0 for none
    double designFreeLength = 0.0; // m, a prior only; <= 0 for none
};

struct PickResult
{
    std::optional<PickedEcho> end, freeEnd, bottom;
    std::vector<PickedDefect> defects; // in depth order, between free end and bottom
    std::vector<PickReason> reasons;   // why a marker is missing, at most once each
    double noiseLevel = 0.0;           // rms of the matched-filter output before the blow, blow = 1
};

// Finds the markers. The end is the blow's peak; every echo is placed on the peak of the
// reflected blow, found by correlating the record with the blow cut from it. The free end
// is taken only opposite to the blow, the bottom and a void's top only like it. Design
// lengths weigh candidates of similar strength but never stand in for an echo: without a
// clear bottom there is no bottom and the reason BottomNotClear. Runs in time linear in
// the sample count times the blow's length; never throws for any input.
PickResult PickEchoes(const PickInput& input);

} // namespace rovana::pick
