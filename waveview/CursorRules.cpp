#include "CursorRules.h"

#include "MarkerRules.h"
#include "TestRecord.h"
#include "ViewCommands.h"

#include <cstdint>
#include <limits>

namespace rovana::wave {

namespace {

constexpr int kLastCursor = 2048; // the right key stops here
constexpr int kAmplitudeStep = 50;
constexpr int kSmallestReducible = 100; // the up key works from this maximum amplitude on

} // namespace

int CursorFromClick(int x, const WaveInput& state)
{
    if (state.sampleCount == 512 && (x & 1) != 0)
        x += 1;
    if (!state.compress)
        return x;
    const float f = CompressFactor(state);
    // f is 0 only without a sampling interval; the click then counts one pixel per sample.
    return f != 0.0f ? TruncToInt(x / static_cast<double>(f)) : x;
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

} // namespace rovana::wave
