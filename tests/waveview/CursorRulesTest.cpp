// Cursor, keys and gain as plain functions on a view's state.
#include "CursorRules.h"
#include "TestRecord.h"
#include "ViewCommands.h"

#include <gtest/gtest.h>

#include <climits>

namespace rovana::wave {
namespace {

// n samples at dt µs and v m/s, design lengths 3.5 m and L0, compression off, 1000 px.
WaveInput State(int n = 1024, int dt = 10, int v = 3500, float L0 = 0.5f)
{
    WaveInput s;
    s.width = 1000;
    s.compress = 0;
    s.sampleCount = n;
    s.sampleInterval = dt;
    s.waveSpeed = v;
    s.designLength = 3.5f;
    s.designL0 = L0;
    return s;
}

TEST(Cursor, ClickPositions)
{
    const struct
    {
        int n, compress, dt, x, cursor;
    } rows[] = {
        {512, 0, 10, 7, 8},     // odd x on 512 samples: x + 1
        {1024, 0, 10, 7, 7},    //
        {1000, 1, 5, 100, 204}, // f = 0.48828125: trunc(100 / f)
        {512, 1, 5, 7, 16},     // 8 / f = 16.384
        {1000, 1, 0, 30, 30},   // no sampling interval: f = 0, one pixel per sample
    };
    for (const auto& r : rows) {
        WaveInput s = State(r.n, r.dt);
        s.compress = r.compress;
        EXPECT_EQ(CursorFromClick(r.x, s), r.cursor) << r.n << " x " << r.x;
    }
}

TEST(Cursor, KeysMoveCursorAmplitudeAndGain)
{
    const struct
    {
        int n, key, before, after, shown;
    } cursorRows[] = {
        {1024, VK_LEFT, 5, 4, 1},        {1024, VK_LEFT, 0, 0, 0},
        {512, VK_LEFT, 5, 3, 1},         {512, VK_LEFT, 1, 1, 0},
        {1024, VK_RIGHT, 2047, 2048, 1}, {1024, VK_RIGHT, 2048, 2048, 0},
        {512, VK_RIGHT, 2047, 2047, 0},
    };
    for (const auto& r : cursorRows) {
        WaveInput s = State(r.n);
        s.cursor = r.before;
        EXPECT_TRUE(ApplyKey(r.key, s));
        EXPECT_EQ(s.cursor, r.after) << r.n << " key " << r.key << " from " << r.before;
        EXPECT_EQ(s.cursorShown, r.shown) << r.n << " key " << r.key << " from " << r.before;
    }
    const struct
    {
        int key, before, after;
    } amplitudeRows[] = {{VK_UP, 100, 50},
                         {VK_UP, 99, 99},
                         {VK_DOWN, 99, 149},
                         {VK_DOWN, INT_MAX - 10, INT_MAX - 10}}; // no wrap-around
    for (const auto& r : amplitudeRows) {
        WaveInput s = State();
        s.maxAmplitude = r.before;
        ApplyKey(r.key, s);
        EXPECT_EQ(s.maxAmplitude, r.after) << r.key << " from " << r.before;
    }
    WaveInput s = State();
    s.magnify = 40;
    ApplyKey(VK_SPACE, s);
    EXPECT_EQ(s.magnify, 0);
    EXPECT_FALSE(ApplyKey('A', s));
}

TEST(Commands, IdentifiersAndMagnifyChoices)
{
    const int markers[][2] = {{32829, kMarkerEnd},       {32830, kMarkerFreeEnd},
                              {32831, kMarkerBottom},    {32839, kMarkerDefectStart},
                              {32840, kMarkerDefectEnd}, {32818, -1}};
    for (const auto& [id, marker] : markers)
        EXPECT_EQ(MarkerOfCommand(id), marker) << id;
    const int gains[][2] = {{-1, 0}, {0, 0}, {1, 5}, {2, 10}, {3, 20}, {4, 40}, {5, 0}};
    for (const auto& [index, gain] : gains)
        EXPECT_EQ(MagnifyOfChoice(index), gain) << index;
}

} // namespace
} // namespace rovana::wave
