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
    std::optional<PickedEcho> echo;
    int after = 0; // the first sample deeper echoes are looked for at
};

// The grout's start: an echo opposite to the blow, after the blow's lobe and before the
// design free length has been passed by half again. A free section already undone inside
// the blow (`section`) gives the echo where its fit put it; otherwise the echo found and
// its multiples are taken off the context (`echoes` as RemoveReflector takes them).
FreeEndPick PickFreeEnd(PickContext& c, const std::optional<FreeSectionFit>& section,
                        const std::vector<float>& echoes);

} // namespace rovana::pick
