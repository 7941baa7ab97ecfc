#include "ProcessingChain.h"

#include "Blow.h"
#include "FilterDesign.h"
#include "Saturate.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace rovana::processing {
namespace {

// The depth gain stops growing here: far past anything a trace can show, and small enough
// that a gained sample stays finite and fits a float.
constexpr double kMaxGainFactor = 1e30;

// The shortest decimal without an exponent that reads back as `value` ("600000", "2.5").
std::string Num(double value)
{
    std::array<char, 400> buf{};
    const auto r =
        std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed);
    return std::string(buf.data(), r.ptr);
}

// "%1" in `text` replaced by `a`, "%2" by `b`.
std::string Fill(std::string text, const std::string& a, const std::string& b = {})
{
    if (const auto p = text.find("%1"); p != std::string::npos)
        text.replace(p, 2, a);
    if (const auto p = text.find("%2"); p != std::string::npos)
        text.replace(p, 2, b);
    return text;
}

bool GainOn(const ChainSettings& s)
{
    return s.enabled && s.gain != GainKind::None;
}

bool FilterOn(const ChainSettings& s)
{
    return s.enabled && s.filter != FilterKind::None;
}

std::string CheckCutOff(double hz, double halfRate)
{
    if (!(hz > 0))
        return Fill("截止频率 %1 Hz 必须大于 0", Num(hz));
    if (!(hz < halfRate))
        return Fill("截止频率 %1 Hz 不低于采样频率的一半 %2 Hz", Num(hz), Num(halfRate));
    return {};
}

// A cut-off outside the range the order can realise at this interval, or empty. `what`
// names the cut-off ("低通截止频率").
std::string CheckRange(const char* what, double hz, const CutOffRange& range)
{
    if (hz < range.lowest)
        return Fill("%1不能低于 %2 Hz", what, Num(range.lowest));
    if (hz > range.highest)
        return Fill("%1不能高于 %2 Hz", what, Num(range.highest));
    return {};
}

// The filter the settings ask for: its checked sections, or why there are none.
struct FilterPlan
{
    std::vector<Section> sections;
    std::string why;
};

// The interval, the order, each cut-off above 0 and below half the rate, a band's order.
std::string CheckFilterBasics(const ChainSettings& s, int sampleIntervalUs)
{
    if (sampleIntervalUs <= 0)
        return Fill("采样间隔 %1 µs 无效，无法滤波", Num(sampleIntervalUs));
    if (s.order < kMinOrder || s.order > kMaxOrder)
        return Fill("滤波器阶数 %1 不在 2..8 之间", Num(s.order));
    const double halfRate = 500000.0 / sampleIntervalUs;
    std::string why;
    if (s.filter != FilterKind::LowPass)
        why = CheckCutOff(s.lowHz, halfRate);
    if (why.empty() && s.filter != FilterKind::HighPass)
        why = CheckCutOff(s.highHz, halfRate);
    if (why.empty() && s.filter == FilterKind::BandPass && !(s.lowHz < s.highHz))
        why = Fill("带通的下限 %1 Hz 必须低于上限 %2 Hz", Num(s.lowHz), Num(s.highHz));
    return why;
}

std::string CheckGainBasics(const ChainSettings& s, int sampleIntervalUs)
{
    if (sampleIntervalUs <= 0)
        return Fill("采样间隔 %1 µs 无效，无法放大", Num(sampleIntervalUs));
    if (!(s.gainAtDesign >= kMinGain && s.gainAtDesign <= kMaxGain))
        return Fill("放大倍数 %1 不在 1..100 之间", Num(s.gainAtDesign));
    return {};
}

FilterPlan PlanFilter(const ChainSettings& s, int sampleIntervalUs)
{
    std::string why = CheckFilterBasics(s, sampleIntervalUs);
    if (why.empty()) {
        switch (s.filter) {
        case FilterKind::LowPass:
            why = CheckRange("低通截止频率", s.highHz, LowPassRange(s.order, sampleIntervalUs));
            break;
        case FilterKind::HighPass:
            why = CheckRange("高通截止频率", s.lowHz, HighPassRange(s.order, sampleIntervalUs));
            break;
        default: {
            const CutOffRange band = BandPassRange(s.order, sampleIntervalUs);
            why = CheckRange("带通下限频率", s.lowHz, band);
            if (why.empty())
                why = CheckRange("带通上限频率", s.highHz, band);
            break;
        }
        }
    }
    if (!why.empty())
        return {{}, why};
    const double rate = 1e6 / sampleIntervalUs;
    FilterPlan plan{DesignSections(s.filter, s.order, s.lowHz / rate, s.highHz / rate), {}};
    if (plan.sections.empty()) {
        // Within the limits only a band too narrow for its place comes here.
        const std::string band = s.filter == FilterKind::BandPass
                                     ? Num(s.lowHz) + "–" + Num(s.highHz)
                                     : Num(s.filter == FilterKind::LowPass ? s.highHz : s.lowHz);
        plan.why = Fill("%1 Hz 的滤波器在采样间隔 %2 µs 下无法准确实现，请放宽频带", band,
                        Num(sampleIntervalUs));
    }
    return plan;
}

