#include "Spectrum.h"

#include "ReferenceSpectrum.h"
#include "SignalTestSupport.h"
#include "TransformSize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory_resource>
#include <numbers>
#include <vector>

namespace rovana {
namespace {

using test::kPhaseSentinel;
using test::kSampleSentinel;

constexpr int kGuard = 16;                      // sentinel entries past each buffer
constexpr std::int16_t kZeroAmplitude = -16383; // displayed entry of a bin with no energy
constexpr std::int16_t kPeakEntry = 16384;      // displayed entry of the largest bin

// A channel view's buffers with sentinels behind them. The spans handed to the code cover
// exactly the buffers; the guard words must survive every call.
struct Buffers
{
    explicit Buffers(const std::vector<std::int16_t>& samples)
        : spectrumStore(kSpectrumLength + kGuard, kSampleSentinel),
          phaseStore(kPhaseLength + kGuard, kPhaseSentinel)
    {
        std::copy(samples.begin(), samples.end(), spectrumStore.begin());
    }

    std::span<std::int16_t> spectrum() { return {spectrumStore.data(), kSpectrumLength}; }
    std::span<std::int32_t> phase() { return {phaseStore.data(), kPhaseLength}; }

    SpectrumResult Run(float intervalUs, int n)
    {
        return ComputeSpectrum(spectrum(), phase(), intervalUs, n);
    }

    void ExpectGuardsIntact() const
    {
        for (int i = kSpectrumLength; i < kSpectrumLength + kGuard; ++i)
            EXPECT_EQ(spectrumStore[i], kSampleSentinel) << "spectrum overrun at " << i;
        for (int i = kPhaseLength; i < kPhaseLength + kGuard; ++i)
            EXPECT_EQ(phaseStore[i], kPhaseSentinel) << "phase overrun at " << i;
    }

