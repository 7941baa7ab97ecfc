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

double Calibrated(double p, const Calibration& c)
{
    if (!std::isfinite(p))
        return 0.0;
    double x0 = 0.0, y0 = 0.0;
    for (int k = 0; k <= c.count; ++k) {
        const double x1 = k < c.count ? c.x[static_cast<std::size_t>(k)] : 1.0;
        const double y1 = k < c.count ? c.y[static_cast<std::size_t>(k)] : 1.0;
        if (p <= x1) {
            const double u = x1 > x0 ? (p - x0) / (x1 - x0) : 1.0;
            return std::clamp(y0 + u * (y1 - y0), 0.0, 1.0);
        }
        x0 = x1;
        y0 = y1;
    }
    return std::clamp(p, 0.0, 1.0);
}

double Confidence(const Evidence& evidence, const Weights& weights, const Calibration& calibration)
{
    return Calibrated(Probability(evidence, weights), calibration);
}

float LogRatio(double v)
{
    return static_cast<float>(std::log(std::max(v, 1e-3)));
}

} // namespace rovana::pick
