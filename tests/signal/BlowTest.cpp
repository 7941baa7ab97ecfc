// The one blow finder: the processing chain's onset, the reference bolt's alignment and
// the echo picker's end marker all come from pick::FindBlow.
#include "Blow.h"
#include "BoltModel.h"
#include "EchoPicker.h"
#include "PickScore.h"
#include "ProcessingChain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace rovana::pick {
namespace {

// Model bolts whose blow starts early in the record, where a blow finder that takes the
// offset and the noise from the first 64 samples was tens of samples late: the onset is
// within three samples of the blow's start, the chain's onset is the same sample, and
// the picker's end marker is the same lobe's peak. "Within" is three samples or a
// sixteenth of the lobe, whichever is more: a blow of 130 samples rises slowly.
TEST(BlowTest, OnsetAtTheBlowsStartWhereverItIs)
{
    for (const int start : {8, 20, 40, 63, 90, 120}) {
        for (const std::uint64_t seed : {11ULL, 12ULL, 13ULL}) {
            SCOPED_TRACE(testing::Message() << "start " << start << " seed " << seed);
            boltmodel::BoltParameters p = boltmodel::DrawBolt(seed);
            p.blowStartSample = start;
            p.snrDb = 30.0;
            p.humAmplitude = p.driftAmplitude = 0.0; // no offset before the blow
            const boltmodel::ModelBolt bolt = boltmodel::Synthesize(p);
            const auto found = FindBlow(bolt.samples, p.sampleInterval);
            ASSERT_TRUE(found.has_value());
            EXPECT_LE(std::abs(found->blow.onset - start), std::max(3, found->blow.width / 16))
                << found->blow.onset;
            EXPECT_EQ(processing::BlowOnset(bolt.samples, p.sampleInterval),
                      static_cast<std::size_t>(found->blow.onset));
            const PickResult picked = PickEchoes(boltmodel::InputOf(bolt));
            ASSERT_TRUE(picked.end.has_value());
            EXPECT_NEAR(picked.end->sample, found->blow.peak, found->blow.width / 2);
        }
    }
}

} // namespace
} // namespace rovana::pick
