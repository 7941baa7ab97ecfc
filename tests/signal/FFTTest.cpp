#include "FFT.h"

#include "ReferenceSpectrum.h"
#include "SignalTestSupport.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <memory_resource>
#include <numbers>
#include <vector>

namespace rovana {
namespace {

// Single-precision rounding error grows with log2 N and with the size of the inputs; the
// bound is a few units in the last place of the largest possible output.
constexpr double kUlpsPerStage = 4.0;
constexpr double kFloatEpsilon = 1.1920928955078125e-07;

std::vector<std::complex<double>> DirectDft(const std::vector<float>& re,
                                            const std::vector<float>& im)
{
    const std::size_t n = re.size();
    std::vector<std::complex<double>> out(n);
    for (std::size_t k = 0; k < n; ++k) {
        std::complex<double> sum = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double angle =
                -2.0 * std::numbers::pi * static_cast<double>((i * k) % n) / static_cast<double>(n);
            sum += std::complex<double>(re[i], im[i]) * std::polar(1.0, angle);
        }
        out[k] = sum;
    }
    return out;
}

class FftAgainstDftTest : public ::testing::TestWithParam<int>
{};

TEST_P(FftAgainstDftTest, RandomComplexInputMatchesADirectDftWithinSinglePrecision)
{
    const int n = GetParam();
    const auto realPart = test::RandomSamples(n, 1000u + static_cast<unsigned>(n));
    const auto imagPart = test::RandomSamples(n, 2000u + static_cast<unsigned>(n));
    std::vector<float> re(realPart.begin(), realPart.end());
    std::vector<float> im(imagPart.begin(), imagPart.end());
    const auto expected = DirectDft(re, im);

    double inputMagnitude = 0.0;
    for (int i = 0; i < n; ++i)
        inputMagnitude += std::abs(std::complex<double>(re[i], im[i]));
    const int stages = std::countr_zero(static_cast<unsigned>(n));
    const double tolerance = kUlpsPerStage * (stages + 1) * kFloatEpsilon * inputMagnitude;

    ASSERT_EQ(FFT(re, im), SignalStatus::Ok);
    for (int k = 0; k < n; ++k) {
        EXPECT_NEAR(re[k], expected[k].real(), tolerance) << "bin " << k << " of " << n;
        EXPECT_NEAR(im[k], expected[k].imag(), tolerance) << "bin " << k << " of " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FftAgainstDftTest,
                         ::testing::Values(1, 2, 4, 8, 16, 64, 256, 512, 1024, 2048, 4096));

TEST(FftTest, ImpulseGivesAFlatSpectrumExactly)
{
    std::vector<float> re(256, 0.0f), im(256, 0.0f);
    re[0] = 1234.0f;
    ASSERT_EQ(FFT(re, im), SignalStatus::Ok);
    for (std::size_t k = 0; k < re.size(); ++k) {
        EXPECT_EQ(re[k], 1234.0f) << k;
        EXPECT_EQ(im[k], 0.0f) << k;
    }
}

// e^(-j 2 pi i k / N): a cosine on bin b puts N/2 into bins b and N - b with no imaginary
// part, a sine puts -N/2 j into bin b.
TEST(FftTest, SignConventionIsNegativeExponent)
{
    const int n = 512;
    const int bin = 5;
    std::vector<float> re(n), im(n, 0.0f);
    for (int i = 0; i < n; ++i)
        re[i] = static_cast<float>(std::sin(2.0 * std::numbers::pi * bin * i / n));
    ASSERT_EQ(FFT(re, im), SignalStatus::Ok);
    constexpr double kTolerance = 1e-3;
    EXPECT_NEAR(re[bin], 0.0, kTolerance);
    EXPECT_NEAR(im[bin], -n / 2.0, kTolerance);
    EXPECT_NEAR(im[n - bin], n / 2.0, kTolerance);
}

struct SizeErrorRow
{
    std::size_t reSize;
    std::size_t imSize;
};

class FftBadSizeTest : public ::testing::TestWithParam<SizeErrorRow>
{};

TEST_P(FftBadSizeTest, IsRejectedAndLeavesTheArraysUnchanged)
{
    const auto row = GetParam();
    std::vector<float> re(row.reSize, 7.0f), im(row.imSize, -7.0f);
    EXPECT_EQ(FFT(re, im), SignalStatus::BadSize);
    for (float v : re)
        EXPECT_EQ(v, 7.0f);
    for (float v : im)
        EXPECT_EQ(v, -7.0f);
}

INSTANTIATE_TEST_SUITE_P(Rows, FftBadSizeTest,
                         ::testing::Values(SizeErrorRow{0, 0}, SizeErrorRow{3, 3},
                                           SizeErrorRow{1000, 1000}, SizeErrorRow{1536, 1536},
                                           SizeErrorRow{256, 128}, SizeErrorRow{128, 256}));

TEST(FftTest, FailedTwiddleAllocationIsReportedAndChangesNothing)
{
    TwiddleCache starved(std::pmr::null_memory_resource());
    std::vector<float> re(64, 1.5f), im(64, -2.5f);
    EXPECT_EQ(FFT(re, im, starved), SignalStatus::OutOfMemory);
    for (float v : re)
        EXPECT_EQ(v, 1.5f);
    for (float v : im)
        EXPECT_EQ(v, -2.5f);
}

TEST(FftTest, EqualsThePlainTranscriptionToTheBit)
{
    for (int n : {2, 8, 256, 1024, 2048, 4096}) {
        const auto samples = test::RandomSamples(n, 77u + static_cast<unsigned>(n));
        const auto imag = test::RandomSamples(n, 99u + static_cast<unsigned>(n));
        std::vector<float> re(samples.begin(), samples.end()), im(imag.begin(), imag.end());
        std::vector<float> refRe = re, refIm = im;
        ASSERT_EQ(FFT(re, im), SignalStatus::Ok);
        test::ReferenceFft(refRe, refIm);
        for (int k = 0; k < n; ++k) {
            ASSERT_EQ(std::bit_cast<std::uint32_t>(re[k]), std::bit_cast<std::uint32_t>(refRe[k]))
                << "re, bin " << k << " of " << n;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(im[k]), std::bit_cast<std::uint32_t>(refIm[k]))
                << "im, bin " << k << " of " << n;
        }
    }
}

// The circular correlation against its sum, for the smallest size and with signals
// shorter than it; sizes it cannot take leave the output alone.
TEST(FftTest, CircularCorrelationIsTheSumOfProducts)
{
    struct Case
    {
        int n, a, b;
    };
    for (const Case c : {Case{2, 2, 1}, Case{8, 8, 8}, Case{64, 50, 7}, Case{1024, 1000, 100}}) {
        const auto countsA = test::RandomSamples(c.a, 3u + static_cast<unsigned>(c.n));
        const auto countsB = test::RandomSamples(c.b, 5u + static_cast<unsigned>(c.n));
        const std::vector<float> a(countsA.begin(), countsA.end());
        const std::vector<float> b(countsB.begin(), countsB.end());
        std::vector<float> out(static_cast<std::size_t>(c.n));
        ASSERT_EQ(CircularCorrelation(a, b, 0.5f, out), SignalStatus::Ok);
        double largest = 0.0;
        std::vector<double> expected(out.size(), 0.0);
        for (int l = 0; l < c.n; ++l) {
            for (int k = 0; k < c.b; ++k) {
                const int i = (k + l) % c.n;
                if (i < c.a)
                    expected[static_cast<std::size_t>(l)] +=
                        0.5 * b[static_cast<std::size_t>(k)] * a[static_cast<std::size_t>(i)];
            }
            largest = std::max(largest, std::abs(expected[static_cast<std::size_t>(l)]));
        }
        for (int l = 0; l < c.n; ++l)
            ASSERT_NEAR(out[static_cast<std::size_t>(l)], expected[static_cast<std::size_t>(l)],
                        1e-5 * largest + 1e-6)
                << l << " of " << c.n;
    }
    const std::vector<float> four(4, 1.0f);
    std::vector<float> two(2, 7.0f), three(3, 7.0f);
    EXPECT_EQ(CircularCorrelation(four, four, 1.0f, two), SignalStatus::BadSize);
    EXPECT_EQ(two, std::vector<float>(2, 7.0f));
    EXPECT_EQ(CircularCorrelation({}, {}, 1.0f, three), SignalStatus::BadSize);
    EXPECT_EQ(CircularCorrelation({}, {}, 1.0f, std::span<float>()), SignalStatus::BadSize);
}

TEST(FftTest, CachedTablesGiveTheSameBitsAsFreshOnes)
{
    const auto samples = test::RandomSamples(2048, 5u);
    std::vector<float> first(samples.begin(), samples.end()), firstIm(2048, 0.0f);
    std::vector<float> second = first, secondIm = firstIm;
    TwiddleCache fresh;
    ASSERT_EQ(FFT(first, firstIm, fresh), SignalStatus::Ok);
    // The thread's cache has usually served other sizes and this one before.
    ASSERT_EQ(FFT(second, secondIm), SignalStatus::Ok);
    for (std::size_t k = 0; k < first.size(); ++k) {
        ASSERT_EQ(std::bit_cast<std::uint32_t>(first[k]), std::bit_cast<std::uint32_t>(second[k]));
        ASSERT_EQ(std::bit_cast<std::uint32_t>(firstIm[k]),
                  std::bit_cast<std::uint32_t>(secondIm[k]));
    }
}

TEST(TwiddleCacheTest, BuildsPowersOfTwoOnceAndRejectsOtherSizes)
{
    TwiddleCache cache;
    EXPECT_EQ(cache.Get(0), nullptr);
    EXPECT_EQ(cache.Get(-8), nullptr);
    EXPECT_EQ(cache.Get(3), nullptr);
    EXPECT_EQ(cache.Get(1000), nullptr);
    ASSERT_NE(cache.Get(1), nullptr);
    EXPECT_TRUE(cache.Get(1)->cosTable.empty());
    const TwiddleTable* table = cache.Get(1024);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->cosTable.size(), 512u);
    EXPECT_EQ(cache.Get(1024), table) << "a second request must reuse the table";
}

} // namespace
} // namespace rovana
