#pragma once

#include "WaveGeometry.h"

namespace rovana::wave {

// Cursor, key and gain rules of a channel view as plain functions on a WaveInput: the view
// gathers its state, a rule changes the cursor and display fields of that value, and the
// view takes them back. The marker rules themselves live with the test being edited
// (MarkerRules.h of the result library).

// Cursor position of a click at client x: an odd x becomes x + 1 on a 512-sample record;
// under compression the position is trunc(x / f), f of the state.
int CursorFromClick(int x, const WaveInput& state);

// The effect of a key (VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_SPACE) on cursor, maximum
// amplitude or growing gain. The cursor stays within 0..2048; the maximum amplitude goes
// down by 50 only from 100 up. False for any other key.
bool ApplyKey(int key, WaveInput& state);

// Growing gain of a choice of the magnification dialog: index 1..4 gives 5, 10, 20, 40;
// any other index (0, or -1 for no choice) switches the gain off.
int MagnifyOfChoice(int index);

// Marker index (kMarkerEnd .. kMarkerDefectEnd) of a marker command, -1 for any other.
int MarkerOfCommand(int command);

} // namespace rovana::wave
