// The echo picker: its time per channel, and how well it marks a few thousand model bolts
// (tools/BoltModel.h). The picker was tuned on seeds 1..3000 ("tuning"); the figures that
// count are those of the held-out seeds 1000001.. ("held-out"), which it never saw.
//
// rovana-pick-bench [--accuracy-only] [--bolts=N] [Google Benchmark options]
#include "BoltModel.h"
#include "EchoPicker.h"
#include "PickScore.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using rovana::boltmodel::MakeBolt;
using rovana::boltmodel::ModelBolt;

constexpr std::uint64_t kTuningSeed = 1;
constexpr std::uint64_t kHeldOutSeed = 1000001;

// Bolts recorded with 2048 samples, the longest records the instrument makes.
std::vector<ModelBolt> LongRecords(int count)
{
    std::vector<ModelBolt> bolts;
    for (std::uint64_t seed = kHeldOutSeed; static_cast<int>(bolts.size()) < count; ++seed) {
        rovana::boltmodel::BoltParameters p = rovana::boltmodel::DrawBolt(seed);
        if (p.sampleCount == 2048)
            bolts.push_back(rovana::boltmodel::Synthesize(p));
    }
    return bolts;
}

void BM_PickEchoes2048(benchmark::State& state)
{
    const std::vector<ModelBolt> bolts = LongRecords(64);
    std::size_t i = 0;
    for (auto _ : state) {
        const auto result = rovana::pick::PickEchoes(rovana::boltmodel::InputOf(bolts[i]));
        benchmark::DoNotOptimize(result);
        i = (i + 1) % bolts.size();
    }
}
BENCHMARK(BM_PickEchoes2048)->Unit(benchmark::kMicrosecond);

// The whole road for one bolt of the test set: synthesis included, for scale.
void BM_SynthesizeBolt(benchmark::State& state)
{
    std::uint64_t seed = kHeldOutSeed;
    for (auto _ : state) {
        const ModelBolt bolt = MakeBolt(seed++);
        benchmark::DoNotOptimize(bolt.samples.data());
    }
}
BENCHMARK(BM_SynthesizeBolt)->Unit(benchmark::kMicrosecond);

void PrintAccuracy(const char* name, std::uint64_t first, int count)
{
    const auto tally = rovana::boltmodel::ScoreSeeds(first, count);
    std::printf("\nEcho picker on %s model bolts (seeds %llu..%llu):\n%s", name,
                static_cast<unsigned long long>(first),
                static_cast<unsigned long long>(first + static_cast<std::uint64_t>(count) - 1),
                rovana::boltmodel::FormatTally(tally).c_str());
}

} // namespace

int main(int argc, char** argv)
{
    bool accuracyOnly = false;
    int bolts = 3000;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--accuracy-only") == 0)
            accuracyOnly = true;
        else if (std::strncmp(argv[i], "--bolts=", 8) == 0)
            bolts = std::max(1, std::atoi(argv[i] + 8));
        else
            rest.push_back(argv[i]);
    }
    if (!accuracyOnly) {
        int restCount = static_cast<int>(rest.size());
        benchmark::Initialize(&restCount, rest.data());
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    PrintAccuracy("tuning", kTuningSeed, bolts);
    PrintAccuracy("held-out", kHeldOutSeed, bolts);
    return 0;
}
