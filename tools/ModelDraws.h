#pragma once

// What both model bolts draw and measure alike: the random numbers, the instrument's
// sampling settings for a bar of a given length, and how strongly an echo of the blow
// stands in a record. Standard library only.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

namespace rovana::boltmodel {

// SplitMix64: small, fast and the same on every platform. The state is taken as given;
// each model mixes its seed its own way so that their bolts do not share draws.
class ModelRandom
{
public:
    explicit ModelRandom(std::uint64_t state) : m_state(state) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    double gauss()
    {
        const double u1 = uniform() + 1e-300, u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
    }

private:
    std::uint64_t m_state;
};

// The sampling an engineer would choose for a bar and the design lengths noted for it.
struct ModelRecording
{
    int sampleInterval = 0; // us
    int sampleCount = 0;
    int blowStartSample = 0;
    double designLength = 0.0;     // m, one decimal
    double designFreeLength = 0.0; // m, two decimals
};

// Draws, in this order: one of the settings (2, 5 or 10 us; 1024 or 2048 samples) whose
// record holds the bottom echo with room after it, the blow's start, and design lengths
// within 10 % of the built ones.
inline ModelRecording DrawRecording(ModelRandom& r, double length, double freeLength, int waveSpeed,
                                    double blowMs)
{
    const double roundTripMs = 2.0 * length / waveSpeed * 1000.0;
    std::vector<std::pair<int, int>> fitting;
    for (int interval : {2, 5, 10}) {
        for (int count : {1024, 2048}) {
            const double recordMs = interval * count / 1000.0;
            const double needed = 0.1 * recordMs + roundTripMs + 1.5 * blowMs;
            if (needed <= 0.9 * recordMs && roundTripMs >= 0.12 * recordMs)
                fitting.emplace_back(interval, count);
        }
    }
    if (fitting.empty())
        fitting.emplace_back(10, 2048);
    const auto pick = fitting[std::min(fitting.size() - 1,
                                       static_cast<std::size_t>(r.uniform() * fitting.size()))];
    ModelRecording rec;
    rec.sampleInterval = pick.first;
    rec.sampleCount = pick.second;
    rec.blowStartSample =
        static_cast<int>(std::lround(r.uniform(8.0, std::min(120.0, 0.08 * rec.sampleCount))));
    rec.designLength = std::round(length * (1.0 + r.uniform(-0.1, 0.1)) * 10.0) / 10.0;
    rec.designFreeLength = std::round(freeLength * (1.0 + r.uniform(-0.1, 0.1)) * 100.0) / 100.0;
    return rec;
}

// The largest correlation of part[from, to) with the blow `blow` (peak at `blowPeak`)
// placed with its peak at centre + lag, |lag| <= reach, for the given sign.
inline double BestCorrelation(const std::vector<double>& part, int from, int to,
                              const std::vector<double>& blow, int blowPeak, int centre, int reach,
                              double sign)
{
    from = std::max(from, 0);
    to = std::min(to, static_cast<int>(part.size()));
    double best = 0.0;
    for (int lag = -reach; lag <= reach; ++lag) {
        double sum = 0.0;
        for (int i = from; i < to; ++i) {
            const int j = i - (centre + lag) + blowPeak;
            if (j >= 0 && j < static_cast<int>(blow.size()))
                sum += part[static_cast<std::size_t>(i)] * blow[static_cast<std::size_t>(j)];
        }
        best = std::max(best, sign * sum);
    }
    return best;
}

} // namespace rovana::boltmodel
