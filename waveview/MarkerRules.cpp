#include "MarkerRules.h"

#include "TestRecord.h"
#include "ViewCommands.h"

#include <cmath>
#include <limits>

namespace rovana::wave {

namespace {

// Expressions are evaluated in double and rounded only where a value is stored, as in the
// drawing computations.
constexpr double D(double value)
{
    return value;
}

constexpr int kLastCursor = 2048; // the right key stops here
constexpr int kAmplitudeStep = 50;
constexpr int kSmallestReducible = 100; // the up key works from this maximum amplitude on
constexpr double kLengthMatch = 0.001;  // metres: a placement this close needs no correction

std::int64_t IntervalTimesSpeed(const WaveInput& state)
{
    return static_cast<std::int64_t>(state.sampleInterval) * state.waveSpeed;
}

// Places `marker` at the position of `design` metres from the end marker, then corrects
// it once by k samples towards the design length as `measure` reads it.
template <typename Measure>
bool PlaceWithCorrection(WaveInput& state, int marker, float design, Measure measure)
{
    const std::int64_t dtv = IntervalTimesSpeed(state);
    if (dtv == 0)
        return false; // no sampling interval or no wave speed: no position to compute
    const int k = CursorStep(state.sampleCount);
    const std::int64_t end = state.markerPos[kMarkerEnd];
    int& pos = state.markerPos[marker];
    pos = PlacementPosition(k, design, dtv, end);
    const float found = measure(state);
    if (std::fabs(D(design) - D(found)) < kLengthMatch) {
        // close enough
    } else if (design > found) {
        pos = PlacementPosition(k, design, dtv, end + k);
    } else if (design < found) {
        pos = PlacementPosition(k, design, dtv, end - k);
    }
    state.markerSet[marker] = 1;
    return true;
}

PanelUpdate LengthsForPanel(const WaveInput& state)
{
    const MeasuredLengths lengths = Measure(state);
    PanelUpdate update;
    update.resetGrade = true;
    update.pushLengths = true;
    update.anchored = lengths.anchored;
    update.total = lengths.total;
    return update;
}

PanelUpdate AfterEnd(WaveInput& state)
{
    const int* set = state.markerSet;
    if (!set[kMarkerEnd])
        return {};
    if (set[kMarkerBottom])
        return LengthsForPanel(state);
    if (set[kMarkerFreeEnd])
        return {}; // free end without bottom: wait for the bottom
    if (!PlaceBottomFromDesign(state))
        return {}; // nothing placed: end and bottom are not both set
    PlaceFreeEndFromDesign(state);
    PanelUpdate update = LengthsForPanel(state);
    update.bottomFromDesign = true;
    return update;
}

PanelUpdate AfterBottom(WaveInput& state)
{
    const int* set = state.markerSet;
    if (set[kMarkerEnd] && !set[kMarkerFreeEnd])
        PlaceFreeEndFromDesign(state);
    if (set[kMarkerEnd] && set[kMarkerBottom])
        return LengthsForPanel(state);
    return {};
}

} // namespace

int CursorStep(int sampleCount)
{
    return sampleCount == 512 ? 2 : 1;
}

int CursorFromClick(int x, const WaveInput& state)
{
    if (state.sampleCount == 512 && (x & 1) != 0)
        x += 1;
    if (!state.compress)
        return x;
    const float f = CompressFactor(state);
    // f is 0 only without a sampling interval; the click then counts one pixel per sample.
    return f != 0.0f ? TruncToInt(x / D(f)) : x;
}

bool ApplyKey(int key, WaveInput& state)
{
    const int k = CursorStep(state.sampleCount);
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT: {
        const std::int64_t next =
            static_cast<std::int64_t>(state.cursor) + (key == VK_LEFT ? -k : k);
        if (next >= 0 && next <= kLastCursor) {
            state.cursor = static_cast<int>(next);
            state.cursorShown = 1;
        }
        return true;
    }
    case VK_UP:
        if (state.maxAmplitude >= kSmallestReducible)
            state.maxAmplitude -= kAmplitudeStep;
        return true;
    case VK_DOWN:
        // Stops short of the int range rather than wrapping round to a negative amplitude.
        if (state.maxAmplitude <= std::numeric_limits<int>::max() - kAmplitudeStep)
            state.maxAmplitude += kAmplitudeStep;
        return true;
    case VK_SPACE:
        state.magnify = 0;
        return true;
    default:
        return false;
    }
}

MeasuredLengths Measure(const WaveInput& state)
{
    MeasuredLengths lengths;
    lengths.total = BottomLength(state);
    lengths.freeLength = FreeEndLength(state);
    lengths.anchored = lengths.total - lengths.freeLength;
    return lengths;
}

int PlacementPosition(int k, float length, std::int64_t intervalTimesSpeed, std::int64_t start)
{
    const double samples = D(k) * 2000000.0 * D(length) / D(intervalTimesSpeed);
    return TruncToInt(samples + D(start));
}

bool PlaceBottomFromDesign(WaveInput& state)
{
    return PlaceWithCorrection(state, kMarkerBottom, state.designLength,
                               [](const WaveInput& s) { return BottomLength(s); });
}

bool PlaceFreeEndFromDesign(WaveInput& state)
{
    return PlaceWithCorrection(state, kMarkerFreeEnd, state.designL0,
                               [](const WaveInput& s) { return FreeEndLength(s); });
}

int MagnifyOfChoice(int index)
{
    constexpr int kGains[4] = {5, 10, 20, 40};
    return index >= 1 && index <= 4 ? kGains[index - 1] : 0;
}

int MarkerOfCommand(int command)
{
    switch (command) {
    case ID_MARKER_END:
        return kMarkerEnd;
    case ID_MARKER_FREEEND:
        return kMarkerFreeEnd;
    case ID_MARKER_BOTTOM:
        return kMarkerBottom;
    case ID_MARKER_DEFECTSTART:
        return kMarkerDefectStart;
    case ID_MARKER_DEFECTEND:
        return kMarkerDefectEnd;
    default:
        return -1;
    }
}

PanelUpdate RunMarkerCommand(int marker, WaveInput& state)
{
    if (marker < 0 || marker >= kMarkerCount)
        return {};
    if (state.cursorShown) {
        const int position = state.cursor + state.scroll;
        const bool defect = marker == kMarkerDefectStart || marker == kMarkerDefectEnd;
        if (defect && state.markerSet[kMarkerBottom] && position > state.markerPos[kMarkerBottom]) {
            PanelUpdate refused;
            refused.refusal = kDefectPastBottom;
            return refused;
        }
        state.cursorShown = 0;
        state.markerPos[marker] = position;
        state.markerSet[marker] = 1;
    }
    switch (marker) {
    case kMarkerEnd:
        return AfterEnd(state);
    case kMarkerBottom:
        return AfterBottom(state);
    default:
        return {};
    }
}

PanelUpdate ClearMarkers(WaveInput& state)
{
    state.cursorShown = 0;
    state.cursor = 0;
    for (int m = 0; m < kMarkerCount; ++m) {
        state.markerSet[m] = 0;
        state.markerPos[m] = 0;
    }
    PanelUpdate update;
    update.pushLengths = true;
    return update;
}

KeptLengths LengthsToKeep(const WaveInput& state)
{
    const int* set = state.markerSet;
    KeptLengths kept;
    if (!set[kMarkerFreeEnd] || !set[kMarkerEnd] || !set[kMarkerBottom])
        return kept;
    kept.valid = true;
    kept.freeLength = FreeEndLength(state);
    kept.anchored = BottomLength(state) - kept.freeLength;
    return kept;
}

} // namespace rovana::wave
