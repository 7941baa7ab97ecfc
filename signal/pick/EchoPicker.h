#pragma once

// Suggested markers: the blow, the free end, the bottom echo and grout defects of one
// channel, found as an engineer finds them, or the reason why not. Standard library only.

#include "Confidence.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace rovana::pick {

// A sample index into the channel's samples (>= 1, so that a marker made of it counts as
// set) and how sure the picker is: the probability that it is right (Confidence.h).
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
    // the likeliest bottom may be the free section ringing on, a multiple of its round trip
    SuspectedMultiple,
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
    int blowWidth = 0;                 // samples of the blow's lobe; 0 without a blow
    float blowPolarity = 0.0f;         // +1 or -1; 0 without a blow
    // The picks withheld because they are likelier wrong than right (confidence under
    // kOfferAt): a reason stands in their place. What the reliability of the confidences
    // and the check of a saved bottom read; never a marker.
    std::optional<PickedEcho> withheldFreeEnd, withheldBottom;
    std::vector<PickedDefect> withheldDefects;
    // What the record says about each pick, offered or withheld (defects first, then the
    // withheld ones): from this the confidences are computed and their weights refitted.
    Evidence freeEndEvidence{}, bottomEvidence{};
    std::vector<Evidence> defectEvidence;
};

// Finds the markers. The end is the blow's peak; every echo is placed on the peak of the
// reflected blow, found by correlating the record with the blow cut from it. The free end
// is taken only opposite to the blow, the bottom and a void's top only like it. Design
// lengths weigh candidates of similar strength but never stand in for an echo: without a
// clear bottom there is no bottom and the reason BottomNotClear. Each pick's confidence
// is the probability that it is right; one under kOfferAt is withheld with the reason
// (FreeEndNotClear, BottomNotClear, or SuspectedMultiple where the free section's
// multiple may be what was found). Runs in time linear in the sample count times the
// blow's length; never throws for any input.
PickResult PickEchoes(const PickInput& input);

} // namespace rovana::pick
