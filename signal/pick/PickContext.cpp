#include "PickContext.h"

#include <algorithm>
#include <cmath>

namespace rovana::pick {

double ConfidenceOf(float snr)
{
    return std::clamp((static_cast<double>(snr) - 3.0) / 9.0, 0.0, 1.0);
}

float PriorWeight(double depth, double design, double spread)
{
    if (design <= 0.0)
        return 1.0f;
    const double z = (depth - design) / spread;
    return static_cast<float>(0.15 + 0.85 * std::exp(-0.5 * z * z));
}

bool IsPeak(const std::vector<float>& y, int i, float sign)
{
    const int n = static_cast<int>(y.size());
    const float v = sign * y[static_cast<std::size_t>(i)];
    return (i == 0 || v >= sign * y[static_cast<std::size_t>(i) - 1]) &&
           (i + 1 >= n || v > sign * y[static_cast<std::size_t>(i) + 1]);
}

int ExtremeIn(const std::vector<float>& y, int from, int to, float sign)
{
    from = std::max(from, 0);
    to = std::min(to, static_cast<int>(y.size()));
    int best = -1;
    for (int i = from; i < to; ++i) {
        if (best < 0 ||
            sign * y[static_cast<std::size_t>(i)] > sign * y[static_cast<std::size_t>(best)])
            best = i;
    }
    return best;
}

PickedEcho Echo(int sample, float snr)
{
    return {std::max(1, sample), ConfidenceOf(snr), snr};
}

} // namespace rovana::pick
