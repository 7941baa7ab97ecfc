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
// the summary window does; BM_SummaryOutputs also makes the window's CSV, Excel and PDF
// bytes in memory. BM_CliSummary runs `rovana-cli summary` itself: /0 prints the JSON
// (to /dev/null), /1 writes the CSV, Excel and PDF files; its counter peak_MiB is the
// program's peak resident memory (getrusage of the child). A spawned child's peak starts
// at its parent's size, so it runs before the benchmarks that keep a summary in memory.
// BM_CliSummaryAgainstPlainReader runs the plain reader and the JSON summary in turn and
// gives their ratio.
// BM_AgainstPlainReader runs rovana-plain-reader (bench/PlainReader.c: list, read, parse
// the header, in C) and `rovana-cli summary` in turn on model bolts whose signals make the
// echo picker do its full work (--folder=DIR, else rovana-make-boltset writes --files
// bolts at set-up, about 40 ms a bolt): /0 JSON with the suggestion cache full, /1 JSON
// with it empty (the folder's rovana-suggestions.cache is removed before each summary),
// /2 PDF with it full, /3 PDF with it empty. Counters: ratio (fastest over fastest),
// median_ratio, cpu_ratio (the processor time of each, user and system: the machine's
// other load left out) and peak_MiB of the summary.
// The program prints its own peak resident memory at the end; run one in-process
// benchmark at a time (--benchmark_filter=BM_SummaryOutputs) to see the peak of that one.
#include "NativePath.h"
#include "SummaryCsv.h"
#include "SummaryPainter.h"
#include "SummaryTable.h"
#include "SummaryXlsx.h"
#include "TestRecord.h"

#include "BenchApplication.h"
#include "SiteFiles.h"
#include "SpawnProgram.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using rovana::bench::ProgramRun;
using rovana::bench::Spawn;

int g_files = 10000;
QString g_folder;

using Clock = std::chrono::steady_clock;

// The model bolts of the ratio benchmarks: --folder, else a set rovana-make-boltset writes.
const QString& ModelFolder()
{
    static std::unique_ptr<QTemporaryDir> generated;
    static QString folder;
    if (folder.isEmpty() && !g_folder.isEmpty())
        folder = g_folder;
    if (folder.isEmpty()) {
        generated = std::make_unique<QTemporaryDir>();
        std::fprintf(stderr, "writing %d model bolts with rovana-make-boltset...\n", g_files);
        const std::string path = generated->path().toStdString();
        if (generated->isValid() &&
            Spawn(ROVANA_MAKE_BOLTSET_PATH, {path, std::to_string(g_files)}).ms >= 0.0)
            folder = generated->path();
        else
            std::fprintf(stderr, "cannot write the model bolts\n");
    }
    return folder;
}

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

// Lists the folder and loads each test file in turn; the files read.
int ReadPlainly(const QString& folder)
{
    int read = 0;
    auto record = std::make_unique<rovana::TestRecord>();
    for (const rovana::FolderEntry& file : rovana::ListTestFiles(folder))
        read += record->Load(file.path) ? 1 : 0;
    return read;
}

void BM_PlainReader(benchmark::State& state)
{
    const QString folder = Folder();
    for (auto _ : state) {
        const int read = ReadPlainly(folder);
        benchmark::DoNotOptimize(read);
        state.counters["files"] = read;
    }
}
BENCHMARK(BM_PlainReader)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Runs rovana-cli with `args`, its output to /dev/null; its peak resident memory in MiB,
// or a negative number when it could not run or failed.
double RunCli(const std::vector<std::string>& args)
{
    return Spawn(ROVANA_CLI_PATH, args).peakMiB;
}

