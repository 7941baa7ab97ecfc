#include "Confidence.h"

#include <algorithm>
#include <cmath>

namespace rovana::pick {

double Probability(const Evidence& evidence, const Weights& weights)
{
    double z = 0.0;
    for (std::size_t i = 0; i < kEvidenceSize; ++i)
        z += weights[i] * evidence[i];
    if (!std::isfinite(z))
        return 0.0;
    return 1.0 / (1.0 + std::exp(-std::clamp(z, -40.0, 40.0)));
}

float LogRatio(double v)
{
    return static_cast<float>(std::log(std::max(v, 1e-3)));
}

} // namespace rovana::pick
