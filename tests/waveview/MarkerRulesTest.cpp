// Cursor, keys, automatic placement and the marker commands' follow-up as plain functions.
#include "MarkerRules.h"
#include "TestRecord.h"
#include "ViewCommands.h"

#include <gtest/gtest.h>

#include <climits>

namespace rovana::wave {
namespace {

constexpr float kLengthTolerance = 1e-5f; // metres

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

void Set(WaveInput& s, int marker, int pos)
{
    s.markerSet[marker] = 1;
    s.markerPos[marker] = pos;
}

PanelUpdate Command(WaveInput& s, int marker, int cursor)
{
    s.cursorShown = 1;
    s.cursor = cursor;
    return RunMarkerCommand(marker, s);
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

TEST(Placement, BottomAndFreeEndFromTheDesign)
{
    WaveInput s = State(1024, 10, 3500, 0.7f);
    Set(s, kMarkerEnd, 20);
    ASSERT_TRUE(PlaceBottomFromDesign(s));
    EXPECT_EQ(s.markerPos[kMarkerBottom], 220); // 200 samples = 3.5 m: no correction
    EXPECT_EQ(s.markerSet[kMarkerBottom], 1);
    // 0.7 m: trunc(39.9999993 + 20) = 59 reads 0.68 m; one step up gives 60 (0.69 m).
    EXPECT_EQ(PlacementPosition(1, 0.7f, 35000, 20), 59);
    ASSERT_TRUE(PlaceFreeEndFromDesign(s));
    EXPECT_EQ(s.markerPos[kMarkerFreeEnd], 60);

    // 512 samples: twice the offset (420 reads 7 m), then one step of 2 back.
    WaveInput h = State(512);
    Set(h, kMarkerEnd, 20);
    ASSERT_TRUE(PlaceBottomFromDesign(h));
    EXPECT_EQ(h.markerPos[kMarkerBottom], 418);
}

TEST(Placement, NoIntervalOrNoWaveSpeedPlacesNothing)
{
    for (const auto& [dt, v] : {std::pair{0, 3500}, std::pair{10, 0}}) {
        WaveInput s = State(1024, dt, v);
        const PanelUpdate update = Command(s, kMarkerEnd, 20);
        EXPECT_EQ(s.markerSet[kMarkerEnd], 1);
        EXPECT_EQ(s.markerSet[kMarkerBottom] + s.markerSet[kMarkerFreeEnd], 0);
        EXPECT_FALSE(update.resetGrade || update.pushLengths);
    }
    WaveInput zero = State(1024, 10, 3500, 0.0f); // design length 0: onto the end marker
    Set(zero, kMarkerEnd, 20);
    ASSERT_TRUE(PlaceFreeEndFromDesign(zero));
    EXPECT_EQ(zero.markerPos[kMarkerFreeEnd], 20);
}

TEST(Commands, EndAloneSetsBottomAndFreeEndAndGradesA)
{
    WaveInput s = State();
    const PanelUpdate update = Command(s, kMarkerEnd, 20);
    EXPECT_EQ(s.cursorShown, 0);
    EXPECT_EQ(s.markerPos[kMarkerBottom], 220);
    // 0.5 m: 48 reads 0.48 m (0.49 in float lies just below), one step up gives 49.
    EXPECT_EQ(s.markerPos[kMarkerFreeEnd], 49);
    EXPECT_TRUE(update.resetGrade && update.pushLengths);
    EXPECT_EQ(update.total, 3.5f);
    EXPECT_NEAR(update.anchored, 3.5f - 0.50f, kLengthTolerance);
    EXPECT_EQ(LengthsToKeep(s).freeLength, 0.50f);
}

TEST(Commands, EndWithBottomSetUsesTheStoredFreeEnd)
{
    WaveInput s = State();
    Set(s, kMarkerBottom, 220);
    s.markerPos[kMarkerFreeEnd] = 60; // not set, still counts for L0
    s.scroll = 10;                    // markers land at cursor + scroll
    const PanelUpdate update = Command(s, kMarkerEnd, 10);
    EXPECT_EQ(s.markerPos[kMarkerEnd], 20);
    EXPECT_EQ(s.markerSet[kMarkerFreeEnd], 0);
    EXPECT_TRUE(update.resetGrade);
    EXPECT_NEAR(update.anchored, 3.5f - 0.69f, kLengthTolerance);
    EXPECT_FALSE(LengthsToKeep(s).valid); // nothing kept without the free end
}

TEST(Commands, BottomFollowUpAndHiddenCursor)
{
    WaveInput s = State();
    EXPECT_FALSE(Command(s, kMarkerBottom, 220).pushLengths); // no end: no follow-up
    EXPECT_EQ(s.markerSet[kMarkerFreeEnd], 0);
    Set(s, kMarkerEnd, 20);
    s.cursor = 500; // hidden: the bottom stays, only the follow-up runs
    const PanelUpdate update = RunMarkerCommand(kMarkerBottom, s);
    EXPECT_EQ(s.markerPos[kMarkerBottom], 220);
    EXPECT_EQ(s.markerSet[kMarkerFreeEnd], 1);
    EXPECT_TRUE(update.pushLengths);
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
