// The site summary of a folder of 10,000 test files: the table data (listing, reading,
// statistics) and the PDF of all its pages. The folder is generated at set-up.
#include "SummaryPainter.h"
#include "SummaryTable.h"
#include "SummaryXlsx.h"

#include "BenchApplication.h"
#include "SiteFiles.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace {

using rovana::bench::EnsureGuiApplication;

constexpr int kSiteFiles = 10000;

const QTemporaryDir& SiteFolder()
{
    static const std::unique_ptr<QTemporaryDir> dir = [] {
        auto d = std::make_unique<QTemporaryDir>();
        if (!rovana::bench::WriteSite(d->path(), kSiteFiles))
            return std::unique_ptr<QTemporaryDir>();
        return d;
    }();
    return *dir;
}

const rovana::summary::SiteSummary& Site()
{
    static const rovana::summary::SiteSummary site =
        rovana::summary::SummarizeFolder(SiteFolder().path()).value();
    return site;
}

void BM_SummaryTable10000(benchmark::State& state)
{
    const QString folder = SiteFolder().path();
    for (auto _ : state) {
        const auto summary = rovana::summary::SummarizeFolder(folder);
        if (!summary || summary->rows.size() != kSiteFiles)
            state.SkipWithError("the folder was not read");
        benchmark::DoNotOptimize(summary);
    }
    state.counters["files/s"] =
        benchmark::Counter(kSiteFiles, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SummaryTable10000)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

void BM_SummaryPdf10000(benchmark::State& state)
{
    if (!EnsureGuiApplication()) {
        state.SkipWithError("no GUI application");
        return;
    }
    const auto& site = Site();
    for (auto _ : state) {
        const auto pdf = rovana::summary::SummaryPdf(site);
        if (!pdf)
            state.SkipWithError("no PDF");
        benchmark::DoNotOptimize(pdf);
    }
}
BENCHMARK(BM_SummaryPdf10000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_SummaryXlsx10000(benchmark::State& state)
{
    const auto& site = Site();
    for (auto _ : state) {
        const auto xlsx = rovana::summary::SummaryXlsx(site);
        if (!xlsx)
            state.SkipWithError("no workbook");
        benchmark::DoNotOptimize(xlsx);
    }
}
BENCHMARK(BM_SummaryXlsx10000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
