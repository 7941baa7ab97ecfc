// The model bolt behind the picker's test set: its ranges, its physics (echo polarity and
// arrival times), its visibility label, and the floor under the picker's accuracy on a
// small fixed set of model bolts (the full set runs in rovana-pick-bench).
#include "BoltModel.h"
#include "PickScore.h"
#include "PickerVersion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace rovana::boltmodel {
namespace {

TEST(BoltModelTest, SameSeedSameRecordOtherSeedOtherRecord)
{
    for (std::uint64_t seed : {1ULL, 77ULL, 1000001ULL}) {
        const ModelBolt a = MakeBolt(seed), b = MakeBolt(seed), c = MakeBolt(seed + 1);
        EXPECT_EQ(a.samples, b.samples) << seed;
        EXPECT_NE(a.samples, c.samples) << seed;
        EXPECT_EQ(a.samples.size(), static_cast<std::size_t>(a.parameters.sampleCount));
    }
}

TEST(BoltModelTest, DrawsWithinTheStatedRanges)
{
    for (std::uint64_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE(seed);
        const BoltParameters p = DrawBolt(seed);
        EXPECT_TRUE(p.length >= 1.5 && p.length <= 12.0) << p.length;
        EXPECT_TRUE(p.freeLength >= 0.2 && p.freeLength <= std::min(1.5, 0.4 * p.length));
        EXPECT_TRUE(p.waveSpeed >= 3000 && p.waveSpeed <= 5500);
        EXPECT_TRUE(p.sampleInterval == 2 || p.sampleInterval == 5 || p.sampleInterval == 10);
        EXPECT_TRUE(p.sampleCount == 1024 || p.sampleCount == 2048);
        EXPECT_TRUE(p.blowMs >= 0.1 && p.blowMs <= 0.4);
        EXPECT_TRUE(p.snrDb >= 10.0 && p.snrDb <= 35.0);
        EXPECT_TRUE(p.groutImpedance >= 1.5 && p.groutImpedance <= 3.0);
        // Design lengths within a tenth of the built ones, rounded to 0.1 m and 0.01 m.
        EXPECT_LE(std::abs(p.designLength - p.length), 0.1 * p.length + 0.05);
        EXPECT_LE(std::abs(p.designFreeLength - p.freeLength), 0.1 * p.freeLength + 0.005);
        // The bottom echo lies inside the record.
        const double roundTrip = 2.0 * p.length / p.waveSpeed / (p.sampleInterval * 1e-6);
        EXPECT_LT(p.blowStartSample + roundTrip, p.sampleCount) << p.sampleCount;
        for (const VoidSection& v : p.voids)
            EXPECT_TRUE(v.top > p.freeLength && v.bottom < p.length && v.top < v.bottom);
    }
}

// The sample near `at` (within `reach`) farthest from zero.
int ExtremeNear(const ModelBolt& b, double at, int reach)
{
    const int c = static_cast<int>(std::lround(at));
    int best = c;
    for (int i = std::max(0, c - reach); i <= std::min(c + reach, b.parameters.sampleCount - 1);
         ++i) {
        if (std::abs(b.samples[static_cast<std::size_t>(i)]) >
            std::abs(b.samples[static_cast<std::size_t>(best)]))
            best = i;
    }
    return best;
}

// Without noise, ringing, drift, hum and much loss, the record shows each impedance step
// where and as the physics says: the grout's start opposite to the blow, a void's top
// like it and its bottom opposite, the toe like the blow, each at the blow's peak plus
// the round trip.
TEST(BoltModelTest, EchoesArriveWhereAndAsTheStepsSay)
{
    struct Row
    {
        double length, freeLength, voidTop, voidBottom;
        int waveSpeed, interval;
    };
    const Row rows[] = {
        {6.0, 1.0, 0.0, 0.0, 4000, 10},
        {3.0, 0.5, 1.5, 2.0, 5000, 5},
        {9.0, 1.2, 4.0, 5.0, 3500, 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.length);
        BoltParameters p;
        p.length = row.length;
        p.freeLength = row.freeLength;
        p.waveSpeed = row.waveSpeed;
        p.sampleInterval = row.interval;
        p.sampleCount = 2048;
        p.blowMs = 0.15;
        p.groutImpedance = 2.0;
        p.leakBase = 0.002;
        p.leakPerKHz = 0.001;
        p.toeReflection = 0.9;
        p.snrDb = 300.0;
        p.highPassHz = 10.0;
        if (row.voidTop > 0.0)
            p.voids.push_back({row.voidTop, row.voidBottom, 1.0});
        const ModelBolt b = Synthesize(p);
        const double perMetre = 2.0 / p.waveSpeed / (p.sampleInterval * 1e-6);
        const int reach = static_cast<int>(b.truth.pulseSamples / 4);
        const auto sign = [&](double at) {
            return b.samples[static_cast<std::size_t>(ExtremeNear(b, at, reach))] > 0 ? 1 : -1;
        };
        ASSERT_GT(b.samples[static_cast<std::size_t>(b.truth.end)], 0);
        EXPECT_EQ(sign(b.truth.freeEnd), -1);
        EXPECT_EQ(sign(b.truth.bottom), 1);
        EXPECT_NEAR(ExtremeNear(b, b.truth.bottom, reach), b.truth.bottom, 2.0);
        if (row.voidTop > 0.0) {
            EXPECT_EQ(sign(b.truth.end + row.voidTop * perMetre), 1);
            EXPECT_EQ(sign(b.truth.end + row.voidBottom * perMetre), -1);
        }
    }
}

// The visibility label follows the noise: 20 dB more noise, a tenth of the ratio.
TEST(BoltModelTest, VisibilityScalesWithTheNoise)
{
    for (std::uint64_t seed : {3ULL, 30ULL, 300ULL}) {
        BoltParameters p = DrawBolt(seed);
        p.snrDb = 35.0;
        const BoltTruth quiet = Synthesize(p).truth;
        p.snrDb = 15.0;
        const BoltTruth noisy = Synthesize(p).truth;
        EXPECT_NEAR(noisy.bottomSnr / quiet.bottomSnr, 0.1, 1e-6) << seed;
        EXPECT_NEAR(noisy.freeEndSnr / quiet.freeEndSnr, 0.1, 1e-6) << seed;
        EXPECT_EQ(noisy.bottomVisible, noisy.bottomSnr >= kVisibleSnr);
    }
}

// A floor under the picker on 200 model bolts that neither the tuning (1..) nor the
// held-out seeds (1000001..) of the benchmark use. The goals are those of the benchmark;
// the floors leave room for the scatter of a small set.
TEST(PickAccuracyTest, FloorOnASmallFixedSet)
{
    const PickTally t = ScoreSeeds(500001, 200);
    SCOPED_TRACE(FormatTally(t));
    ASSERT_GE(t.visibleBottoms, 100);
    ASSERT_GE(t.lostBottoms, 20);
    EXPECT_GE(Percent(t.bottomsWithin3, t.visibleBottoms), 90.0);
    EXPECT_LE(Percent(t.visibleBottomsLost, t.visibleBottoms), 6.0);
    // Bottoms the labels call lost: said lost, or found within 3 % all the same (the
    // issue's measure), and another echo taken for them rarely.
    EXPECT_GE(Percent(t.lostBottomsReported + t.lostBottomsWithin3, t.lostBottoms), 85.0);
    EXPECT_LE(Percent(t.lostBottomsWrong, t.lostBottoms), 5.0);
    EXPECT_GE(Percent(t.freeEndsWithin, t.visibleFreeEnds), 92.0);
    EXPECT_GE(Percent(t.voidsFound, t.visibleVoids), 70.0);
    EXPECT_LE(static_cast<double>(t.falseDefects) / t.bolts, 0.1);
}

// The confidences mean what they say on small fixed sets of both models (the layered one
// the weights were fitted on, at other seeds, and the wave model they never saw): in
// every tenth with at least 30 picks the share right is within 10 points of the mean
// confidence (the benchmark's goal is 5 points on its thousands of bolts), sure picks
// (0.9 and more) are right at least 9 times in 10, and the wave model's false voids stay
// rare. The full sets run in rovana-pick-bench.
TEST(PickAccuracyTest, CalibrationOnSmallFixedSetsOfBothModels)
{
    const PickTally layered = ScoreSeeds(500001, 200, Model::Layered);
    const PickTally wave = ScoreSeeds(500001, 120, Model::Wave);
    PickTally both = layered;
    both += wave;
    SCOPED_TRACE(FormatGoals(wave) + FormatReliability("bottoms", both.bottoms) +
                 FormatReliability("free ends", both.freeEnds) +
                 FormatReliability("defects", both.voids));
    for (const Reliability* r : {&both.bottoms, &both.freeEnds, &both.voids}) {
        EXPECT_LE(r->WorstGap(30), 0.10);
        EXPECT_GE(r->Total(), 30);
    }
    for (const PickTally* t : {&layered, &wave}) {
        EXPECT_GE(Percent(t->sureBottoms - t->sureBottomsWrong, t->sureBottoms), 90.0);
        EXPECT_GE(Percent(t->sureFreeEnds - t->sureFreeEndsWrong, t->sureFreeEnds), 90.0);
    }
    EXPECT_LE(300.0 * wave.falseDefectsSound / std::max(1, wave.soundBolts), 30.0);
}

// Every bit of what the picker says of 200 model bolts, folded into one number. The
// picker's shortcuts keep its results to the bit, which the accuracy floor above cannot
// see; a change that moves a bit on purpose is checked with rovana-pick-bench
// --accuracy-only and `rovana-cli pick` over a model set, and then changes this number.
TEST(PickAccuracyTest, ResultsToTheBitOnASmallFixedSet)
{
    constexpr std::uint64_t kDigest = 1984540725325186624ULL;
    // The digest belongs to one version of the picker: whoever moves it raises the version
    // with it, or the site's suggestion cache would keep serving the old picks.
    static_assert(pick::kPickerVersion == 1, "the digest above is picker version 1's");
    std::uint64_t digest = 14695981039346656037ULL; // FNV-1a
    const auto fold = [&](std::uint64_t v) {
        for (int byte = 0; byte < 8; ++byte) {
            digest ^= (v >> (8 * byte)) & 0xffu;
            digest *= 1099511628211ULL;
        }
    };
    const auto foldEcho = [&](const std::optional<pick::PickedEcho>& e) {
        fold(e ? 1u : 0u);
        if (e) {
            fold(static_cast<std::uint64_t>(e->sample));
            fold(std::bit_cast<std::uint64_t>(e->confidence));
            fold(std::bit_cast<std::uint64_t>(e->snr));
        }
    };
    for (std::uint64_t seed = 500001; seed < 500201; ++seed) {
        const pick::PickResult r = pick::PickEchoes(InputOf(MakeBolt(seed)));
        foldEcho(r.end);
        foldEcho(r.freeEnd);
        foldEcho(r.bottom);
        fold(r.defects.size());
        for (const pick::PickedDefect& d : r.defects) {
            foldEcho(d.start);
            foldEcho(d.end);
        }
        for (const pick::PickReason reason : r.reasons)
            fold(static_cast<std::uint64_t>(reason));
        foldEcho(r.withheldFreeEnd);
        foldEcho(r.withheldBottom);
        for (const pick::PickedDefect& d : r.withheldDefects) {
            foldEcho(d.start);
            foldEcho(d.end);
        }
        fold(std::bit_cast<std::uint64_t>(r.noiseLevel));
    }
    EXPECT_EQ(digest, kDigest);
}

} // namespace
} // namespace rovana::boltmodel
