// The site summary of many files against a plain reader of the same files, and the peak
// memory of each.
//
//   rovana-summary-bench [--files=N] [--folder=DIR] [--benchmark_filter=...]
//
// --files=N    model site of N files (bench/SiteFiles.h), written to a temporary folder
//              at set-up (default 10000; 100000 takes about 1.3 GB of /tmp).
// --folder=DIR summarise the ".mg" files of DIR instead, e.g. a set written by
//              rovana-make-boltset (its signals make the echo picker do real work).
//
// BM_PlainReader lists the folder and reads each file and its header (TestRecord::Load),
// one after the other: the least any summary must do. BM_SummaryTable reads the rows as
// `rovana-cli summary` does; BM_SummaryOutputs also makes the CSV, Excel and PDF bytes.
// The program prints the process's peak resident memory (getrusage) at the end; run one
// benchmark at a time (--benchmark_filter=BM_SummaryOutputs) to see the peak of that one.
#include "NativePath.h"
#include "SummaryCsv.h"
#include "SummaryPainter.h"
#include "SummaryTable.h"
#include "SummaryXlsx.h"
#include "TestRecord.h"

#include "BenchApplication.h"
#include "SiteFiles.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

int g_files = 10000;
QString g_folder;

const QString& Folder()
{
    static std::unique_ptr<QTemporaryDir> generated;
    if (g_folder.isEmpty()) {
        generated = std::make_unique<QTemporaryDir>();
        if (generated->isValid() && rovana::bench::WriteSite(generated->path(), g_files))
            g_folder = generated->path();
        else
            std::fprintf(stderr, "cannot write the model site\n");
    }
    return g_folder;
}

void BM_PlainReader(benchmark::State& state)
{
    const QString folder = Folder();
    for (auto _ : state) {
        int read = 0;
        auto record = std::make_unique<rovana::TestRecord>();
        for (const rovana::FolderEntry& file : rovana::ListTestFiles(folder))
            read += record->Load(file.path) ? 1 : 0;
        benchmark::DoNotOptimize(read);
        state.counters["files"] = read;
    }
}
BENCHMARK(BM_PlainReader)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_SummaryTable(benchmark::State& state)
{
    const QString folder = Folder();
    for (auto _ : state) {
        const auto summary = rovana::summary::SummarizeFolder(folder);
        if (!summary)
            state.SkipWithError("the folder was not read");
        benchmark::DoNotOptimize(summary);
    }
}
BENCHMARK(BM_SummaryTable)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_SummaryOutputs(benchmark::State& state)
{
    if (!rovana::bench::EnsureGuiApplication()) {
        state.SkipWithError("no GUI application");
        return;
    }
    const QString folder = Folder();
    for (auto _ : state) {
        const auto summary = rovana::summary::SummarizeFolder(folder);
        if (!summary) {
            state.SkipWithError("the folder was not read");
            break;
        }
        const QByteArray csv = rovana::summary::SummaryCsv(*summary);
        const auto xlsx = rovana::summary::SummaryXlsx(*summary);
        const auto pdf = rovana::summary::SummaryPdf(*summary);
        if (!xlsx || !pdf)
            state.SkipWithError("an output could not be made");
        benchmark::DoNotOptimize(csv);
    }
}
BENCHMARK(BM_SummaryOutputs)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!rovana::bench::ReadSiteOptions(argc, argv, 1, g_files, g_folder))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory: %.1f MiB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::fflush(stdout);
    return 0;
}
