#pragma once

// Voids in the grout: a clear echo like the blow (the void's top) followed within a pulse
// and a metre and a half by an echo opposite to it (its bottom). Standard library only.

#include "PickContext.h"

#include <vector>

namespace rovana::pick {

// A void's bottom, once its top is clear: the opposite echo against the noise.
inline constexpr float kVoidBottomSnr = 3.0f;

// The rms of the correlation over the three lobe widths before the lobe of an echo at
// `top`; 0 where there is no sample.
float Above(const PickContext& c, int top);

struct VoidFound
{
    PickedDefect defect; // its confidences not yet set
    Evidence evidence{}; // as kDefectWeights reads it
};

// The voids whose tops lie in [from, to), in depth order, one below the other, each edge
// at least 1.5 times the record just above the top: a void cannot change the record above
// it, and there the head's ringing and the free section's multiples are what its echoes
// must stand out of.
std::vector<VoidFound> FindVoids(const PickContext& c, int from, int to);

} // namespace rovana::pick
