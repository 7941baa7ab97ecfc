// The cut-offs each order can realise at each sampling interval: refused just past the
// limit with the limit in the message, accepted on it, and every accepted filter gives a
// trace without a non-finite or saturated sample. liquid-dsp says nothing on the way.
#include "FilterDesign.h"
#include "ProcessingChain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <unistd.h>
#include <vector>

namespace rovana::processing {
namespace {

constexpr int kIntervals[] = {2, 5, 10};

ChainSettings Filter(FilterKind kind, int order, double low, double high)
{
    return {true, kind, order, low, high, GainKind::None, 1.0};
}

// A record as the instrument gives it: an offset, a little noise, a blow at sample 100 and
// its echoes, 2048 samples.
std::vector<std::int16_t> Record()
{
    std::vector<std::int16_t> x(2048);
    unsigned noise = 12345;
    for (std::size_t i = 0; i < x.size(); ++i) {
        noise = noise * 1103515245u + 12345u;
        double v = 200.0 + static_cast<double>((noise >> 16) % 101) - 50.0;
        for (const auto& [at, amplitude] :
             {std::pair{100, 12000.0}, {700, -3000.0}, {1500, 2500.0}})
            if (i >= static_cast<std::size_t>(at) && i < static_cast<std::size_t>(at) + 20)
                v += amplitude * std::sin(std::numbers::pi * static_cast<double>(i - at) / 20.0);
        x[i] = static_cast<std::int16_t>(std::lround(v));
    }
    return x;
}

// Every sample finite, and none at the ends of the display's range.
void ExpectAPlainTrace(const ChainSettings& s, int intervalUs)
{
    static const std::vector<std::int16_t> x = Record();
    const std::vector<double> y = ApplyChain(x, intervalUs, 4000, 6.0, s);
    ASSERT_EQ(AppliedChain(s, intervalUs, 4000, 6.0), s) << "the filter was left out";
    std::vector<std::int16_t> shown(y.size());
    ToDisplaySamples(y, shown);
    for (std::size_t i = 0; i < y.size(); ++i) {
        ASSERT_TRUE(std::isfinite(y[i])) << i;
        ASSERT_GT(shown[i], INT16_MIN) << i;
        ASSERT_LT(shown[i], INT16_MAX) << i;
    }
}

// The number after `prefix` in `message`; NaN when the message does not start so.
double LimitIn(const std::string& message, const std::string& prefix)
{
    if (message.rfind(prefix, 0) != 0 || message.size() < prefix.size() + 3 ||
        message.compare(message.size() - 3, 3, " Hz") != 0)
        return std::nan("");
    return std::stod(message.substr(prefix.size()));
}

struct Edge
{
    const char* what; // the message's name of the cut-off
    FilterKind kind;
    bool lower;  // the lowest (else the highest) value of this cut-off
    bool lowCut; // the value is the filter's low (else high) cut-off
};

constexpr Edge kEdges[] = {
    {"低通截止频率", FilterKind::LowPass, true, false},
    {"低通截止频率", FilterKind::LowPass, false, false},
    {"高通截止频率", FilterKind::HighPass, true, true},
    {"高通截止频率", FilterKind::HighPass, false, true},
    {"带通下限频率", FilterKind::BandPass, true, true},
    {"带通上限频率", FilterKind::BandPass, false, false},
};

CutOffRange RangeOf(FilterKind kind, int order, int intervalUs)
{
    switch (kind) {
    case FilterKind::LowPass:
        return LowPassRange(order, intervalUs);
    case FilterKind::HighPass:
        return HighPassRange(order, intervalUs);
    default:
        return BandPassRange(order, intervalUs);
    }
}

// The settings with the edge's cut-off at `hz`; a band's other edge a wide step away.
ChainSettings At(const Edge& e, int order, int intervalUs, double hz)
{
    const double rate = 1e6 / intervalUs;
    if (e.kind != FilterKind::BandPass)
        return Filter(e.kind, order, e.lowCut ? hz : 0, e.lowCut ? 0 : hz);
    return e.lowCut ? Filter(e.kind, order, hz, 0.2 * rate)
                    : Filter(e.kind, order, 0.01 * rate, hz);
}

TEST(FilterLimitsTest, EachOrderTakesItsLimitAndRefusesATenthOfAHertzPastIt)
{
    for (const int t : kIntervals) {
        for (int order = kMinOrder; order <= kMaxOrder; ++order) {
            for (const Edge& e : kEdges) {
                const CutOffRange range = RangeOf(e.kind, order, t);
                const double limit = e.lower ? range.lowest : range.highest;
                const double past = e.lower ? limit - 0.1 : limit + 0.1;
                SCOPED_TRACE(std::string(e.what) + " " + std::to_string(order) + "阶 " +
                             std::to_string(t) + " µs, limit " + std::to_string(limit));
                // Within a tenth of a hertz of the stop-band side's ideal, which is at most
                // a few hundredths of the sampling rate's 1e-4 away from 0 Hz or half.
                const double rate = 1e6 / t;
                ASSERT_GT(e.lower ? limit : rate / 2 - limit, 0.0);
                ASSERT_LT(e.lower ? limit : rate / 2 - limit, 6e-4 * rate);
                EXPECT_EQ(CheckSettings(At(e, order, t, limit), t), "");
                const std::string why = CheckSettings(At(e, order, t, past), t);
                EXPECT_EQ(LimitIn(why, std::string(e.what) + (e.lower ? "不能低于 " : "不能高于 ")),
                          limit)
                    << why;
                ExpectAPlainTrace(At(e, order, t, limit), t);
            }
        }
    }
}

// Between the limit and four times as far from 0 Hz (or from half the rate), at 200
// steps: the check of the design itself never refuses, so the limit alone decides.
TEST(FilterLimitsTest, EveryCutOffWithinTheLimitsIsRealised)
{
    for (const int t : kIntervals) {
        const double half = 5e5 / t;
        for (int order = kMinOrder; order <= kMaxOrder; ++order) {
            for (const Edge& e : kEdges) {
                const CutOffRange range = RangeOf(e.kind, order, t);
                const double gap = e.lower ? range.lowest : half - range.highest;
                for (int k = 0; k <= 200; ++k) {
                    const double d = gap * std::pow(4.0, k / 200.0);
                    const double hz = e.lower ? d : half - d;
                    const ChainSettings s =
                        At(e, order, t, std::min(std::max(hz, range.lowest), range.highest));
                    ASSERT_EQ(CheckSettings(s, t), "")
                        << e.what << " " << order << "阶 " << t << " µs " << hz << " Hz";
                }
            }
        }
    }
}

TEST(FilterLimitsTest, TheIssuesCasesAreRefusedWithTheirLimits)
{
    struct Row
    {
        ChainSettings s;
        int intervalUs;
        std::string why;
    };
    const Row rows[] = {
        {Filter(FilterKind::HighPass, 4, 10, 0), 2, "高通截止频率不能低于 37 Hz"},
        {Filter(FilterKind::HighPass, 4, 37, 0), 2, ""},
        {Filter(FilterKind::HighPass, 4, 36.9, 0), 2, "高通截止频率不能低于 37 Hz"},
        {Filter(FilterKind::LowPass, 4, 0, 49999.999999), 10, "低通截止频率不能高于 49992.6 Hz"},
        {Filter(FilterKind::LowPass, 4, 0, 49992.6), 10, ""},
        {Filter(FilterKind::LowPass, 2, 0, 75.9), 5, "低通截止频率不能低于 76 Hz"},
        {Filter(FilterKind::HighPass, 8, 249719.9, 0), 2, ""},
        {Filter(FilterKind::HighPass, 8, 249720.1, 0), 2, "高通截止频率不能高于 249720 Hz"},
        {Filter(FilterKind::BandPass, 8, 9.2, 3000), 10, "带通下限频率不能低于 9.3 Hz"},
        {Filter(FilterKind::BandPass, 4, 100, 120), 2,
         "100–120 Hz 的滤波器在采样间隔 2 µs 下无法准确实现，请放宽频带"},
        {Filter(FilterKind::BandPass, 4, 100, 300), 2, ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(CheckSettings(r.s, r.intervalUs), r.why) << DescribeChain(r.s);
        // What is refused is left out, and only what is applied is described.
        const ChainSettings applied = AppliedChain(r.s, r.intervalUs, 4000, 6.0);
        EXPECT_EQ(applied.enabled, r.why.empty()) << DescribeChain(r.s);
    }
}

TEST(FilterLimitsTest, SectionsOutsideTheFloatGridAreRefused)
{
    // A high-pass of order 4 at 1e-5 of the rate: 1 + a1 + a2 is 0 in float.
    EXPECT_TRUE(DesignSections(FilterKind::HighPass, 4, 1e-5, 0).empty());
    // A low-pass at 3.5e-5: stable, but +6.6 dB at 0 Hz.
    EXPECT_TRUE(DesignSections(FilterKind::LowPass, 4, 0, 4.722e-5).empty());
    const std::vector<Section> sections = DesignSections(FilterKind::HighPass, 4, 1e-4, 0);
    ASSERT_EQ(sections.size(), 2u);
    for (const Section& s : sections) {
        EXPECT_LT(std::abs(s.a2), 1.0);
        EXPECT_LT(std::abs(s.a1), 1.0 + s.a2);
    }
}

// liquid-dsp prints its refusals on standard error: it is never asked what it refuses,
// also where a double becomes 0 or 0.5 as a float.
TEST(FilterLimitsTest, LiquidPrintsNothingForAnyRequest)
{
    std::fflush(stderr);
    const int saved = ::dup(2);
    FILE* capture = std::tmpfile();
    ASSERT_NE(capture, nullptr);
    ::dup2(::fileno(capture), 2);
    const double nan = std::nan(""), inf = HUGE_VAL;
    const struct
    {
        FilterKind kind;
        int order;
        double low, high;
    } requests[] = {
        {FilterKind::LowPass, 4, 0, 0.49999999999},
        {FilterKind::LowPass, 4, 0, 0.5},
        {FilterKind::HighPass, 4, 1e-50, 0},
        {FilterKind::HighPass, 4, -1, 0},
        {FilterKind::BandPass, 4, 0.1, 0.4999999999},
        {FilterKind::BandPass, 4, 0.3, 0.2},
        {FilterKind::BandPass, 4, 1e-50, 0.2},
        {FilterKind::LowPass, 4, 0, nan},
        {FilterKind::HighPass, 4, inf, 0},
        {FilterKind::LowPass, 0, 0, 0.1},
        {FilterKind::LowPass, 99, 0, 0.1},
        {FilterKind::None, 4, 0.1, 0.2},
    };
    std::size_t designed = 0;
    for (const auto& r : requests)
        designed += DesignSections(r.kind, r.order, r.low, r.high).size();
    const std::vector<std::int16_t> x = Record();
    std::size_t finite = 0;
    for (const double hz : {49999.999999, 50000.0, 1e-300, nan, -inf}) {
        for (const ChainSettings& s :
             {Filter(FilterKind::LowPass, 4, 0, hz), Filter(FilterKind::HighPass, 4, hz, 0),
              Filter(FilterKind::BandPass, 4, hz, 49999.999999)}) {
            for (const double v : ApplyChain(x, 10, 4000, 6.0, s))
                finite += std::isfinite(v) ? 1 : 0;
        }
    }
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::fseek(capture, 0, SEEK_END);
    const long printed = std::ftell(capture);
    std::fclose(capture);
    EXPECT_EQ(designed, 0u);
    EXPECT_EQ(finite, 15 * x.size());
    EXPECT_EQ(printed, 0) << "liquid-dsp wrote to standard error";
}

} // namespace
} // namespace rovana::processing
