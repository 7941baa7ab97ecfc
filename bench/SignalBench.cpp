// The cost of turning one test into what the channel views show: its three spectra and
// three filtered traces, and all of it together with reading the file.
#include "LowPass.h"
#include "Spectrum.h"
#include "TestRecord.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

constexpr int kSampleIntervalUs = 10;

// An echo-like trace: a decaying oscillation plus a weaker reflection.
std::array<std::int16_t, rovana::kSpectrumLength> EchoTrace()
{
    std::array<std::int16_t, rovana::kSpectrumLength> samples{};
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i);
        const double blow =
            12000.0 * std::exp(-t / 300.0) * std::sin(2 * std::numbers::pi * t / 37.0);
        const double echo = i > 900 ? 3000.0 * std::exp(-(t - 900.0) / 200.0) *
                                          std::sin(2 * std::numbers::pi * t / 23.0)
                                    : 0.0;
        samples[i] = static_cast<std::int16_t>(blow + echo);
    }
    return samples;
}

// One channel view's buffers, sized as the view holds them.
struct ChannelBuffers
{
    std::array<std::int16_t, 10240> wave{};
    std::array<std::int16_t, rovana::kSpectrumLength> raw{};
    std::array<std::int16_t, rovana::kSpectrumLength> spectrum{};
    std::array<std::int32_t, rovana::kPhaseLength> phase{};
};

void BM_ComputeSpectrum2048(benchmark::State& state)
{
    const auto trace = EchoTrace();
    ChannelBuffers view;
    for (auto _ : state) {
        view.spectrum = trace;
        const auto result = rovana::ComputeSpectrum(view.spectrum, view.phase,
                                                    static_cast<float>(kSampleIntervalUs), 2048);
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComputeSpectrum2048);

void BM_LowPass2048(benchmark::State& state)
{
    const auto trace = EchoTrace();
    ChannelBuffers view;
    view.raw = trace;
    for (auto _ : state) {
        rovana::LowPass(view.wave, view.raw, kSampleIntervalUs, 2048);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LowPass2048);

QStringList SampleFiles()
{
    const QDir dir(QStringLiteral(ROVANA_SAMPLES_DIR));
    QStringList files;
    for (const QString& name : dir.entryList({QStringLiteral("*.mg")}, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

// What a load does per test: read the file, then per channel clear the buffers, copy the
// raw samples, filter them into the display buffer and compute spectrum and phase.
void BM_LoadOneTest(benchmark::State& state)
{
    const QStringList files = SampleFiles();
    if (files.isEmpty()) {
        state.SkipWithError("no sample files in " ROVANA_SAMPLES_DIR);
        return;
    }
    rovana::TestRecord record;
    std::array<ChannelBuffers, rovana::kChannelCount> views{};
    qsizetype next = 0;
    for (auto _ : state) {
        if (!record.Load(files[next])) {
            state.SkipWithError("a sample file did not load");
            return;
        }
        next = (next + 1) % files.size();
        for (int c = 0; c < rovana::kChannelCount; ++c) {
            ChannelBuffers& view = views[static_cast<std::size_t>(c)];
            const auto& channel = record.m_nSamples[static_cast<std::size_t>(c)];
            view.wave.fill(0);
            std::copy_n(channel.begin(), view.raw.size(), view.raw.begin());
            rovana::LowPass(view.wave, view.raw, record.m_nSampleInterval, record.m_nSampleCount);
            view.spectrum = view.raw;
            benchmark::DoNotOptimize(rovana::ComputeSpectrum(
                view.spectrum, view.phase, static_cast<float>(record.m_nSampleInterval),
                record.m_nSampleCount));
        }
        benchmark::ClobberMemory();
    }
    state.counters["files"] = static_cast<double>(files.size());
}
BENCHMARK(BM_LoadOneTest)->Unit(benchmark::kMicrosecond);

} // namespace
