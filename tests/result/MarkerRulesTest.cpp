// The marker rules of a channel: placement by the design lengths, the commands' follow-up,
// clearing, and the length rule they measure with.
#include "Lengths.h"
#include "MarkerRules.h"

#include <gtest/gtest.h>

namespace rovana {
namespace {

// n samples at dt µs and v m/s, design lengths 3.5 m and L0.
PlacementBasis Basis(int n = 1024, int dt = 10, int v = 3500, float L0 = 0.5f)
{
    return {n, dt, v, 3.5f, L0};
}

ChannelMarks With(std::initializer_list<std::pair<int, int>> markers)
{
    ChannelMarks m;
    for (const auto& [marker, pos] : markers) {
        m.set[static_cast<std::size_t>(marker)] = true;
        m.pos[static_cast<std::size_t>(marker)] = pos;
    }
    return m;
}

TEST(LengthRule, KnownAnswersAndTheCentimetreCut)
{
    // 200 samples at 10 µs and 3500 m/s: exactly 3.5 m (not 3.4999998 as float steps give).
    EXPECT_EQ(MarkerLength(220, 20, 10, 3500), 3.5f);
    EXPECT_EQ(MarkerLength(20, 220, 10, 3500), -3.5f);
    // 0.7f is 0.69999999: cut, it is 0.69 (the product taken in double); 0.75 is exact.
    EXPECT_EQ(TruncToCentimetres(0.7f), 0.69f);
    EXPECT_EQ(TruncToCentimetres(0.75f), 0.75f);
    EXPECT_EQ(TruncToCentimetres(-0.6999f), -0.69f); // toward zero
    const auto l = LengthsOf(20, 60, 220, 10, 3500);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->total, 3.5f);
    EXPECT_EQ(l->free, 0.69f);
    EXPECT_EQ(l->anchored, 3.5f - 0.69f);
    EXPECT_EQ(LengthsOf(20, std::nullopt, 220, 10, 3500)->anchored, 3.5f); // no free end
    EXPECT_FALSE(LengthsOf(std::nullopt, 60, 220, 10, 3500));
    EXPECT_FALSE(LengthsOf(20, 60, std::nullopt, 10, 3500));
    // The inverse gives the speed back.
    EXPECT_DOUBLE_EQ(*SpeedForLength(200, 10, 3.5), 3500.0);
    EXPECT_FALSE(SpeedForLength(0, 10, 3.5));
    EXPECT_FALSE(SpeedForLength(200, 10, 0.0));
}

TEST(Placement, BottomAndFreeEndFromTheDesign)
{
    ChannelMarks s = With({{kMarkerEnd, 20}});
    ASSERT_TRUE(PlaceBottomFromDesign(s, Basis(1024, 10, 3500, 0.7f)));
    EXPECT_EQ(s.pos[kMarkerBottom], 220); // 200 samples = 3.5 m: no correction
    EXPECT_TRUE(s.ByRule(kMarkerBottom));
    // 0.7 m: trunc(39.9999993 + 20) = 59 reads 0.68 m; one step up gives 60 (0.69 m).
    EXPECT_EQ(PlacementPosition(1, 0.7f, 35000, 20), 59);
    ASSERT_TRUE(PlaceFreeEndFromDesign(s, Basis(1024, 10, 3500, 0.7f)));
    EXPECT_EQ(s.pos[kMarkerFreeEnd], 60);
    EXPECT_TRUE(s.ByRule(kMarkerFreeEnd));

    // 512 samples: twice the offset (420 reads 7 m), then one step of 2 back.
    ChannelMarks h = With({{kMarkerEnd, 20}});
    ASSERT_TRUE(PlaceBottomFromDesign(h, Basis(512)));
    EXPECT_EQ(h.pos[kMarkerBottom], 418);
}

TEST(Placement, TheLengthMatchThresholdAndTheUpwardCorrection)
{
    // One sample is 0.0175 m (10 µs, 3500 m/s). A design 0.0577 sample past 200 samples
    // first lands on 200 (3.5 m): 0.00101 m short is corrected one step up, 0.00099 m
    // short is close enough; a design on a whole sample needs nothing.
    const struct
    {
        float design;
        int bottom;
    } rows[] = {{3.5f, 220}, {3.50099f, 220}, {3.50101f, 221}, {3.5174f, 221}};
    for (const auto& r : rows) {
        ChannelMarks s = With({{kMarkerEnd, 20}});
        ASSERT_TRUE(PlaceBottomFromDesign(s, {1024, 10, 3500, r.design, 0.0f}));
        EXPECT_EQ(s.pos[kMarkerBottom], r.bottom) << r.design;
    }
}

TEST(Placement, NoIntervalOrNoWaveSpeedPlacesNothing)
{
    for (const auto& [dt, v] : {std::pair{0, 3500}, std::pair{10, 0}}) {
        ChannelMarks s;
        const MarkerOutcome outcome = ApplyMarker(s, kMarkerEnd, 20, Basis(1024, dt, v));
        EXPECT_TRUE(s.IsSet(kMarkerEnd));
        EXPECT_FALSE(s.IsSet(kMarkerBottom) || s.IsSet(kMarkerFreeEnd));
        EXPECT_FALSE(outcome.gradeReset);
    }
    ChannelMarks zero = With({{kMarkerEnd, 20}}); // design length 0: onto the end marker
    ASSERT_TRUE(PlaceFreeEndFromDesign(zero, Basis(1024, 10, 3500, 0.0f)));
    EXPECT_EQ(zero.pos[kMarkerFreeEnd], 20);
}

TEST(Commands, EndAloneSetsBottomAndFreeEndByTheRuleAndGradesA)
{
    ChannelMarks s;
    const MarkerOutcome outcome = ApplyMarker(s, kMarkerEnd, 20, Basis());
    EXPECT_EQ(s.pos[kMarkerBottom], 220);
    // 0.5 m: 48 reads 0.48 m (0.49 in float lies just below), one step up gives 49.
    EXPECT_EQ(s.pos[kMarkerFreeEnd], 49);
    EXPECT_TRUE(outcome.gradeReset && outcome.bottomFromDesign);
    EXPECT_EQ(s.grade, 0);
    EXPECT_TRUE(s.ByRule(kMarkerBottom) && s.ByRule(kMarkerFreeEnd));
    EXPECT_FALSE(s.Measured()); // a bottom by rule is no measurement
}

TEST(Commands, TheEngineersBottomMakesItAMeasurementTheSameSpotIncluded)
{
    ChannelMarks s;
    ApplyMarker(s, kMarkerEnd, 20, Basis());
    ChannelMarks confirmed = s;
    ApplyMarker(confirmed, kMarkerBottom, 220, Basis()); // the same spot
    EXPECT_TRUE(confirmed.Measured());
    EXPECT_EQ(confirmed.pos[kMarkerBottom], 220);
    EXPECT_TRUE(confirmed.ByRule(kMarkerFreeEnd)); // the free end stays as the rule put it
    ChannelMarks hidden = s;
    ApplyMarker(hidden, kMarkerBottom, std::nullopt, Basis()); // no cursor: confirmed in place
    EXPECT_TRUE(hidden.Measured());
}

TEST(Commands, AFreeEndTheEngineerSetIsNeverMovedByALaterBottom)
{
    ChannelMarks s = With({{kMarkerEnd, 20}, {kMarkerFreeEnd, 77}});
    const MarkerOutcome outcome = ApplyMarker(s, kMarkerBottom, 300, Basis());
    EXPECT_EQ(s.pos[kMarkerFreeEnd], 77);
    EXPECT_FALSE(s.ByRule(kMarkerFreeEnd));
    EXPECT_TRUE(outcome.gradeReset);
    // An end with a free end but no bottom waits for the bottom: nothing placed.
    ChannelMarks w = With({{kMarkerFreeEnd, 77}});
    EXPECT_FALSE(ApplyMarker(w, kMarkerEnd, 20, Basis()).gradeReset);
    EXPECT_FALSE(w.IsSet(kMarkerBottom));
}

TEST(Commands, BottomWithoutEndHasNoFollowUp)
{
    ChannelMarks s;
    EXPECT_FALSE(ApplyMarker(s, kMarkerBottom, 220, Basis()).gradeReset);
    EXPECT_FALSE(s.IsSet(kMarkerFreeEnd));
    EXPECT_EQ(s.grade, -1);
}

TEST(Commands, ADefectPastTheBottomIsRefusedOnTheLineAccepted)
{
    const ChannelMarks start = With({{kMarkerEnd, 20}, {kMarkerBottom, 220}});
    for (const auto& [pos, refused] : {std::pair{221, true}, std::pair{220, false}}) {
        ChannelMarks s = start;
        const MarkerOutcome outcome = ApplyMarker(s, kMarkerDefectStart, pos, Basis());
        EXPECT_EQ(outcome.refusal == kDefectPastBottom, refused) << pos;
        EXPECT_EQ(s.IsSet(kMarkerDefectStart), !refused) << pos;
    }
}

TEST(Commands, ClearKeepsTheGrade)
{
    ChannelMarks s = With({{kMarkerEnd, 20}, {kMarkerBottom, 220}});
    s.grade = 2;
    s.byRule[kMarkerBottom] = true;
    ClearMarks(s);
    ChannelMarks expected;
    expected.grade = 2;
    EXPECT_EQ(s, expected);
}

} // namespace
} // namespace rovana
