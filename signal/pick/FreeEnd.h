#pragma once

// The free end: where the grout starts, an echo opposite to the blow. Standard library
// only.

#include "FreeSection.h"
#include "PickContext.h"

#include <optional>
#include <vector>

namespace rovana::pick {

struct FreeEndPick
{
    std::optional<PickedEcho> echo; // its confidence not yet set
    int after = 0;                  // the first sample deeper echoes are looked for at
    Evidence evidence{};            // as kFreeEndWeights reads it
};

// The grout's start: an echo opposite to the blow, after the blow's lobe and before the
// design free length has been passed by half again. A free section already undone inside
// the blow (`section`) gives the echo where its fit put it; otherwise the echo found and
// its multiples are taken off the context, and the free section's reverberation as the
// record shows it (Reverberation.h) is noted in it.
FreeEndPick PickFreeEnd(PickContext& c, const std::optional<FreeSectionFit>& section);

} // namespace rovana::pick
