#include "Lengths.h"

#include <cmath>
#include <cstdint>

namespace rovana {

float MarkerLength(int a, int b, int sampleIntervalUs, int waveSpeed)
{
    const double d = static_cast<double>(static_cast<std::int64_t>(a) - b);
    const float seconds = static_cast<float>(static_cast<double>(sampleIntervalUs) / 1000000.0);
    return static_cast<float>(static_cast<double>(seconds) * d * waveSpeed * 0.5);
}

float TruncToCentimetres(float metres)
{
    // In float, 0.69999999f * 100 rounds up to 70; 0.69 needs the wider product.
    return static_cast<float>(std::trunc(static_cast<double>(metres) * 100.0) / 100.0);
}

std::optional<ChannelLengths> LengthsOf(std::optional<int> end, std::optional<int> freeEnd,
                                        std::optional<int> bottom, int sampleIntervalUs,
                                        int waveSpeed)
{
    if (!end || !bottom)
        return std::nullopt;
    ChannelLengths l;
    l.total = MarkerLength(*bottom, *end, sampleIntervalUs, waveSpeed);
    if (freeEnd)
        l.free = TruncToCentimetres(MarkerLength(*freeEnd, *end, sampleIntervalUs, waveSpeed));
    l.anchored = l.total - l.free.value_or(0.0f);
    return l;
}

std::optional<double> SpeedForLength(int samples, int sampleIntervalUs, double length)
{
    const double seconds = static_cast<double>(samples) * sampleIntervalUs / 1e6;
    if (!(seconds > 0.0) || !(length > 0.0) || !std::isfinite(length))
        return std::nullopt;
    return 2.0 * length / seconds;
}

} // namespace rovana