    std::vector<std::int16_t> spectrumStore;
    std::vector<std::int32_t> phaseStore;
};

// Samples that can never be a displayed value (those lie in -16383..16384), so that a
// rewritten entry is told from a copied one.
std::vector<std::int16_t> LoudSquareWave(int count)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        samples[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>((i / 3) % 2 == 0 ? 20000 : -20000);
    return samples;
}

// One row per sample count from the size rule's examples and its limits.
struct LayoutRow
{
    int n;
    int points;
};

void PrintTo(const LayoutRow& row, std::ostream* os)
{
    *os << "n=" << row.n << " N=" << row.points;
}

class SpectrumLayoutTest : public ::testing::TestWithParam<LayoutRow>
{};

TEST_P(SpectrumLayoutTest, RewritesExactlyTheDocumentedEntries)
{
    const auto [n, points] = GetParam();
    const auto samples = LoudSquareWave(kSpectrumLength);
    Buffers buffers(samples);
    const SpectrumResult result = buffers.Run(10.0f, n);

    ASSERT_EQ(result.status, SignalStatus::Ok);
    EXPECT_EQ(result.transformSize, points);
    EXPECT_EQ(result.binWidth, (1000000.0f / static_cast<float>(points)) / 10.0f);
    const auto& out = buffers.spectrumStore;
    const int half = points / 2;

    // Below n: halved display values, entry n - 1 a copy of entry n - 2.
    const int transformed = std::min(n, points);
    for (int i = 0; i < transformed; ++i) {
        EXPECT_GE(out[i], kZeroAmplitude) << i;
        EXPECT_LE(out[i], kPeakEntry) << i;
    }
    EXPECT_EQ(out[n - 1], out[n - 2]);
    // Zero padding: from n (or N/2 - 1, if later) to N - 1 the entries keep the unhalved
    // value of entry N/2 - 1; where that entry itself lies below n - 1 it was halved.
    if (n < points) {
        const std::int16_t unhalved = out[points - 1];
        for (int i = std::max(n, half - 1); i < points; ++i)
            EXPECT_EQ(out[i], unhalved) << i;
        if (half - 1 < n - 1) {
            EXPECT_EQ(out[half - 1], -(unhalved / 2));
        }
    }
    // More samples than points: N..n-1 are the raw samples, halved and negated.
    for (int i = points; i < n - 1; ++i)
        EXPECT_EQ(out[i], static_cast<std::int16_t>(-(samples[i] / 2))) << i;
    // Nothing past max(n, N) is touched.
    for (int i = std::max(n, points); i < kSpectrumLength; ++i)
        EXPECT_EQ(out[i], samples[i]) << i;
    for (int i = 0; i < points; ++i) {
        EXPECT_GE(buffers.phaseStore[i], -90) << i;
        EXPECT_LE(buffers.phaseStore[i], 90) << i;
    }
    for (int i = points; i < kPhaseLength; ++i)
        EXPECT_EQ(buffers.phaseStore[i], kPhaseSentinel) << "phase " << i;
    buffers.ExpectGuardsIntact();
}

INSTANTIATE_TEST_SUITE_P(Rows, SpectrumLayoutTest,
                         ::testing::Values(LayoutRow{2048, 2048}, LayoutRow{1000, 1024},
                                           LayoutRow{1500, 1024}, LayoutRow{100, 256},
                                           LayoutRow{2, 256}, LayoutRow{477, 256},
                                           LayoutRow{478, 512}, LayoutRow{1911, 2048},
                                           LayoutRow{2047, 2048}));

TEST(SpectrumTest, AllZerosShowZeroAmplitudeEverywhere)
{
    for (int n : {2048, 1000}) {
        Buffers buffers(std::vector<std::int16_t>(kSpectrumLength, 0));
        const SpectrumResult result = buffers.Run(10.0f, n);
        ASSERT_EQ(result.status, SignalStatus::Ok);
        EXPECT_EQ(result.peakFrequency, 0.0f);
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(buffers.spectrumStore[i], kZeroAmplitude) << "n=" << n << " entry " << i;
        // The padded entries keep the unhalved value: t = -32767, stored as 32767.
        for (int i = n; i < result.transformSize; ++i)
            ASSERT_EQ(buffers.spectrumStore[i], 32767) << "n=" << n << " entry " << i;
        for (int i = 0; i < result.transformSize; ++i)
            ASSERT_EQ(buffers.phaseStore[i], 0) << "n=" << n << " phase " << i;
        buffers.ExpectGuardsIntact();
    }
}

struct BinRow
{
    int n;
    int bin;
};

void PrintTo(const BinRow& row, std::ostream* os)
{
    *os << "n=" << row.n << " bin=" << row.bin;
}

class CosineOnBinTest : public ::testing::TestWithParam<BinRow>
{};

TEST_P(CosineOnBinTest, PeakIsTheBinAndItsEntryIsTheLargest)
{
    const auto [n, bin] = GetParam();
    const int points = TransformSize(n);
    Buffers buffers(test::Cosine(n, bin, points, 12000.0));
    const SpectrumResult result = buffers.Run(10.0f, n);
    ASSERT_EQ(result.status, SignalStatus::Ok);
    EXPECT_EQ(result.peakFrequency, result.binWidth * static_cast<float>(bin));
    const auto& out = buffers.spectrumStore;
    EXPECT_GE(out[bin], kPeakEntry - 1);
    for (int k = 0; k < points / 2; ++k) {
        if (k != bin) {
            EXPECT_LT(out[k], out[bin]) << "entry " << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CosineOnBinTest,
                         ::testing::Values(BinRow{2048, 1}, BinRow{2048, 37}, BinRow{2048, 512},
                                           BinRow{2048, 1020}, BinRow{1024, 100}, BinRow{256, 127},
                                           BinRow{512, 3}));

TEST(SpectrumTest, BinWidthFor10MicrosecondsAnd1024PointsIs97Point65625Hz)
{
    Buffers buffers(test::Cosine(1000, 10, 1024, 5000.0));
    const SpectrumResult result = buffers.Run(10.0f, 1000);
    ASSERT_EQ(result.transformSize, 1024);
    EXPECT_EQ(result.binWidth, 97.65625f);
    EXPECT_EQ(result.peakFrequency, 976.5625f);
}

// An impulse has a flat transform, so bins 1..N/2-1 are exactly equal after folding: the
// first of them wins, and bin 0 (not folded) lies at 1/sqrt 2 of the peak.
TEST(SpectrumTest, FirstOfEqualMaximaWins)
{
    std::vector<std::int16_t> impulse(256, 0);
    impulse[0] = 1000;
    Buffers buffers(impulse);
    const SpectrumResult result = buffers.Run(4.0f, 256);
    ASSERT_EQ(result.status, SignalStatus::Ok);
    EXPECT_EQ(result.binWidth, 976.5625f);
    EXPECT_EQ(result.peakFrequency, result.binWidth);
    const int binZero = static_cast<int>(std::trunc(65535.0 / std::numbers::sqrt2 - 32767.0)) / 2;
    EXPECT_EQ(buffers.spectrumStore[0], binZero);
    for (int k = 1; k < 254; ++k)
        EXPECT_EQ(buffers.spectrumStore[k], kPeakEntry) << k;
    for (int k = 0; k < 256; ++k)
        EXPECT_EQ(buffers.phaseStore[k], 0) << "imaginary parts are all zero, bin " << k;
}

struct RejectRow
{
    int n;
    SignalStatus status;
};

class SpectrumRejectTest : public ::testing::TestWithParam<RejectRow>
{};

TEST_P(SpectrumRejectTest, LeavesBothBuffersAsCopied)
{
    const auto samples = test::RandomSamples(kSpectrumLength, 3u);
    Buffers buffers(samples);
    const SpectrumResult result = buffers.Run(10.0f, GetParam().n);
    EXPECT_EQ(result.status, GetParam().status);
    EXPECT_EQ(result.transformSize, 0);
    EXPECT_EQ(result.peakFrequency, 0.0f);
    EXPECT_EQ(result.binWidth, 0.0f);
    for (int i = 0; i < kSpectrumLength; ++i)
        ASSERT_EQ(buffers.spectrumStore[i], samples[i]) << i;
    for (int i = 0; i < kPhaseLength; ++i)
        ASSERT_EQ(buffers.phaseStore[i], kPhaseSentinel) << i;
    buffers.ExpectGuardsIntact();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SpectrumRejectTest,
    ::testing::Values(RejectRow{0, SignalStatus::Skipped}, RejectRow{1, SignalStatus::Skipped},
                      RejectRow{-1, SignalStatus::Skipped}, RejectRow{2049, SignalStatus::Skipped},
                      RejectRow{10240, SignalStatus::Skipped},
                      RejectRow{std::numeric_limits<int>::min(), SignalStatus::Skipped},
                      RejectRow{std::numeric_limits<int>::max(), SignalStatus::Skipped}));

TEST(SpectrumTest, ShortBuffersAreRejectedUntouched)
{
    const auto samples = test::RandomSamples(1500, 8u);
    std::vector<std::int16_t> spectrum = samples;
    std::vector<std::int32_t> phase(1024, kPhaseSentinel);
    // n = 1500 needs 1500 spectrum entries and 1024 phases.
    EXPECT_EQ(ComputeSpectrum(std::span(spectrum).first(1499), phase, 10.0f, 1500).status,
              SignalStatus::BadSize);
    EXPECT_EQ(ComputeSpectrum(spectrum, std::span(phase).first(1023), 10.0f, 1500).status,
              SignalStatus::BadSize);
    EXPECT_EQ(spectrum, samples);
    EXPECT_TRUE(std::all_of(phase.begin(), phase.end(),
                            [](std::int32_t p) { return p == kPhaseSentinel; }));
    // Exactly large enough is fine.
    EXPECT_EQ(ComputeSpectrum(spectrum, phase, 10.0f, 1500).status, SignalStatus::Ok);
}

TEST(SpectrumTest, FailedAllocationIsReportedAndLeavesBuffersAsCopied)
{
    TwiddleCache starved(std::pmr::null_memory_resource());
    const auto samples = test::RandomSamples(kSpectrumLength, 4u);
    Buffers buffers(samples);
    const SpectrumResult result =
        ComputeSpectrum(buffers.spectrum(), buffers.phase(), 10.0f, 2048, starved);
    EXPECT_EQ(result.status, SignalStatus::OutOfMemory);
    EXPECT_EQ(result.transformSize, 0);
    for (int i = 0; i < kSpectrumLength; ++i)
        ASSERT_EQ(buffers.spectrumStore[i], samples[i]) << i;
    for (int i = 0; i < kPhaseLength; ++i)
        ASSERT_EQ(buffers.phaseStore[i], kPhaseSentinel) << i;
}

class IntervalWithoutAxisTest : public ::testing::TestWithParam<float>
{};

TEST_P(IntervalWithoutAxisTest, GivesNoFrequenciesButTheSameSpectrum)
{
    const auto samples = test::Cosine(2048, 300, 2048, 9000.0);
    Buffers withAxis(samples);
    Buffers withoutAxis(samples);
    const SpectrumResult good = withAxis.Run(10.0f, 2048);
    const SpectrumResult bad = withoutAxis.Run(GetParam(), 2048);
    ASSERT_EQ(bad.status, SignalStatus::Ok);
    EXPECT_EQ(bad.transformSize, 2048);
    EXPECT_EQ(bad.binWidth, 0.0f);
    EXPECT_EQ(bad.peakFrequency, 0.0f);
    EXPECT_GT(good.peakFrequency, 0.0f);
    EXPECT_EQ(withAxis.spectrumStore, withoutAxis.spectrumStore);
    EXPECT_EQ(withAxis.phaseStore, withoutAxis.phaseStore);
}

INSTANTIATE_TEST_SUITE_P(Rows, IntervalWithoutAxisTest,
                         ::testing::Values(0.0f, -0.0f, -10.0f,
                                           -std::numeric_limits<float>::infinity(),
                                           std::numeric_limits<float>::quiet_NaN()));

class ReferenceAgreementTest : public ::testing::TestWithParam<LayoutRow>
{};

TEST_P(ReferenceAgreementTest, RandomChannelsEqualThePlainTranscriptionToTheBit)
{
    const auto [n, points] = GetParam();
    for (unsigned seed = 1; seed <= 3; ++seed) {
        const auto samples = test::RandomSamples(
            kSpectrumLength, seed * 131u + static_cast<unsigned>(n), seed == 1 ? 32767 : 300);
        Buffers buffers(samples);
        const SpectrumResult result = buffers.Run(7.0f, n);
        const test::ReferenceOutput expected = test::ReferenceSpectrum(samples, points, 7.0f, n);
        ASSERT_EQ(result.transformSize, points);
        EXPECT_EQ(result.binWidth, expected.binWidth);
        EXPECT_EQ(result.peakFrequency, expected.peakFrequency);
        for (int i = 0; i < kSpectrumLength; ++i)
            ASSERT_EQ(buffers.spectrumStore[i], expected.spectrum[i])
                << "seed " << seed << " entry " << i;
        for (int i = 0; i < points; ++i)
            ASSERT_EQ(buffers.phaseStore[i], expected.phase[i])
                << "seed " << seed << " phase " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ReferenceAgreementTest,
                         ::testing::Values(LayoutRow{2048, 2048}, LayoutRow{1000, 1024},
                                           LayoutRow{1500, 1024}, LayoutRow{100, 256},
                                           LayoutRow{2, 256}, LayoutRow{700, 512}));

} // namespace
} // namespace rovana
