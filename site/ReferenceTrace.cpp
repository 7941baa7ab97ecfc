#include "ReferenceTrace.h"

#include "LowPass.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace rovana {

namespace {

using Display = std::array<std::int16_t, kMaxSampleCount>;

std::span<const std::int16_t> Usable(const TestRecord& record, int channel)
{
    return std::span(record.m_nSamples[static_cast<std::size_t>(channel)])
        .first(static_cast<std::size_t>(UsableSampleCount(record)));
}

// The blow's sample and the largest magnitude of the shown trace within the peak window
// after it (0 for a silent channel).
struct Blow
{
    std::size_t at = 0;
    double peak = 0;
};

Blow BlowOf(const TestRecord& record, int channel, const Display& shown)
{
    Blow blow;
    const auto usable = Usable(record, channel);
    blow.at = processing::BlowOnset(usable, record.m_nSampleInterval);
    const auto window = static_cast<std::size_t>(kBlowPeakWindowUs / record.m_nSampleInterval);
    const std::size_t end = std::min(usable.size(), blow.at + window + 1);
    for (std::size_t i = blow.at; i < end; ++i)
        blow.peak = std::max(blow.peak, std::abs(static_cast<double>(shown[i])));
    return blow;
}

} // namespace

int DisplayedSamples(const TestRecord& record, int channel, const processing::ChainSettings& chain,
                     bool lowPass, std::span<std::int16_t> display)
{
    std::fill(display.begin(), display.end(), std::int16_t{0});
    const auto usable = Usable(record, channel);
    if (!processing::IsChainOff(chain))
        return processing::ToDisplaySamples(
            processing::ApplyChain(usable, record.m_nSampleInterval, record.m_nWaveSpeed,
                                   record.m_fDesignLength, chain),
            display);
    if (lowPass)
        LowPass(display, record.m_nSamples[static_cast<std::size_t>(channel)],
                record.m_nSampleInterval, UsableSampleCount(record));
    else // the whole buffer, as the file holds it: a compressed view draws past the count
        std::copy_n(record.m_nSamples[static_cast<std::size_t>(channel)].begin(),
                    std::min<std::size_t>(kMaxSampleCount, display.size()), display.begin());
    return 0;
}

std::vector<std::int16_t> ReferenceTrace(const TestRecord& reference, const TestRecord& current,
                                         int channel, const processing::ChainSettings& chain,
                                         bool lowPass)
{
    if (channel < 0 || channel >= kChannelCount || reference.m_nSampleInterval <= 0 ||
        current.m_nSampleInterval <= 0)
        return {};
    Display ref{}, cur{};
    DisplayedSamples(reference, channel, chain, lowPass, ref);
    DisplayedSamples(current, channel, chain, lowPass, cur);
    const Blow refBlow = BlowOf(reference, channel, ref);
    const Blow curBlow = BlowOf(current, channel, cur);
    if (refBlow.peak <= 0 || curBlow.peak <= 0)
        return {};

    const double scale = curBlow.peak / refBlow.peak;
    const double step = static_cast<double>(current.m_nSampleInterval) /
                        static_cast<double>(reference.m_nSampleInterval);
    const auto refCount = static_cast<std::size_t>(UsableSampleCount(reference));
    std::vector<std::int16_t> trace(static_cast<std::size_t>(UsableSampleCount(current)), 0);
    for (std::size_t k = 0; k < trace.size(); ++k) {
        // The reference sample at the same time after its blow as sample k after the
        // current blow.
        const double r = static_cast<double>(refBlow.at) +
                         (static_cast<double>(k) - static_cast<double>(curBlow.at)) * step;
        if (r < 0 || r > static_cast<double>(refCount - 1))
            continue;
        const auto i = static_cast<std::size_t>(r);
        const double frac = r - static_cast<double>(i);
        const double next = i + 1 < refCount ? ref[i + 1] : ref[i];
        const double v = (ref[i] + frac * (next - ref[i])) * scale;
        trace[k] = static_cast<std::int16_t>(std::clamp(std::trunc(v), -32768.0, 32767.0));
    }
    return trace;
}

} // namespace rovana