// Runs the cascade over `x` in place, each section starting in the steady state that a
// constant input equal to x[0] would have left. The sections are pipelined: in step t
// section k filters sample t - k, the output section k - 1 gave in step t - 1, so that the
// sections of one step do not wait for each other. Each sample meets the same operations in
// the same order as when it went through all sections at once.
void RunCascade(const std::vector<Section>& sections, std::vector<double>& x)
{
    if (x.empty() || sections.empty())
        return;
    const std::size_t count = sections.size();
    const std::size_t n = x.size();
    std::vector<double> z1(count), z2(count), pending(count);
    double u = x.front();
    for (std::size_t k = 0; k < count; ++k) {
        const Section& s = sections[k];
        const double y = (s.b0 + s.b1 + s.b2) / (1.0 + s.a1 + s.a2) * u;
        z2[k] = s.b2 * u - s.a2 * y;
        z1[k] = s.b1 * u - s.a1 * y + z2[k];
        u = y;
    }
    const auto step = [&](std::size_t k, double in) {
        const Section& s = sections[k];
        const double out = s.b0 * in + z1[k];
        z1[k] = s.b1 * in - s.a1 * out + z2[k];
        z2[k] = s.b2 * in - s.a2 * out;
        return out;
    };
    // Step t: the last section first, as it takes what the one before it gave in step t - 1.
    const auto run = [&](std::size_t t) {
        for (std::size_t k = count; k-- > 0;) {
            if (t < k || t - k >= n)
                continue;
            const double out = step(k, k == 0 ? x[t] : pending[k]);
            if (k + 1 < count)
                pending[k + 1] = out;
            else
                x[t - k] = out;
        }
    };
    const std::size_t full = count - 1; // from this step on every section has a sample
    for (std::size_t t = 0; t < std::min(full, n); ++t)
        run(t);
    if (full == 0) {
        for (std::size_t t = 0; t < n; ++t)
            x[t] = step(0, x[t]);
    } else {
        for (std::size_t t = full; t < n; ++t) {
            x[t - full] = step(full, pending[full]);
            for (std::size_t k = full; k-- > 1;)
                pending[k + 1] = step(k, pending[k]);
            pending[1] = step(0, x[t]);
        }
    }
    for (std::size_t t = std::max(full, n); t < n + full; ++t)
        run(t);
}

// Forward and backward over the signal with odd reflections at both ends.
void ZeroPhase(const std::vector<Section>& sections, std::vector<double>& x)
{
    const std::size_t n = x.size();
    if (n == 0 || sections.empty())
        return;
    const std::size_t pad = std::min(3 * (2 * sections.size() + 1), n - 1);
    std::vector<double> ext(n + 2 * pad);
    for (std::size_t k = 0; k < pad; ++k) {
        ext[k] = 2 * x.front() - x[pad - k];
        ext[pad + n + k] = 2 * x.back() - x[n - 2 - k];
    }
    std::copy(x.begin(), x.end(), ext.begin() + static_cast<std::ptrdiff_t>(pad));
    RunCascade(sections, ext);
    std::reverse(ext.begin(), ext.end());
    RunCascade(sections, ext);
    std::reverse(ext.begin(), ext.end());
    std::copy_n(ext.begin() + static_cast<std::ptrdiff_t>(pad), n, x.begin());
}

void Amplify(const ChainSettings& s, std::size_t blow, int sampleIntervalUs, int waveSpeed,
             double designLength, std::vector<double>& x)
{
    // Samples per design two-way time; a design length so short that this underflows
    // reaches the largest gain at once.
    const double design = std::max(2.0 * designLength / waveSpeed / (sampleIntervalUs * 1e-6),
                                   std::numeric_limits<double>::min());
    const double g = s.gainAtDesign;
    if (s.gain == GainKind::Linear) {
        for (std::size_t i = blow; i < x.size(); ++i)
            x[i] *= std::min(1.0 + (g - 1.0) * (static_cast<double>(i - blow) / design),
                             kMaxGainFactor);
        return;
    }
    // G^(t / T) by a constant ratio per sample, restarted exactly every 256 samples.
    const double logG = std::log(g), step = std::exp(logG / design);
    double factor = 1.0;
    for (std::size_t i = blow; i < x.size(); ++i) {
        if ((i - blow) % 256 == 0)
            factor =
                std::min(std::exp(logG * (static_cast<double>(i - blow) / design)), kMaxGainFactor);
        x[i] *= factor;
        factor = std::min(factor * step, kMaxGainFactor);
    }
}

bool GainAccepted(const ChainSettings& s, int sampleIntervalUs, int waveSpeed, double designLength)
{
    return CheckGainBasics(s, sampleIntervalUs).empty() &&
           CheckGainBasis(s, waveSpeed, designLength).empty();
}