void BM_CliSummary(benchmark::State& state)
{
    const std::string folder = Folder().toStdString();
    QTemporaryDir out;
    std::vector<std::string> args = {"summary", folder};
    if (state.range(0) == 1)
        for (const char* name : {"site.csv", "site.xlsx", "site.pdf"})
            args.insert(args.end(), {std::string("--") + (std::strrchr(name, '.') + 1),
                                     out.filePath(QString::fromLatin1(name)).toStdString()});
    for (auto _ : state) {
        const double peak = RunCli(args);
        if (peak < 0.0) {
            state.SkipWithError("rovana-cli summary failed");
            break;
        }
        state.counters["peak_MiB"] = peak;
    }
}
BENCHMARK(BM_CliSummary)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// The plain reader and `rovana-cli summary` (JSON) in turn, five times: a machine whose
// speed drifts slows both alike within a round. ratio is the fastest summary over the
// fastest plain read, median_ratio the middle one of the rounds' ratios.
void BM_CliSummaryAgainstPlainReader(benchmark::State& state)
{
    const QString folder = Folder();
    const std::vector<std::string> args = {"summary", folder.toStdString()};
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    for (auto _ : state) {
        std::vector<double> plain, cli, ratios;
        for (int round = 0; round < 5; ++round) {
            const auto start = Clock::now();
            benchmark::DoNotOptimize(ReadPlainly(folder));
            const auto read = Clock::now();
            if (RunCli(args) < 0.0) {
                state.SkipWithError("rovana-cli summary failed");
                return;
            }
            plain.push_back(ms(read - start));
            cli.push_back(ms(Clock::now() - read));
            ratios.push_back(cli.back() / plain.back());
        }
        std::sort(ratios.begin(), ratios.end());
        const double fastestPlain = *std::min_element(plain.begin(), plain.end());
        const double fastestCli = *std::min_element(cli.begin(), cli.end());
        state.counters["plain_ms"] = fastestPlain;
        state.counters["summary_ms"] = fastestCli;
        state.counters["ratio"] = fastestCli / fastestPlain;
        state.counters["median_ratio"] = ratios[ratios.size() / 2];
    }
}
BENCHMARK(BM_CliSummaryAgainstPlainReader)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// The plain reader and one kind of summary in turn, five times (see the file's comment).
void BM_AgainstPlainReader(benchmark::State& state)
{
    const QString folder = ModelFolder();
    const bool pdf = state.range(0) >= 2;
    const bool emptyCache = state.range(0) % 2 == 1;
    QTemporaryDir out;
    std::vector<std::string> args = {"summary", folder.toStdString()};
    if (pdf)
        args.insert(args.end(), {"--pdf", out.filePath(QStringLiteral("site.pdf")).toStdString()});
    const std::string cache = (folder + QStringLiteral("/rovana-suggestions.cache")).toStdString();
    if (folder.isEmpty() || (!emptyCache && Spawn(ROVANA_CLI_PATH, args).ms < 0.0)) {
        state.SkipWithError("no model bolts, or rovana-cli summary failed");
        return;
    }
    for (auto _ : state) {
        std::vector<double> plain, summary, ratios, plainCpu, summaryCpu;
        double peak = 0.0;
        for (int round = 0; round < 5; ++round) {
            const ProgramRun read = Spawn(ROVANA_PLAIN_READER_PATH, {folder.toStdString()});
            if (emptyCache)
                std::remove(cache.c_str());
            const ProgramRun summarised = Spawn(ROVANA_CLI_PATH, args);
            if (read.ms < 0.0 || summarised.ms < 0.0) {
                state.SkipWithError("a program failed");
                return;
            }
            plain.push_back(read.ms);
            summary.push_back(summarised.ms);
            plainCpu.push_back(read.cpuMs);
            summaryCpu.push_back(summarised.cpuMs);
            ratios.push_back(summarised.ms / read.ms);
            peak = std::max(peak, summarised.peakMiB);
        }
        std::sort(ratios.begin(), ratios.end());
        const double fastestPlain = *std::min_element(plain.begin(), plain.end());
        const double fastestSummary = *std::min_element(summary.begin(), summary.end());
        state.counters["plain_ms"] = fastestPlain;
        state.counters["summary_ms"] = fastestSummary;
        state.counters["ratio"] = fastestSummary / fastestPlain;
        state.counters["median_ratio"] = ratios[ratios.size() / 2];
        state.counters["peak_MiB"] = peak;
        // On a machine whose cores are shared, the processor time the two spent.
        state.counters["cpu_ratio"] = *std::min_element(summaryCpu.begin(), summaryCpu.end()) /
                                      *std::min_element(plainCpu.begin(), plainCpu.end());
    }
}
BENCHMARK(BM_AgainstPlainReader)
    ->ArgName("pdf_empty")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

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
