#pragma once

// The free section's echo when it returns while the blow is still under way. Standard
// library only.
//
// The head is free and the grout's start reflects a wave with r = (1 - Z) / (1 + Z) < 0
// after the round trip tau of the free section. The head therefore records the blow b as
// b (1 + r D) / (1 - r D), D a delay of tau, and every echo coming up from the grouted
// part as 2 u / (1 - r D), its downward way having passed the same section as well. When
// tau is shorter than the blow, the first lobe of the record is the blow cut short by its
// own opposite echo: a template cut from it is too short and its peak too early. Undoing
// (1 + r D) / (1 - r D) gives the blow back and leaves the deep echoes with only r^2 of
// the free section in them, so that the end and every echo below are read on the same
// pulse.

#include "Blow.h"

#include <optional>
#include <span>
#include <vector>

namespace rovana::pick {

struct FreeSectionFit
{
    int delay = 0;           // round trip of the free section, samples
    float reflection = 0.0f; // r, < 0
    float misfit = 0.0f;     // of the blow so restored, against the record as it was
};

// (tau, r) for which the record's start, with (1 + r D) / (1 - r D) undone, is most like a
// single compact lobe as a hammer's contact gives it (rising and falling alike, nothing
// after it), for tau in [shortest, longest] and r from -0.6 to -0.1. `first` is the first
// sample of the blow's lobe in the record, `polarity` its sign, `width` the lobe's width
// as it stands. None when undoing no section gives a lobe clearly more compact than the
// record already has.
std::optional<FreeSectionFit> FitFreeSection(std::span<const float> x, int first, int width,
                                             float polarity, int shortest, int longest);

// Undoes (1 + r D) / (1 - r D) over the whole record: y = x - r x(t - tau) - r y(t - tau).
void RemoveFreeSection(std::vector<float>& x, int delay, float reflection);

// A free section of about the design free length (within 15 %, `perMetre` samples per
// metre of depth) whose echo returns well inside the blow's lobe as it stands: fitted and
// undone over the whole record `x`, and the blow (`blow`, found with `minimumSnr` against
// `noise` per sample) and the noise found again on what is left. Nothing changes and none
// comes back when there is no design free length, the section returns late in the lobe,
// no fit is clearly better than none, or the blow so restored is not found at or after
// the lobe's start.
std::optional<FreeSectionFit> UndoShortFreeSection(std::vector<float>& x, BlowPulse& blow,
                                                   float& noise, double perMetre,
                                                   double designFreeLength, float minimumSnr);

} // namespace rovana::pick
