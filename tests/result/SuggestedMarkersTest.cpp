// The suggested markers of a record's channel: the channel's own samples and settings go
// in, the lengths follow the program's rules, and every missing marker has its reason.
#include "SuggestedMarkers.h"
#include "BoltModel.h"
#include "BoltResult.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace rovana {
namespace {

using boltmodel::BoltParameters;
using boltmodel::ModelBolt;

// A bolt of the given length with a clear bottom, recorded at 10 us and 4000 m/s.
ModelBolt ClearBolt(double length, std::uint64_t noiseSeed)
{
    BoltParameters p;
    p.length = length;
    p.freeLength = 0.8;
    p.designLength = length;
    p.designFreeLength = 0.8;
    p.waveSpeed = 4000;
    p.sampleInterval = 10;
    p.sampleCount = 2048;
    p.blowMs = 0.2;
    p.leakBase = 0.01;
    p.leakPerKHz = 0.005;
    p.snrDb = 30.0;
    p.noiseSeed = noiseSeed;
    return boltmodel::Synthesize(p);
}

// Three channels of three different bolts: 4, 6 and 8 m.
TestRecord ThreeBolts()
{
    TestRecord r;
    r.m_nSampleInterval = 10;
    r.m_nWaveSpeed = 4000;
    r.m_nSampleCount = 2048;
    r.m_fDesignLength = 6.0f;
    r.m_fDesignL0 = 0.8f;
    for (int c = 0; c < kChannelCount; ++c) {
        const ModelBolt b = ClearBolt(4.0 + 2.0 * c, 10 + static_cast<std::uint64_t>(c));
        std::copy(b.samples.begin(), b.samples.end(),
                  r.m_nSamples[static_cast<std::size_t>(c)].begin());
    }
    return r;
}

TEST(SuggestedMarkersTest, EachChannelItsOwnBoltAndTheProgramsLengthRules)
{
    const TestRecord r = ThreeBolts();
    for (int c = 0; c < kChannelCount; ++c) {
        SCOPED_TRACE(c);
        const SuggestedMarkers s = SuggestMarkers(r, c);
        EXPECT_EQ(s.channel, c);
        ASSERT_TRUE(s.pick.end && s.pick.freeEnd && s.pick.bottom);
        ASSERT_TRUE(s.length && s.freeLength && s.anchorLength);
        EXPECT_NEAR(*s.length, 4.0 + 2.0 * c, 0.03 * (4.0 + 2.0 * c));
        EXPECT_NEAR(*s.freeLength, 0.8, 0.1);
        // L uncut as the screen shows it, L0 cut to centimetres, Lr = L - L0.
        const int e = s.pick.end->sample, b = s.pick.bottom->sample, f = s.pick.freeEnd->sample;
        const float u = static_cast<float>(r.m_nSampleInterval / 1000000.0);
        EXPECT_EQ(*s.length, static_cast<float>(static_cast<double>(u) * (b - e) * 4000 * 0.5));
        EXPECT_EQ(*s.freeLength, MarkerDistance(r, f, e));
        EXPECT_EQ(*s.anchorLength, *s.length - *s.freeLength);
        EXPECT_TRUE(s.reasons.isEmpty()) << s.reasons.join(",").toStdString();
    }
}

TEST(SuggestedMarkersTest, MissingMarkersSayWhy)
{
    const TestRecord good = ThreeBolts();
    TestRecord noInterval = good;
    noInterval.m_nSampleInterval = 0;
    TestRecord silent = good;
    silent.m_nSamples[1].fill(0);
    TestRecord empty = good;
    empty.m_nSampleCount = 0;
    TestRecord noBottom = good;
    {
        BoltParameters p = ClearBolt(6.0, 1).parameters;
        p.toeReflection = 0.0; // the toe sends nothing back
        const ModelBolt b = boltmodel::Synthesize(p);
        std::copy(b.samples.begin(), b.samples.end(), noBottom.m_nSamples[1].begin());
    }
    struct Row
    {
        const char* name;
        const TestRecord& record;
        int channel;
        QStringList reasons;
        bool end;
    };
    const Row rows[] = {
        // The header's own reason first: no instrument records at 0 µs.
        {"no sampling interval",
         noInterval,
         1,
         {"采样间隔 0 µs 超出仪器范围（1–1000 µs）", "采样间隔或波速无效"},
         true},
        {"silent channel", silent, 1, {"未找到敲击信号"}, false},
        {"no samples", empty, 1, {"未找到敲击信号"}, false},
        {"toe sends nothing back", noBottom, 1, {"底部反射不明显"}, true},
        {"channel 3", good, 3, {"通道不存在"}, false},
        {"channel -1", good, -1, {"通道不存在"}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const SuggestedMarkers s = SuggestMarkers(row.record, row.channel);
        EXPECT_EQ(s.reasons, row.reasons);
        EXPECT_EQ(s.pick.end.has_value(), row.end);
        EXPECT_FALSE(s.pick.bottom || s.length || s.anchorLength);
    }
}

TEST(SuggestedMarkersTest, ReasonTexts)
{
    using pick::PickReason;
    EXPECT_EQ(PickReasonText(PickReason::BottomNotClear), QStringLiteral("底部反射不明显"));
    EXPECT_EQ(PickReasonText(PickReason::FreeEndNotClear), QStringLiteral("自由端不明显"));
    EXPECT_EQ(PickReasonText(PickReason::NoBlow), QStringLiteral("未找到敲击信号"));
    EXPECT_EQ(PickReasonText(PickReason::NoTimeBase), QStringLiteral("采样间隔或波速无效"));
    EXPECT_EQ(PickReasonText(PickReason::SuspectedMultiple), QStringLiteral("疑似自由段多次反射"));
    EXPECT_TRUE(PickReasonText(PickReason::None).isEmpty());
}

// The check behind the summary's "请复核": the report channel's saved L is confirmed when
// the picker offers a bottom within 5 % of it (the summary's one tolerance), and only then;
// a saved bottom not confirmed asks for review.
TEST(SuggestedMarkersTest, SavedBottomConfirmedOnlyWhereThePickerOffersOne)
{
    const TestRecord good = ThreeBolts();
    const SuggestedMarkers s = SuggestMarkers(good, 1); // a clear 6 m bolt
    ASSERT_TRUE(s.length && s.freeLength && s.pick.end && s.pick.freeEnd && s.pick.bottom);
    // A record saved with the report channel 1 and its bottom `share` of the picked length
    // from the end (lengths are what the markers measure).
    const int end = s.pick.end->sample;
    const int span = s.pick.bottom->sample - end;
    const auto saved = [&](const TestRecord& base, int bottom) {
        TestRecord r = base;
        r.m_nReportChannel = 1;
        r.m_nMarkedChannels = 1;
        r.m_nMarkers[1] = {end, s.pick.freeEnd->sample, bottom, 0, 0};
        return r;
    };
    const int picked = s.pick.bottom->sample;
    const int under5 = end + static_cast<int>(std::floor(span * 1.049)); // at most 4.9 % long
    const int over5 = end + static_cast<int>(std::ceil(span * 1.051));   // at least 5.1 % long
    const int short10 = end + static_cast<int>(std::lround(span * 0.9));
    TestRecord noBottom = good;
    {
        BoltParameters p = ClearBolt(6.0, 1).parameters;
        p.toeReflection = 0.0;
        const ModelBolt b = boltmodel::Synthesize(p);
        std::copy(b.samples.begin(), b.samples.end(), noBottom.m_nSamples[1].begin());
    }
    TestRecord unsaved = good;
    unsaved.m_nReportChannel = 1;
    struct Row
    {
        const char* name;
        TestRecord record;
        bool saved, confirmed;
    };
    const Row rows[] = {
        {"saved where the picker sees the bottom", saved(good, picked), true, true},
        {"saved at most 4.9 % long", saved(good, under5), true, true},
        {"saved at least 5.1 % long", saved(good, over5), true, false},
        {"saved 10 % short", saved(good, short10), true, false},
        {"nothing saved", unsaved, false, false},
        {"saved where the toe sends nothing back", saved(noBottom, picked), true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const SavedBottomCheck check = CheckSavedBottom(row.record);
        EXPECT_EQ(check.saved, row.saved);
        EXPECT_EQ(check.confirmed, row.confirmed);
        EXPECT_EQ(check.review, row.saved && !row.confirmed);
        // The length the summary shows is the view's, saved or not.
        EXPECT_EQ(check.suggestedLength, SuggestMarkers(row.record, 1).length);
    }
    const SavedBottomCheck lost = CheckSavedBottom(rows[5].record);
    EXPECT_FALSE(lost.suggestedLength.has_value());
    EXPECT_TRUE(lost.reasons.contains(QStringLiteral("底部反射不明显")) ||
                lost.reasons.contains(QStringLiteral("疑似自由段多次反射")))
        << lost.reasons.join(",").toStdString();
    EXPECT_EQ(CheckSavedBottom(rows[3].record).suggestedLength, s.length);
}

} // namespace
} // namespace rovana
