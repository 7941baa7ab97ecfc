#pragma once

// The bottom: the toe's echo, like the blow, past the free end. Standard library only.

#include "PickContext.h"

#include <optional>

namespace rovana::pick {

// A withheld bottom whose echo is under this many times the free section's multiple
// there (plus the noise) may be that multiple: the reason says so.
inline constexpr float kMultipleShare = 2.0f;

struct BottomPick
{
    std::optional<PickedEcho> echo; // its confidence not yet set
    Evidence evidence{};            // as kBottomWeights reads it
    // The echo's height over the free section's multiple there (plus the noise): near or
    // under 1 it may be that multiple.
    float standsOut = 0.0f;
};

// Why a channel with a blow and a time base offers no bottom: SuspectedMultiple where the
// bottom withheld does not stand out of the free section's multiple there (its evidence's
// height over the multiple under kMultipleShare), else BottomNotClear.
PickReason WithheldBottomReason(const PickResult& result);

// The bottom from `after` on: echoes like the blow, scored by their strength, the second
// echo at twice the round trip, and the design length; an echo that a void's bottom
// follows counts for little, and far from the design length for nothing. The correlation
// is also read smoothed over a quarter and a half of the blow, as the grout broadens a
// deep echo. No echo when none stands out of the noise enough.
BottomPick FindBottom(const PickContext& c, int after);

} // namespace rovana::pick
