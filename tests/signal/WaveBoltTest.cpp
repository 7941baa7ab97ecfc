// The second model bolt, solved in time: its ranges, its physics (echo polarity and arrival
// times from the continuous profile), its labels, and that it stays bounded.
#include "WaveBolt.h"
#include "BoltModel.h"
#include "EchoPicker.h"
#include "LabelledBolt.h"
#include "WaveBoltSimulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace rovana::wavebolt {
namespace {

TEST(WaveBoltTest, SameSeedSameRecordOtherSeedOrBlowOtherRecord)
{
    for (std::uint64_t seed : {5ULL, 1000001ULL}) {
        const WaveBoltParameters p = DrawWaveBolt(seed);
        const auto a = SynthesizeWaveBolt(p), b = SynthesizeWaveBolt(p);
        EXPECT_EQ(a.samples, b.samples) << seed;
        EXPECT_EQ(a.samples.size(), static_cast<std::size_t>(p.sampleCount));
        EXPECT_NE(a.samples, SynthesizeWaveBolt(DrawWaveBolt(seed + 1)).samples) << seed;
        EXPECT_NE(a.samples, SynthesizeWaveBolt(p, 1).samples) << seed; // another blow
    }
}

TEST(WaveBoltTest, DrawsWithinTheStatedRanges)
{
    for (std::uint64_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE(seed);
        const WaveBoltParameters p = DrawWaveBolt(seed);
        EXPECT_TRUE(p.length >= 1.5 && p.length <= 12.0) << p.length;
        EXPECT_TRUE(p.freeLength >= 0.2 && p.freeLength <= std::min(1.5, 0.4 * p.length));
        EXPECT_TRUE(p.waveSpeed >= 3000 && p.waveSpeed <= 5500);
        EXPECT_TRUE(p.sampleInterval == 2 || p.sampleInterval == 5 || p.sampleInterval == 10);
        EXPECT_TRUE(p.sampleCount == 1024 || p.sampleCount == 2048);
        EXPECT_TRUE(p.contactMs >= 0.1 && p.contactMs <= 0.4);
        EXPECT_TRUE(p.snrDb >= 10.0 && p.snrDb <= 35.0);
        EXPECT_TRUE(p.groutImpedance >= 1.5 && p.groutImpedance <= 3.0);
        EXPECT_TRUE(p.toeReflection >= 0.4 && p.toeReflection <= 0.95);
        EXPECT_LE(p.nutDepth, 0.5 * p.freeLength);
        EXPECT_LE(std::abs(p.designLength - p.length), 0.1 * p.length + 0.05);
        EXPECT_LE(std::abs(p.designFreeLength - p.freeLength), 0.1 * p.freeLength + 0.005);
        const double roundTrip = 2.0 * p.length / p.waveSpeed / (p.sampleInterval * 1e-6);
        EXPECT_LT(p.blowStartSample + roundTrip, p.sampleCount);
        for (const Defect& d : p.defects) {
            EXPECT_TRUE(d.top > p.freeLength && d.bottom < p.length && d.top < d.bottom);
            EXPECT_TRUE(d.necking ? d.level >= 0.55 && d.level <= 0.85
                                  : d.level >= 1.0 && d.level <= 1.15);
        }
    }
}

// A quiet bolt with little loss: the lobe nearest each place the profile changes, its
// sign and where it peaks.
struct Lobe
{
    int at = 0;
    int sign = 0;
};

Lobe LobeNear(const std::vector<std::int16_t>& s, double at, int reach)
{
    const int c = static_cast<int>(std::lround(at));
    Lobe best{c, 0};
    for (int i = std::max(0, c - reach); i <= std::min(c + reach, static_cast<int>(s.size()) - 1);
         ++i) {
        if (std::abs(s[static_cast<std::size_t>(i)]) >
            std::abs(s[static_cast<std::size_t>(best.at)]))
            best.at = i;
    }
    best.sign = s[static_cast<std::size_t>(best.at)] > 0 ? 1 : -1;
    return best;
}

WaveBoltParameters Quiet(double length, double freeLength, int waveSpeed, int interval)
{
    WaveBoltParameters p = DrawWaveBolt(7);
    p.length = length;
    p.freeLength = freeLength;
    p.waveSpeed = waveSpeed;
    p.sampleInterval = interval;
    p.sampleCount = 2048;
    p.blowStartSample = 40;
    p.contactMs = 0.15;
    p.nutDepth = 0.05;
    p.nutMass = 0.05;
    p.plateMass = 0.3;
    p.nutKHz = 0.8;
    p.groutImpedance = 2.5;
    p.hold = 1.0;
    for (auto& w : p.holdWaves)
        w[0] = 0.0;
    p.groutTopRamp = 0.02;
    p.leakBase = 0.005;
    p.relaxation = 0.02;
    p.toeReflection = 0.9;
    p.defects.clear();
    p.snrDb = 300.0;
    p.pinkShare = p.humShare = p.driftShare = 0.0;
    p.highPassHz = 10.0;
    return p;
}

// The grout's top opposite to the blow, a void's top like it and its bottom opposite, a
// necking's top like it, the toe like the blow, each at the blow's peak plus its round
// trip.
TEST(WaveBoltTest, EchoesArriveWhereAndAsTheProfileSays)
{
    struct Row
    {
        double length, freeLength, top, bottom;
        bool necking;
        int waveSpeed, interval;
    };
    const Row rows[] = {
        {6.0, 1.0, 0.0, 0.0, false, 4000, 10},
        {4.0, 0.8, 2.0, 2.8, false, 5000, 5},
        {9.0, 1.2, 4.0, 5.0, true, 3500, 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.length);
        WaveBoltParameters p = Quiet(row.length, row.freeLength, row.waveSpeed, row.interval);
        if (row.top > 0.0)
            p.defects.push_back({row.top, row.bottom, row.necking, row.necking ? 0.6 : 1.0, 0.01});
        const boltmodel::LabelledBolt b = SynthesizeWaveBolt(p);
        const double perMetre = 2.0 / p.waveSpeed / (p.sampleInterval * 1e-6);
        const int reach = std::max(2, static_cast<int>(b.pulseMetres * perMetre / 4));
        ASSERT_GT(b.samples[static_cast<std::size_t>(b.end)], 0);
        EXPECT_EQ(LobeNear(b.samples, b.freeEndSample, reach).sign, -1);
        const Lobe toe = LobeNear(b.samples, b.bottomSample, reach);
        EXPECT_EQ(toe.sign, 1);
        // Within half the picker's 3 %: the toe's echo overlaps the multiples of a void above it.
        EXPECT_NEAR(toe.at, b.bottomSample, 0.015 * (b.bottomSample - b.end));
        EXPECT_TRUE(b.bottomVisible && b.freeEndVisible);
        if (row.top > 0.0) {
            ASSERT_EQ(b.defects.size(), 1u);
            EXPECT_EQ(LobeNear(b.samples, b.end + row.top * perMetre, reach).sign, 1);
            EXPECT_EQ(LobeNear(b.samples, b.end + row.bottom * perMetre, reach).sign, -1);
            EXPECT_TRUE(b.defects[0].visible);
        }
    }
}

// The labels follow the noise: 20 dB more noise, a tenth of the ratio; and the record
// stays bounded whatever the draw (an unstable step would grow without end).
TEST(WaveBoltTest, LabelsScaleWithTheNoiseAndRecordsStayBounded)
{
    for (std::uint64_t seed : {3ULL, 30ULL, 300ULL}) {
        WaveBoltParameters p = DrawWaveBolt(seed);
        p.snrDb = 35.0;
        const auto quiet = SynthesizeWaveBolt(p);
        p.snrDb = 15.0;
        const auto noisy = SynthesizeWaveBolt(p);
        EXPECT_NEAR(noisy.bottomSnr / quiet.bottomSnr, 0.1, 1e-6) << seed;
        EXPECT_NEAR(noisy.freeEndSnr / quiet.freeEndSnr, 0.1, 1e-6) << seed;
        EXPECT_EQ(noisy.bottomVisible, noisy.bottomSnr >= boltmodel::kVisibleSnr);
    }
    for (std::uint64_t seed = 1000001; seed < 1000041; ++seed) {
        WaveBoltParameters p = DrawWaveBolt(seed);
        p.snrDb = 300.0;
        p.humShare = p.driftShare = 0.0;
        const auto b = SynthesizeWaveBolt(p);
        const auto last = b.samples.end() - static_cast<std::ptrdiff_t>(b.samples.size() / 4);
        int tail = 0;
        for (auto it = last; it != b.samples.end(); ++it)
            tail = std::max(tail, std::abs(static_cast<int>(*it)));
        EXPECT_LT(tail, static_cast<int>(p.blowPeakCounts)) << seed;
    }
}

// Sound bolts of the wave model whose head rings on after the blow (nut and plate) and
// whose free section's multiples are not quite what the first echo makes of them: the
// lobes that ringing leaves could pair up as a void's edges, and none stands out of the
// record above it.
TEST(WaveBoltTest, ARingingSoundBoltHasNoDefect)
{
    for (const std::uint64_t seed : {46ULL, 52ULL, 61ULL}) {
        SCOPED_TRACE(seed);
        const boltmodel::LabelledBolt b = boltmodel::MakeLabelledBolt(boltmodel::Model::Wave, seed);
        ASSERT_TRUE(b.defects.empty());
        const pick::PickResult r = pick::PickEchoes(boltmodel::InputOf(b));
        EXPECT_TRUE(r.defects.empty()) << r.defects.front().start.sample;
    }
}

// The plate and the nut on a stiff bearing face (12 kHz, four times the drawn range) with
// a heavy plate on a thin bar: the step keeps the two sides of the spring on the same
// displacements, and the record rings down instead of growing without end.
TEST(WaveBoltTest, AStiffHeavyPlateStaysBounded)
{
    for (const int interval : {2, 5, 10}) {
        SCOPED_TRACE(interval);
        WaveBoltParameters p = DrawWaveBolt(3);
        p.sampleInterval = interval;
        p.sampleCount = 2048;
        p.plateMass = 1.5;
        p.nutKHz = 12.0;
        p.nutMass = 0.05;
        p.barDiameter = 0.020;
        p.waveSpeed = 3000;
        p.length = 4.0;
        p.freeLength = 1.0;
        p.nutDepth = 0.1;
        p.blowStartSample = 20;
        p.snrDb = 300.0;
        p.humShare = p.driftShare = 0.0;
        const auto b = SynthesizeWaveBolt(p);
        int tail = 0;
        for (std::size_t i = b.samples.size() * 3 / 4; i < b.samples.size(); ++i)
            tail = std::max(tail, std::abs(static_cast<int>(b.samples[i])));
        EXPECT_LT(tail, p.blowPeakCounts / 2);
    }
}

// A hammer on a rigid face touches it for the time its stiffness was made for.
TEST(WaveBoltTest, HertzStiffnessGivesTheContactTime)
{
    for (const double ms : {0.1, 0.25, 0.4}) {
        const double k = HertzStiffness(0.5, 2.0, ms * 1e-3);
        // Integrate the hammer against a rigid face.
        double d = 0.0, v = 2.0, t = 0.0;
        const double dt = 1e-8;
        do {
            v -= dt * k * std::pow(std::max(d, 0.0), 1.5) / 0.5;
            d += dt * v;
            t += dt;
        } while (d > 0.0 || t < 1e-6);
        EXPECT_NEAR(t * 1e3, ms, 0.002 * ms) << ms;
    }
}

} // namespace
} // namespace rovana::wavebolt
