#include "LowPass.h"

#include "Saturate.h"

#include <algorithm>
#include <cstddef>

namespace rovana {

float FilterAlpha(int sampleIntervalUs)
{
    const long double alpha =
        static_cast<long double>(sampleIntervalUs) * 6.28L * 10000.0L / 1000000.0L;
    return static_cast<float>(alpha);
}

void LowPass(std::span<std::int16_t> display, std::span<const std::int16_t> raw,
             int sampleIntervalUs, int sampleCount)
{
    if (sampleCount <= 0 || display.empty() || raw.empty())
        return;
    const std::size_t n =
        std::min({static_cast<std::size_t>(sampleCount), display.size(), raw.size()});
    if (sampleIntervalUs <= 0) {
        for (std::size_t i = 0; i < n; ++i)
            display[i] = raw[i];
        return;
    }
    const float alpha = FilterAlpha(sampleIntervalUs);
    const float keep = 1.0f - alpha;
    display[0] = raw[0];
    for (std::size_t i = 1; i < n; ++i) {
        const float fresh = alpha * static_cast<float>(raw[i]);
        const float previous = keep * static_cast<float>(display[i - 1]);
        display[i] = TruncToInt16(fresh + previous);
    }
}

} // namespace rovana
