#pragma once

// Voids in the grout: a clear echo like the blow (the void's top) followed within a pulse
// and a metre and a half by an echo opposite to it (its bottom). Standard library only.

#include "PickContext.h"

#include <vector>

namespace rovana::pick {

// A void's bottom, once its top is clear: the opposite echo against the noise.
inline constexpr float kVoidBottomSnr = 3.0f;

// The voids whose tops lie in [from, to), in depth order, one below the other.
std::vector<PickedDefect> FindVoids(const PickContext& c, int from, int to);

} // namespace rovana::pick
