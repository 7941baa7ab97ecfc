// The cost of the processing chain on one test: three channels of 2,048 samples, each
// with offset removal, the zero-phase Butterworth filter and the depth gain. Goal: at most
// 0.2 ms for the three.
#include "ProcessingChain.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

using rovana::processing::ChainSettings;
using rovana::processing::FilterKind;
using rovana::processing::GainKind;

// Three echo-like channels: a quiet lead, a decaying blow and a later reflection.
std::array<std::vector<std::int16_t>, 3> Channels()
{
    std::array<std::vector<std::int16_t>, 3> channels;
    for (std::size_t c = 0; c < channels.size(); ++c) {
        auto& x = channels[c];
        x.resize(2048);
        for (std::size_t i = 0; i < x.size(); ++i) {
            const double t = static_cast<double>(i) - 60.0 - 10.0 * c;
            const double blow =
                t < 0 ? 0
                      : 12000.0 * std::exp(-t / 300.0) * std::sin(2 * std::numbers::pi * t / 37.0);
            const double echo = t > 900 ? 3000.0 * std::exp(-(t - 900.0) / 200.0) *
                                              std::sin(2 * std::numbers::pi * t / 23.0)
                                        : 0.0;
            x[i] = static_cast<std::int16_t>(blow + echo + 5 * std::sin(1.7 * i));
        }
    }
    return channels;
}

void RunChain(benchmark::State& state, const ChainSettings& settings)
{
    const auto channels = Channels();
    for (auto _ : state) {
        for (const auto& x : channels) {
            auto y = rovana::processing::ApplyChain(x, 10, 4000, 6.0, settings);
            benchmark::DoNotOptimize(y.data());
        }
        benchmark::ClobberMemory();
    }
}

void BM_ChainBandPass4ExpGainThreeChannels(benchmark::State& state)
{
    RunChain(state, {true, FilterKind::BandPass, 4, 100, 3000, GainKind::Exponential, 8});
}
BENCHMARK(BM_ChainBandPass4ExpGainThreeChannels)->Unit(benchmark::kMicrosecond);

// The costliest settings: a band-pass of order 8 (eight sections) and the exponential gain.
void BM_ChainBandPass8ExpGainThreeChannels(benchmark::State& state)
{
    RunChain(state, {true, FilterKind::BandPass, 8, 100, 3000, GainKind::Exponential, 8});
}
BENCHMARK(BM_ChainBandPass8ExpGainThreeChannels)->Unit(benchmark::kMicrosecond);

void BM_ChainLowPass4ThreeChannels(benchmark::State& state)
{
    RunChain(state, {true, FilterKind::LowPass, 4, 0, 5000, GainKind::None, 1});
}
BENCHMARK(BM_ChainLowPass4ThreeChannels)->Unit(benchmark::kMicrosecond);

} // namespace
