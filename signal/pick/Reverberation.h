#pragma once

// The free section's reverberation as the record itself shows it. Standard library only.
//
// A wave that comes up through the free section meets the head, goes down again, and
// comes back from the grout's top one round trip T later, changed by g, the round trip's
// reflection: r at the grout's top (r < 0) times what the head and its plate and nut send
// back (1 for a free head, less with a nut and plate on it). Every echo the record holds
// is so repeated, with the sign alternating: the record after the free end's first echo
// is y(t) = u(t) + g y(t - T), u the echoes from below. g and T are not taken from the
// design free length nor from the first echo's height alone (which is (1 + head) r, not
// g): both are fitted to the record's first multiples by least squares, T within two
// sample of the first echo's delay. g y(t - T) is then what the free section explains at
// each sample (PickContext::Multiple): an echo there that does not stand well out of it
// may be a multiple, not a reflector of its own.

#include "PickContext.h"

#include <optional>
#include <vector>

namespace rovana::pick {

struct ReverberationFit
{
    int delay = 0;          // T, samples
    float gain = 0.0f;      // g, < 0
    float explained = 0.0f; // share of the window's energy the multiples explain
    int from = 0, to = 0;   // the window fitted, samples
};

// The fit for a free end whose first echo peaks `delay` samples after the blow, from the
// record's multiples after it (the context's y with the first echo taken off, and its
// `echoes`). None when the record after the first echo is too short to hold a multiple,
// or the multiples are not there (the fit explains under a tenth of the window).
std::optional<ReverberationFit> FitReverberation(const PickContext& c, int delay);

} // namespace rovana::pick
