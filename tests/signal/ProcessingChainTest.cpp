#include "ProcessingChain.h"

#include "SignalTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace rovana::processing {
namespace {

constexpr int kIntervalUs = 10; // 100 kHz, half rate 50 kHz
constexpr std::size_t kLength = 8192;
constexpr std::size_t kOnset = 100; // silent samples before each test signal

ChainSettings Filter(FilterKind kind, int order, double low, double high)
{
    return {true, kind, order, low, high, GainKind::None, 1.0};
}

ChainSettings Gain(GainKind kind, double g)
{
    return {true, FilterKind::None, 4, 0, 0, kind, g};
}

// kOnset zeros, then a sine of `hz` (10 µs sampling) that starts at zero.
std::vector<std::int16_t> Sine(double hz, double amplitude = 20000)
{
    std::vector<std::int16_t> x(kLength, 0);
    for (std::size_t i = kOnset; i < kLength; ++i)
        x[i] = static_cast<std::int16_t>(std::lround(
            amplitude * std::sin(2 * std::numbers::pi * hz * (i - kOnset) * kIntervalUs * 1e-6)));
    return x;
}

struct Fit
{
    double amplitude, phase; // of the sine
};

// The sine of `hz` in y[from, to), fitted with its sine, its cosine and a constant.
Fit FitSine(const std::vector<double>& y, double hz, std::size_t from, std::size_t to)
{
    double ss = 0, sc = 0, cc = 0, ys = 0, yc = 0;
    for (std::size_t i = from; i < to; ++i) {
        const double w = 2 * std::numbers::pi * hz * (i - kOnset) * kIntervalUs * 1e-6;
        const double s = std::sin(w), c = std::cos(w);
        ss += s * s, sc += s * c, cc += c * c, ys += y[i] * s, yc += y[i] * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (ys * cc - yc * sc) / det, b = (yc * ss - ys * sc) / det;
    return {std::hypot(a, b), std::atan2(b, a)};
}

double Amplitude(const std::vector<double>& y, double hz, std::size_t from, std::size_t to)
{
    return FitSine(y, hz, from, to).amplitude;
}

double LossDb(const ChainSettings& s, double hz)
{
    const auto x = Sine(hz);
    const std::vector<double> in(x.begin(), x.end());
    const auto y = ApplyChain(x, kIntervalUs, 4000, 4.0, s);
    return 20 * std::log10(Amplitude(in, hz, 2000, 6000) / Amplitude(y, hz, 2000, 6000));
}

// Both passes of a bilinear Butterworth low-pass (or high-pass) of this order.
double ButterworthLossDb(bool low, int order, double cutHz, double hz)
{
    const double ratio = std::tan(std::numbers::pi * hz * kIntervalUs * 1e-6) /
                         std::tan(std::numbers::pi * cutHz * kIntervalUs * 1e-6);
    return 2 * 10 * std::log10(1 + std::pow(low ? ratio : 1 / ratio, 2 * order));
}

TEST(ProcessingChainTest, PassBandSineKeepsItsAmplitudeAndItsPeaks)
{
    struct Row
    {
        ChainSettings s;
        double hz;
    };
    const Row rows[] = {
        {Filter(FilterKind::LowPass, 4, 0, 5000), 500},
        {Filter(FilterKind::LowPass, 8, 0, 5000), 1000},
        {Filter(FilterKind::HighPass, 4, 300, 0), 5000},
        {Filter(FilterKind::HighPass, 2, 200, 0), 8000},
        {Filter(FilterKind::BandPass, 4, 100, 3000), 600},
        {Filter(FilterKind::BandPass, 3, 500, 20000), 3000},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(DescribeChain(r.s) + " at " + std::to_string(r.hz) + " Hz");
        const auto x = Sine(r.hz);
        const auto y = ApplyChain(x, kIntervalUs, 4000, 4.0, r.s);
        ASSERT_EQ(y.size(), x.size());
        // Zero phase: sample by sample the same sine, so every peak stays where it was.
        double worst = 0;
        for (std::size_t i = 2000; i < 6000; ++i)
            worst = std::max(worst, std::abs(y[i] - x[i]));
        EXPECT_LT(worst, 0.01 * 20000);
        const std::vector<double> in(x.begin(), x.end());
        const Fit before = FitSine(in, r.hz, 2000, 6000), after = FitSine(y, r.hz, 2000, 6000);
        EXPECT_NEAR(after.amplitude / before.amplitude, 1.0, 0.01);
        // A peak moved by a tenth of a sample would be a phase of 2 pi hz * 1 µs.
        EXPECT_NEAR(after.phase, before.phase, 2 * std::numbers::pi * r.hz * 1e-6);
    }
}

TEST(ProcessingChainTest, StopBandLossFollowsTheOrder)
{
    struct Row
    {
        ChainSettings s;
        double hz;
        double expectedDb; // NaN: only the floor
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Row rows[] = {
        {Filter(FilterKind::LowPass, 2, 0, 2000), 4000, ButterworthLossDb(true, 2, 2000, 4000)},
        {Filter(FilterKind::LowPass, 4, 0, 2000), 4000, ButterworthLossDb(true, 4, 2000, 4000)},
        {Filter(FilterKind::LowPass, 5, 0, 1000), 2000, ButterworthLossDb(true, 5, 1000, 2000)},
        {Filter(FilterKind::HighPass, 2, 4000, 0), 2000, ButterworthLossDb(false, 2, 4000, 2000)},
        {Filter(FilterKind::HighPass, 4, 4000, 0), 2000, ButterworthLossDb(false, 4, 4000, 2000)},
        {Filter(FilterKind::LowPass, 8, 0, 1000), 2000, nan},
        {Filter(FilterKind::BandPass, 4, 1000, 5000), 500, nan},
        {Filter(FilterKind::BandPass, 4, 1000, 5000), 10000, nan},
        {Filter(FilterKind::BandPass, 2, 2000, 3000), 6000, nan},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(DescribeChain(r.s) + " at " + std::to_string(r.hz) + " Hz");
        const double loss = LossDb(r.s, r.hz);
        // An octave into the stop band: about 6 dB per order in each pass.
        EXPECT_GE(loss, 6.0 * r.s.order - 1.0);
        if (!std::isnan(r.expectedDb)) {
            EXPECT_NEAR(loss, r.expectedDb, 0.3);
        }
    }
}

TEST(ProcessingChainTest, CutOffIsMinusThreeDecibelsPerPass)
{
    struct Row
    {
        ChainSettings s;
        double hz;
    };
    const Row rows[] = {
        {Filter(FilterKind::LowPass, 4, 0, 3000), 3000},
        {Filter(FilterKind::HighPass, 6, 800, 0), 800},
        {Filter(FilterKind::BandPass, 4, 400, 6000), 400},
        {Filter(FilterKind::BandPass, 4, 400, 6000), 6000},
        {Filter(FilterKind::BandPass, 2, 10000, 30000), 30000},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(DescribeChain(r.s) + " at " + std::to_string(r.hz) + " Hz");
        EXPECT_NEAR(LossDb(r.s, r.hz), 20 * std::log10(2.0), 0.1);
    }
}

// 100 zeros, a half-sine blow of 40 samples, then -1000 for 960 samples: the shared blow
// finder puts the blow's onset within two samples of sample 100, and the gain runs from
// there. T = 2 * 4 m / 4000 m/s = 2 ms = 200 samples.
TEST(ProcessingChainTest, GainIsOneAtTheBlowAndTheSetGainAtTheDesignTime)
{
    struct Row
    {
        GainKind kind;
        double g;
        std::size_t afterBlow;
        double factor;
    };
    const Row rows[] = {
        {GainKind::Exponential, 8, 0, 1},
        {GainKind::Exponential, 8, 200, 8},
        {GainKind::Exponential, 8, 100, std::sqrt(8.0)},
        {GainKind::Exponential, 8, 400, 64},
        {GainKind::Exponential, 1, 300, 1},
        {GainKind::Linear, 8, 0, 1},
        {GainKind::Linear, 8, 200, 8},
        {GainKind::Linear, 8, 100, 4.5},
        {GainKind::Linear, 100, 400, 199},
    };
    std::vector<std::int16_t> x(kLength, 0);
    std::fill(x.begin() + kOnset + 40, x.begin() + kOnset + 1000, std::int16_t{-1000});
    for (std::size_t j = 0; j < 40; ++j)
        x[kOnset + j] =
            static_cast<std::int16_t>(std::lround(3000 * std::sin(std::numbers::pi * j / 40)));
    const std::size_t blow = BlowOnset(x, kIntervalUs);
    ASSERT_TRUE(blow + 2 >= kOnset && blow <= kOnset + 2) << blow;
    for (const Row& r : rows) {
        const auto y = ApplyChain(x, kIntervalUs, 4000, 4.0, Gain(r.kind, r.g));
        SCOPED_TRACE(DescribeChain(Gain(r.kind, r.g)) + " +" + std::to_string(r.afterBlow));
        const double expected = x[blow + r.afterBlow] * r.factor;
        EXPECT_NEAR(y[blow + r.afterBlow], expected, 1e-9 * std::abs(expected));
        EXPECT_EQ(y[blow - 1], 0.0);
    }
}

// The shared blow finder (pick::FindBlow) through the chain's BlowOnset: the first sample
// of the blow's lobe, 0 where nothing stands out of the noise.
TEST(ProcessingChainTest, FindsTheBlowAboveTheNoise)
{
    struct Row
    {
        const char* name;
        std::vector<std::int16_t> x;
        std::size_t blow;
    };
    std::vector<std::int16_t> noisy = test::RandomSamples(2048, 7, 30);
    for (auto& v : noisy)
        v = static_cast<std::int16_t>(v + 500);
    std::fill_n(noisy.begin(), 5, std::int16_t{500}); // a blow among the noise is late
    std::vector<std::int16_t> struck = noisy;
    struck[300] = 2000; // smoothed over three samples, its rise starts two earlier
    std::vector<std::int16_t> stepAtStart(2048, 1000);
    std::vector<std::int16_t> negative(64, 0);
    negative[40] = -400;
    negative[41] = 300;
    const Row rows[] = {
        {"silent", std::vector<std::int16_t>(2048, 0), 0},
        {"noise with an offset only", noisy, 0},
        {"noise struck at 300", struck, 298},
        {"negative blow", negative, 38},
        {"constant", stepAtStart, 0},
        {"31 samples, too few for a blow",
         std::vector<std::int16_t>(negative.begin(), negative.begin() + 31), 0},
        {"empty", {}, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(BlowOnset(r.x, kIntervalUs), r.blow) << r.name;
}

// 200 samples alternating about 300, then a half-sine blow from 201 on: the onset is 200,
// and the mean of the 200 samples before it, 300, is taken off every sample.
TEST(ProcessingChainTest, RemovesTheMeanBeforeTheBlow)
{
    std::vector<std::int16_t> x(1000, 300);
    for (std::size_t i = 0; i < 200; ++i)
        x[i] = static_cast<std::int16_t>(i % 2 == 0 ? 310 : 290); // mean 300
    for (std::size_t j = 0; j < 20; ++j)
        x[201 + j] = static_cast<std::int16_t>(
            300 + std::lround(5000 * std::sin(std::numbers::pi * (j + 0.5) / 20)));
    ASSERT_EQ(BlowOnset(x, kIntervalUs), 200u);
    const auto y = ApplyChain(x, kIntervalUs, 4000, 4.0, Gain(GainKind::Linear, 1));
    EXPECT_EQ(y[0], 10.0);
    EXPECT_EQ(y[1], -10.0);
    EXPECT_EQ(y[210], x[210] - 300.0);
    EXPECT_EQ(y[999], 0.0);
}

// A slow sine with an offset from the first sample: the edges do not ring.
TEST(ProcessingChainTest, EdgesOfAPassBandSignalStayClose)
{
    std::vector<std::int16_t> x(2048);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = static_cast<std::int16_t>(std::lround(
            3000 + 8000 * std::cos(2 * std::numbers::pi * 300 * i * kIntervalUs * 1e-6 + 1)));
    const std::size_t blow = BlowOnset(x, kIntervalUs);
    double mean = 0;
    for (std::size_t i = 0; i < blow; ++i)
        mean += x[i] / static_cast<double>(blow);
    const auto y = ApplyChain(x, kIntervalUs, 4000, 4.0, Filter(FilterKind::LowPass, 4, 0, 5000));
    for (std::size_t i = 0; i < x.size(); ++i)
        ASSERT_NEAR(y[i], x[i] - mean, 0.01 * 8000) << i;
}

TEST(ProcessingChainTest, ChainOffIsTheIdentity)
{
    const auto x = test::RandomSamples(2048, 11);
    ChainSettings switchedOff = Filter(FilterKind::BandPass, 4, 100, 3000);
    switchedOff.gain = GainKind::Exponential;
    switchedOff.gainAtDesign = 8;
    switchedOff.enabled = false;
    const ChainSettings nothing{true, FilterKind::None, 4, 0, 0, GainKind::None, 1.0};
    for (const ChainSettings& s : {switchedOff, nothing, ChainSettings{}}) {
        EXPECT_TRUE(IsChainOff(s));
        const auto y = ApplyChain(x, kIntervalUs, 4000, 4.0, s);
        ASSERT_EQ(y.size(), x.size());
        for (std::size_t i = 0; i < x.size(); ++i)
            ASSERT_EQ(y[i], x[i]) << i;
    }
    EXPECT_TRUE(ApplyChain({}, kIntervalUs, 4000, 4.0, Gain(GainKind::Linear, 2)).empty());
}

TEST(ProcessingChainTest, ChecksTheSettings)
{
    struct Row
    {
        ChainSettings s;
        int intervalUs;
        std::string why; // empty: accepted
    };
    ChainSettings off = Filter(FilterKind::LowPass, 99, 0, -5);
    off.enabled = false;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Row rows[] = {
        {Filter(FilterKind::LowPass, 4, 0, 49992.6), 10, ""},
        {Filter(FilterKind::LowPass, 4, 0, 49999), 10, "低通截止频率不能高于 49992.6 Hz"},
        {Filter(FilterKind::LowPass, 4, 0, 50000), 10,
         "截止频率 50000 Hz 不低于采样频率的一半 50000 Hz"},
        {Filter(FilterKind::HighPass, 4, 60000, 0), 10,
         "截止频率 60000 Hz 不低于采样频率的一半 50000 Hz"},
        {Filter(FilterKind::BandPass, 4, 100, 250000), 2,
         "截止频率 250000 Hz 不低于采样频率的一半 250000 Hz"},
        {Filter(FilterKind::LowPass, 4, 0, 600000), 1,
         "截止频率 600000 Hz 不低于采样频率的一半 500000 Hz"},
        {Filter(FilterKind::LowPass, 4, 0, 0), 10, "截止频率 0 Hz 必须大于 0"},
        {Filter(FilterKind::HighPass, 4, -3, 0), 10, "截止频率 -3 Hz 必须大于 0"},
        {Filter(FilterKind::HighPass, 4, nan, 0), 10, "截止频率 nan Hz 必须大于 0"},
        {Filter(FilterKind::BandPass, 4, 3000, 3000), 10,
         "带通的下限 3000 Hz 必须低于上限 3000 Hz"},
        {Filter(FilterKind::LowPass, 1, 0, 1000), 10, "滤波器阶数 1 不在 2..8 之间"},
        {Filter(FilterKind::LowPass, 9, 0, 1000), 10, "滤波器阶数 9 不在 2..8 之间"},
        {Filter(FilterKind::LowPass, 2, 0, 1000), 10, ""},
        {Filter(FilterKind::LowPass, 8, 0, 1000), 0, "采样间隔 0 µs 无效，无法滤波"},
        {Gain(GainKind::Exponential, 100), 10, ""},
        {Gain(GainKind::Linear, 1), 10, ""},
        {Gain(GainKind::Linear, 0.5), 10, "放大倍数 0.5 不在 1..100 之间"},
        {Gain(GainKind::Exponential, 101), 10, "放大倍数 101 不在 1..100 之间"},
        {Gain(GainKind::Exponential, 8), -1, "采样间隔 -1 µs 无效，无法放大"},
        {off, 0, ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(CheckSettings(r.s, r.intervalUs), r.why) << DescribeChain(r.s);
    EXPECT_EQ(CheckGainBasis(Gain(GainKind::Linear, 2), 4000, 4.0), "");
    EXPECT_EQ(CheckGainBasis(Gain(GainKind::Linear, 2), 0, 4.0),
              "放大需要有效的波速与设计长度（波速 0 m/s，设计长度 4 m）");
    EXPECT_NE(CheckGainBasis(Gain(GainKind::Linear, 2), 4000, 0), "");
    EXPECT_EQ(CheckGainBasis(Filter(FilterKind::LowPass, 4, 0, 1000), 0, 0), "");
}

TEST(ProcessingChainTest, RefusedPartsAreLeftOut)
{
    std::vector<std::int16_t> x(500, 0);
    std::fill(x.begin() + 100, x.end(), std::int16_t{1000});
    ChainSettings s = Filter(FilterKind::LowPass, 4, 0, 60000); // above half the rate
    s.gain = GainKind::Exponential;
    s.gainAtDesign = 8;
    const auto y = ApplyChain(x, kIntervalUs, 0, 4.0, s); // no wave speed: no gain
    for (std::size_t i = 0; i < x.size(); ++i)
        ASSERT_EQ(y[i], x[i]) << i;
}

// A design length of any size, however short its two-way time against the sampling
// interval: the gain stops growing instead of reaching infinity (0 × ∞ would be NaN).
TEST(ProcessingChainTest, GainOfAnyDesignLengthStaysFinite)
{
    std::vector<std::int16_t> x(2048, 0);
    for (std::size_t i = 100; i < 110; ++i)
        x[i] = 10000; // a blow, then silence and one late echo
    x[1800] = 500;
    for (const double length : {1e-45, 1e-30, 1e-3, 3e38})
        for (const int speed : {1, 4000, std::numeric_limits<int>::max()})
            for (const int interval : {1, 1000})
                for (const GainKind kind : {GainKind::Linear, GainKind::Exponential}) {
                    const auto y = ApplyChain(x, interval, speed, length, Gain(kind, 100));
                    for (std::size_t i = 0; i < y.size(); ++i)
                        ASSERT_TRUE(std::isfinite(y[i]))
                            << length << " m " << speed << " m/s " << interval << " µs at " << i;
                }
}

TEST(ProcessingChainTest, DescribesTheChainInOneLine)
{
    ChainSettings band = Filter(FilterKind::BandPass, 4, 100, 3000);
    band.gain = GainKind::Exponential;
    band.gainAtDesign = 8;
    const std::pair<ChainSettings, std::string> rows[] = {
        {band, "信号处理: 带通 100–3000 Hz 4阶, 指数放大 ×8"},
        {Filter(FilterKind::LowPass, 6, 0, 2500.5), "信号处理: 低通 2500.5 Hz 6阶"},
        {Filter(FilterKind::HighPass, 2, 80, 0), "信号处理: 高通 80 Hz 2阶"},
        {Gain(GainKind::Linear, 2.5), "信号处理: 线性放大 ×2.5"},
        {ChainSettings{}, "信号处理: 无"},
    };
    for (const auto& [s, text] : rows)
        EXPECT_EQ(DescribeChain(s), text);
}

TEST(ProcessingChainTest, DisplaySamplesAreTruncatedAndSaturated)
{
    const std::vector<double> in = {
        12.9, -12.9, 40000, -40000, 32767.5, 1e300, std::numeric_limits<double>::quiet_NaN()};
    std::vector<std::int16_t> out(in.size() + 1, test::kSampleSentinel);
    ToDisplaySamples(in, std::span(out).first(in.size()));
    const std::vector<std::int16_t> expected = {12,    -12,   32767,  -32768,
                                                32767, 32767, -32768, test::kSampleSentinel};
    EXPECT_EQ(out, expected);
}

} // namespace
} // namespace rovana::processing