// AppliedChain, with the filter's plan for ApplyChain (no sections when it is left out).
ChainSettings Applied(const ChainSettings& settings, int sampleIntervalUs, int waveSpeed,
                      double designLength, FilterPlan& plan)
{
    ChainSettings applied = settings;
    if (FilterOn(settings)) {
        plan = PlanFilter(settings, sampleIntervalUs);
        if (!plan.why.empty())
            applied.filter = FilterKind::None;
    }
    if (GainOn(settings) && !GainAccepted(settings, sampleIntervalUs, waveSpeed, designLength))
        applied.gain = GainKind::None;
    applied.enabled = settings.enabled && !IsChainOff(applied);
    return applied;
}

} // namespace

bool IsChainOff(const ChainSettings& settings)
{
    return !FilterOn(settings) && !GainOn(settings);
}

std::string CheckSettings(const ChainSettings& settings, int sampleIntervalUs)
{
    if (FilterOn(settings)) {
        if (std::string why = PlanFilter(settings, sampleIntervalUs).why; !why.empty())
            return why;
    }
    if (GainOn(settings))
        return CheckGainBasics(settings, sampleIntervalUs);
    return {};
}

std::string CheckSettingsForAnyInterval(const ChainSettings& settings)
{
    constexpr int kShortestIntervalUs = 1;
    if (FilterOn(settings)) {
        if (std::string why = CheckFilterBasics(settings, kShortestIntervalUs); !why.empty())
            return why;
    }
    if (GainOn(settings))
        return CheckGainBasics(settings, kShortestIntervalUs);
    return {};
}

std::string CheckGainBasis(const ChainSettings& settings, int waveSpeed, double designLength)
{
    if (!GainOn(settings) || (waveSpeed > 0 && designLength > 0 && std::isfinite(designLength)))
        return {};
    return Fill("放大需要有效的波速与设计长度（波速 %1 m/s，设计长度 %2 m）", Num(waveSpeed),
                Num(designLength));
}

std::size_t BlowOnset(std::span<const std::int16_t> samples, int sampleIntervalUs)
{
    const std::optional<pick::RecordBlow> found = pick::FindBlow(samples, sampleIntervalUs);
    return found ? static_cast<std::size_t>(found->blow.onset) : 0;
}

ChainSettings AppliedChain(const ChainSettings& settings, int sampleIntervalUs, int waveSpeed,
                           double designLength)
{
    FilterPlan plan;
    return Applied(settings, sampleIntervalUs, waveSpeed, designLength, plan);
}

std::vector<double> ApplyChain(std::span<const std::int16_t> samples, int sampleIntervalUs,
                               int waveSpeed, double designLength, const ChainSettings& settings)
{
    std::vector<double> x(samples.begin(), samples.end());
    FilterPlan plan;
    const ChainSettings applied =
        Applied(settings, sampleIntervalUs, waveSpeed, designLength, plan);
    if (IsChainOff(applied) || x.empty())
        return x;
    const std::size_t blow = BlowOnset(samples, sampleIntervalUs);
    if (blow > 0) {
        double sum = 0;
        for (std::size_t i = 0; i < blow; ++i)
            sum += x[i];
        const double mean = sum / static_cast<double>(blow);
        for (double& v : x)
            v -= mean;
    }
    if (FilterOn(applied))
        ZeroPhase(plan.sections, x);
    if (GainOn(applied))
        Amplify(applied, blow, sampleIntervalUs, waveSpeed, designLength, x);
    return x;
}

int ToDisplaySamples(std::span<const double> in, std::span<std::int16_t> out)
{
    const std::size_t n = std::min(in.size(), out.size());
    int clipped = 0;
    for (std::size_t i = 0; i < n; ++i) {
        // Limited before it is narrowed to a float, so that no conversion is out of range.
        const double v = std::clamp(in[i], double{INT16_MIN} - 1.0, double{INT16_MAX} + 1.0);
        out[i] = TruncToInt16(static_cast<float>(v));
        if (!(std::abs(in[i]) < 32768.0))
            ++clipped;
    }
    return clipped;
}

std::string DescribeChain(const ChainSettings& settings)
{
    std::string text = "信号处理: ";
    if (IsChainOff(settings))
        return text + "无";
    if (FilterOn(settings)) {
        switch (settings.filter) {
        case FilterKind::LowPass:
            text += "低通 " + Num(settings.highHz);
            break;
        case FilterKind::HighPass:
            text += "高通 " + Num(settings.lowHz);
            break;
        default:
            text += "带通 " + Num(settings.lowHz) + "–" + Num(settings.highHz);
            break;
        }
        text += " Hz " + Num(settings.order) + "阶";
        if (GainOn(settings))
            text += ", ";
    }
    if (GainOn(settings)) {
        text += settings.gain == GainKind::Linear ? "线性放大 ×" : "指数放大 ×";
        text += Num(settings.gainAtDesign);
    }
    return text;
}

} // namespace rovana::processing
