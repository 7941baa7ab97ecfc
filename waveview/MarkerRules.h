#pragma once

#include <QString>

#include "WaveGeometry.h"

#include <cstdint>

namespace rovana::wave {

// Cursor and marker rules of a channel view as plain functions on a WaveInput: the view
// gathers its state, a rule changes the cursor, marker and display fields of that value,
// and the view takes them back. Positions are sample indices into the channel; a marker
// counts only while its flag is set.

// Step k of the cursor keys and of automatic placement: records of exactly 512 samples
// are handled in double steps.
int CursorStep(int sampleCount);

// Cursor position of a click at client x: an odd x becomes x + 1 on a 512-sample record;
// under compression the position is trunc(x / f), f of the state.
int CursorFromClick(int x, const WaveInput& state);

// The effect of a key (VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_SPACE) on cursor, maximum
// amplitude or growing gain. The cursor stays within 0..2048; the maximum amplitude goes
// down by 50 only from 100 up. False for any other key.
bool ApplyKey(int key, WaveInput& state);

// L (bottom to end), L0 (free end to end, to centimetres; the stored free-end position is
// used even when that marker is not set) and Lr = L - L0, in metres.
struct MeasuredLengths
{
    float total = 0.0f;
    float freeLength = 0.0f;
    float anchored = 0.0f;
};
MeasuredLengths Measure(const WaveInput& state);

// trunc(k * 2 000 000 * X / (dt * v) + e) with X in metres and dt * v in µs * m/s; the
// position where a length X from start e lies.
int PlacementPosition(int k, float length, std::int64_t intervalTimesSpeed, std::int64_t start);

// Places the bottom (design length) or the free end (design free length) from the end
// marker, with one correction step of k samples when the length found differs from the
// design by 0.001 m or more, and sets the marker. With dt * v = 0 there is no position:
// nothing is placed and the result is false.
bool PlaceBottomFromDesign(WaveInput& state);
bool PlaceFreeEndFromDesign(WaveInput& state);

// What a marker command asks of the evaluation panel afterwards: grade A for the selected
// channel, and the lengths Lr and L for the view's channel.
struct PanelUpdate
{
    bool resetGrade = false;
    bool pushLengths = false;
    float anchored = 0.0f;         // Lr
    float total = 0.0f;            // L
    QString refusal;               // why the command placed nothing, for the user
    bool bottomFromDesign = false; // the bottom was placed by the design-length rule
};

// Said when a defect marker would lie past the bottom marker.
inline const QString kDefectPastBottom = QStringLiteral("缺陷位置不能超出锚杆底部，未设置缺陷标记");

// Growing gain of a choice of the magnification dialog: index 1..4 gives 5, 10, 20, 40;
// any other index (0, or -1 for no choice) switches the gain off.
int MagnifyOfChoice(int index);

// Marker index (kMarkerEnd .. kMarkerDefectEnd) of a marker command, -1 for any other.
int MarkerOfCommand(int command);

// A marker command: while the cursor is shown, the cursor is hidden and the marker set at
// cursor + scroll (a defect marker past a set bottom is refused: nothing changes and the
// update says why); then the follow-up of the end and bottom commands (automatic placement,
// grade A and lengths for the panel when end and bottom are set).
PanelUpdate RunMarkerCommand(int marker, WaveInput& state);

// Clear: cursor hidden, all five markers unset, cursor and positions 0; the panel gets
// lengths 0 and 0.
PanelUpdate ClearMarkers(WaveInput& state);

// The lengths a channel view keeps for saving: with free end, end and bottom set,
// L0 = free length and Lr = L - L0; otherwise nothing to keep.
struct KeptLengths
{
    bool valid = false;
    float freeLength = 0.0f;
    float anchored = 0.0f;
};
KeptLengths LengthsToKeep(const WaveInput& state);

} // namespace rovana::wave
