// Three blows agree: which channels are compared, how the picks of the others count, and
// which way a confidence moves.
#include "Agreement.h"
#include "BoltModel.h"
#include "PickScore.h"

#include <gtest/gtest.h>

#include <vector>

namespace rovana::pick {
namespace {

// A clear bolt of `length` m recorded at 10 us and 4000 m/s, blow 0.2 ms (or `blowMs`).
std::vector<std::int16_t> Record(double length, std::uint64_t noiseSeed, double blowMs = 0.2)
{
    boltmodel::BoltParameters p;
    p.length = length;
    p.freeLength = 0.8;
    p.designLength = 6.0;
    p.designFreeLength = 0.8;
    p.waveSpeed = 4000;
    p.sampleInterval = 10;
    p.sampleCount = 2048;
    p.blowMs = blowMs;
    p.leakBase = 0.01;
    p.leakPerKHz = 0.005;
    p.snrDb = 26.0;
    p.noiseSeed = noiseSeed;
    return boltmodel::Synthesize(p).samples;
}

PickInput Input(const std::vector<std::int16_t>& samples, int interval = 10)
{
    return {samples, interval, 4000, 6.0, 0.8};
}

// Which channels hold the same kind of record: the same time base and design, a blow of
// the same sign and of a width within a third.
TEST(AgreementTest, ChannelsOfTheSameKindAreCompared)
{
    const auto a = Record(6.0, 1), b = Record(6.0, 2), c = Record(6.0, 3);
    const auto longBlow = Record(6.0, 4, 0.4);
    struct Row
    {
        const char* name;
        std::vector<PickInput> inputs;
        std::vector<int> compared;
    };
    std::vector<std::int16_t> silent(2048, 0);
    const Row rows[] = {
        {"three blows", {Input(a), Input(b), Input(c)}, {0, 1, 2}},
        {"a blow twice as long", {Input(a), Input(longBlow), Input(c)}, {0, 2}},
        {"another sampling interval", {Input(a), Input(b, 5), Input(c)}, {0, 2}},
        {"a silent channel", {Input(silent), Input(b), Input(c)}, {1, 2}},
        {"one alone", {Input(a), Input(longBlow), Input(silent)}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PickChannels(row.inputs).compared, row.compared);
    }
}

// Three blows of one bolt agree: every pick is confirmed by both others. A channel of
// another length (the same blow) contradicts the bottom of the others and loses its own
// confidence to their offered bottoms; its free end still agrees.
TEST(AgreementTest, AgreeingPicksGainAndContradictedOnesLose)
{
    const auto a = Record(6.0, 1), b = Record(6.0, 2), c = Record(6.0, 5);
    const auto other = Record(4.5, 3);
    const std::vector<PickInput> same = {Input(a), Input(b), Input(c)};
    const ChannelsPicked agreed = PickChannels(same);
    for (std::size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const Agreeing& n = agreed.agreeing[k];
        EXPECT_EQ(n.bottom, 2);
        EXPECT_EQ(n.freeEnd, 2);
        EXPECT_EQ(n.bottomAgainst, 0);
        ASSERT_TRUE(agreed.channels[k].bottom.has_value());
    }
    const std::vector<PickInput> mixed = {Input(a), Input(b), Input(other)};
    const ChannelsPicked contradicted = PickChannels(mixed);
    const Agreeing& odd = contradicted.agreeing[2];
    EXPECT_EQ(odd.bottom, 0);
    EXPECT_EQ(odd.bottomAgainst, 2);
    EXPECT_EQ(odd.freeEnd, 2);
    const PickResult alone = PickEchoes(mixed[2]);
    ASSERT_TRUE(alone.bottom.has_value());
    const auto& moved = contradicted.channels[2].bottom ? contradicted.channels[2].bottom
                                                        : contradicted.channels[2].withheldBottom;
    ASSERT_TRUE(moved.has_value());
    EXPECT_LT(moved->confidence, alone.bottom->confidence);
    // Agreement never lowers a confidence, contradiction never raises it.
    for (const double p : {0.1, 0.5, 0.9}) {
        EXPECT_GE(AgreedConfidence(p, 2, 0), AgreedConfidence(p, 0, 0));
        EXPECT_LE(AgreedConfidence(p, 0, 2), AgreedConfidence(p, 0, 0));
    }
}

// The summary's bottom of one channel, found at the cost of one channel where the others
// cannot change it, is PickChannels' to the sample, the offer and the reason: on three
// blows of model bolts of both models, on channels of other bolts and on silent ones.
TEST(AgreementTest, OneChannelsBottomIsWhatAllChannelsCompareGive)
{
    struct Test
    {
        std::vector<std::vector<std::int16_t>> records;
        PickInput settings; // time base and design; samples from `records`
    };
    std::vector<Test> tests;
    for (std::uint64_t seed = 700001; seed < 700041; ++seed) {
        for (const auto model : {boltmodel::Model::Layered, boltmodel::Model::Wave}) {
            if (model == boltmodel::Model::Wave && seed % 4 != 0)
                continue; // the wave model is slow to make
            tests.push_back({boltmodel::RecordChannels(model, seed, 3),
                             boltmodel::InputOf(boltmodel::MakeLabelledBolt(model, seed))});
        }
    }
    const std::vector<std::int16_t> silent(2048, 0);
    const std::vector<std::int16_t> none;
    tests.push_back({{Record(6.0, 1), Record(6.0, 2), Record(4.5, 3)}, Input(none)});
    tests.push_back({{Record(6.0, 1), silent, Record(6.0, 4, 0.4)}, Input(none)});
    int cheap = 0, compared = 0;
    for (std::size_t t = 0; t < tests.size(); ++t) {
        std::vector<PickInput> inputs;
        for (const auto& samples : tests[t].records) {
            PickInput in = tests[t].settings;
            in.samples = samples;
            inputs.push_back(in);
        }
        const ChannelsPicked all = PickChannels(inputs);
        for (int c = 0; c < 3; ++c) {
            SCOPED_TRACE(testing::Message() << "test " << t << " channel " << c);
            const ChannelBottom one = PickChannelBottom(inputs, c);
            const PickResult& r = all.channels[static_cast<std::size_t>(c)];
            EXPECT_EQ(one.end, r.end ? std::optional<int>(r.end->sample) : std::nullopt);
            EXPECT_EQ(one.bottom, r.bottom ? std::optional<int>(r.bottom->sample) : std::nullopt);
            PickReason reason = PickReason::None;
            for (const PickReason k : r.reasons) {
                if (!r.bottom && k != PickReason::FreeEndNotClear) {
                    reason = k;
                    break;
                }
            }
            EXPECT_EQ(one.reason, reason);
            (one.othersPicked ? compared : cheap) += 1;
        }
    }
    // Most channels need no other: a sure bottom stays offered, an unsure one withheld.
    EXPECT_GT(cheap, 2 * compared);
    EXPECT_GT(compared, 0);
    // A channel alone is never compared.
    EXPECT_FALSE(AgreementCouldMove(0.51, 0));
    EXPECT_FALSE(AgreementCouldMove(0.49, 0));
}

} // namespace
} // namespace rovana::pick
