// The echo picker: its time per channel, and how well it marks model bolts of two models
// made with different physics (tools/LabelledBolt.h): the layered bar of BoltModel.h, on
// whose seeds 1..3000 the picker was tuned, and the bar solved in time of WaveBolt.h,
// which it was only judged on. The figures that count are the held-out seeds
// 1000001.. of both models, which the tuning never saw: the table for each model,
// and the reliability of the confidences (per tenth, and for both models together).
//
// rovana-pick-bench [--accuracy-only] [--bolts=N] [--wave-bolts=N] [--agreed-bolts=N]
//                   [Google Benchmark options]
#include "Agreement.h"
#include "EchoPicker.h"
#include "LabelledBolt.h"
#include "PickScore.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using rovana::boltmodel::LabelledBolt;
using rovana::boltmodel::Model;

constexpr std::uint64_t kTuningSeed = 1;
constexpr std::uint64_t kHeldOutSeed = 1000001;

// Bolts recorded with 2048 samples, the longest records the instrument makes.
std::vector<LabelledBolt> LongRecords(Model model, int count)
{
    std::vector<LabelledBolt> bolts;
    for (std::uint64_t seed = kHeldOutSeed; static_cast<int>(bolts.size()) < count; ++seed) {
        LabelledBolt b = rovana::boltmodel::MakeLabelledBolt(model, seed);
        if (b.samples.size() == 2048)
            bolts.push_back(std::move(b));
    }
    return bolts;
}

void PickLongRecords(benchmark::State& state, Model model)
{
    const std::vector<LabelledBolt> bolts = LongRecords(model, 64);
    std::size_t i = 0;
    for (auto _ : state) {
        const auto result = rovana::pick::PickEchoes(rovana::boltmodel::InputOf(bolts[i]));
        benchmark::DoNotOptimize(result);
        i = (i + 1) % bolts.size();
    }
}

void BM_PickEchoes2048(benchmark::State& state)
{
    PickLongRecords(state, Model::Layered);
}
BENCHMARK(BM_PickEchoes2048)->Unit(benchmark::kMicrosecond);

void BM_PickEchoes2048Wave(benchmark::State& state)
{
    PickLongRecords(state, Model::Wave);
}
BENCHMARK(BM_PickEchoes2048Wave)->Unit(benchmark::kMicrosecond);

// The whole road for one bolt of each test set: synthesis included, for scale.
void BM_SynthesizeBolt(benchmark::State& state)
{
    std::uint64_t seed = kHeldOutSeed;
    for (auto _ : state) {
        const LabelledBolt bolt = rovana::boltmodel::MakeLabelledBolt(Model::Layered, seed++);
        benchmark::DoNotOptimize(bolt.samples.data());
    }
}
BENCHMARK(BM_SynthesizeBolt)->Unit(benchmark::kMicrosecond);

void BM_SynthesizeWaveBolt(benchmark::State& state)
{
    std::uint64_t seed = kHeldOutSeed;
    for (auto _ : state) {
        const LabelledBolt bolt = rovana::boltmodel::MakeLabelledBolt(Model::Wave, seed++);
        benchmark::DoNotOptimize(bolt.samples.data());
    }
}
BENCHMARK(BM_SynthesizeWaveBolt)->Unit(benchmark::kMillisecond);

rovana::boltmodel::PickTally Report(Model model, const char* name, std::uint64_t first, int count)
{
    const auto tally = rovana::boltmodel::ScoreSeeds(first, count, model);
    std::printf("\nEcho picker on %s %s model bolts (seeds %llu..%llu):\n%s\n%s",
                rovana::boltmodel::ModelName(model), name, static_cast<unsigned long long>(first),
                static_cast<unsigned long long>(first + static_cast<std::uint64_t>(count) - 1),
                rovana::boltmodel::FormatTally(tally).c_str(),
                rovana::boltmodel::FormatGoals(tally).c_str());
    return tally;
}

// Three blows of each bolt (the layered model: the same bolt with other noise; the wave
// model: the hammer a little harder or softer too), picked together: channel 1's picks
// after the comparison.
rovana::boltmodel::PickTally ReportAgreed(Model model, std::uint64_t first, int count)
{
    rovana::boltmodel::PickTally tally;
    for (int i = 0; i < count; ++i) {
        const std::uint64_t seed = first + static_cast<std::uint64_t>(i);
        const LabelledBolt b = rovana::boltmodel::MakeLabelledBolt(model, seed);
        const auto records = rovana::boltmodel::RecordChannels(model, seed, 3);
        std::vector<rovana::pick::PickInput> inputs;
        for (const auto& samples : records) {
            rovana::pick::PickInput input = rovana::boltmodel::InputOf(b);
            input.samples = samples;
            inputs.push_back(input);
        }
        tally.Add(b, rovana::pick::PickChannels(inputs).channels[0]);
    }
    std::printf(
        "\nThree blows compared, %s held-out model bolts (seeds %llu..%llu), channel 1:\n%s",
        rovana::boltmodel::ModelName(model), static_cast<unsigned long long>(first),
        static_cast<unsigned long long>(first + static_cast<std::uint64_t>(count) - 1),
        rovana::boltmodel::FormatGoals(tally).c_str());
    return tally;
}

void PrintReliability(const char* name, const rovana::boltmodel::PickTally& t)
{
    std::printf("\nReliability of the confidences, %s:\n%s%s%s", name,
                rovana::boltmodel::FormatReliability("bottoms", t.bottoms).c_str(),
                rovana::boltmodel::FormatReliability("free ends", t.freeEnds).c_str(),
                rovana::boltmodel::FormatReliability("defects", t.voids).c_str());
}

} // namespace

int main(int argc, char** argv)
{
    bool accuracyOnly = false;
    int bolts = 3000, waveBolts = 2000, agreedBolts = 600;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--accuracy-only") == 0)
            accuracyOnly = true;
        else if (std::strncmp(argv[i], "--bolts=", 8) == 0)
            bolts = std::max(1, std::atoi(argv[i] + 8));
        else if (std::strncmp(argv[i], "--wave-bolts=", 13) == 0)
            waveBolts = std::max(1, std::atoi(argv[i] + 13));
        else if (std::strncmp(argv[i], "--agreed-bolts=", 15) == 0)
            agreedBolts = std::max(0, std::atoi(argv[i] + 15));
        else
            rest.push_back(argv[i]);
    }
    if (!accuracyOnly) {
        int restCount = static_cast<int>(rest.size());
        benchmark::Initialize(&restCount, rest.data());
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    Report(Model::Layered, "tuning", kTuningSeed, bolts);
    const auto layered = Report(Model::Layered, "held-out", kHeldOutSeed, bolts);
    const auto wave = Report(Model::Wave, "held-out", kHeldOutSeed, waveBolts);
    PrintReliability("layered model, held-out", layered);
    PrintReliability("wave model, held-out", wave);
    auto both = layered;
    both += wave;
    PrintReliability("both models, held-out", both);
    if (agreedBolts > 0) {
        auto agreed = ReportAgreed(Model::Layered, kHeldOutSeed, agreedBolts);
        agreed += ReportAgreed(Model::Wave, kHeldOutSeed, agreedBolts);
        PrintReliability("three blows compared, both models, held-out", agreed);
    }
    return 0;
}
