#pragma once

// Reflectors below the free end and the multiples the free head sends back from them.
// Standard library only.
//
// The head is free: a wave reaching it moves it twice as much as the wave alone and goes
// down again like a new blow. A reflector of coefficient g at round trip t therefore sends
// back, t later, g times everything the head has done: the blow twice over (its first
// echo is 2g) and every echo recorded before. Subtracting g times the recorded echoes
// shifted by t takes off every multiple through this reflector.

#include "PickContext.h"

#include <vector>

namespace rovana::pick {

// Takes off the multiples through the reflector whose echo peaks at `at` (for the free
// end, the ringing of the free section on every deeper echo); without `keepEcho` the
// reflector's own echo goes as well. `echoes` holds the echoes without the noise, so the
// subtraction adds no noise. The multiples stay when taking them off would leave more
// below the reflector than there was; the reflector's own echo, measured, goes anyway.
void RemoveReflector(PickContext& c, const std::vector<float>& echoes, int at, bool keepEcho);

// The clear echoes from `from` on, at most eight, in time order, each one's multiples
// taken off before the next is looked for; their samples.
std::vector<int> TakeOffReflectors(PickContext& c, const std::vector<float>& echoes, int from);

} // namespace rovana::pick
