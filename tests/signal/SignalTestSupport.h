#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace rovana::test {

// Written past the end of every buffer handed to the code under test; a change means an
// overrun.
inline constexpr std::int16_t kSampleSentinel = 0x5A5A;
inline constexpr std::int32_t kPhaseSentinel = 0x7E57C0DE;

// Samples of a cosine with `amplitude` that completes `cycles` periods in `period`
// samples, rounded to the nearest integer.
inline std::vector<std::int16_t> Cosine(int count, double cycles, int period, double amplitude,
                                        double phaseRadians = 0.0)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double angle = 2.0 * std::numbers::pi * cycles * i / period + phaseRadians;
        samples[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(std::lround(amplitude * std::cos(angle)));
    }
    return samples;
}

inline std::vector<std::int16_t> RandomSamples(int count, unsigned seed, int limit = 32767)
{
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> value(-limit, limit);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
    for (auto& s : samples)
        s = static_cast<std::int16_t>(value(engine));
    return samples;
}

} // namespace rovana::test
