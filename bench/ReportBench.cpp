// The inspection report of a site against writing its parts separately, and its memory.
//
//   rovana-report-bench [--benchmark_filter=...]
//
// A site of N bolts is the samples' files copied in turn (real echoes: the picker and the
// traces do their full work), written to a temporary folder at set-up. In rounds, one after
// the other so that a machine whose speed drifts slows both alike:
//   report  `rovana-cli report DIR --pdf R.pdf`
//   parts   `rovana-cli summary DIR --pdf S.pdf`, then `rovana-cli sheet --pdf B.pdf FILES`
// ratio is the fastest report over the fastest parts (goal: at most 1.5), median_ratio the
// middle round's. report_peak_MiB is the report's peak resident memory (getrusage of the
// child); run at two sizes, it should not grow with the number of bolts.
#include "SpawnProgram.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// The folder of `count` bolts and their paths, made once per size.
struct Site
{
    std::unique_ptr<QTemporaryDir> dir;
    std::vector<std::string> files;
};

const Site& SiteOf(int count)
{
    static std::map<int, Site> sites;
    Site& site = sites[count];
    if (site.dir)
        return site;
    site.dir = std::make_unique<QTemporaryDir>();
    const QDir samples(QStringLiteral(ROVANA_SAMPLES_DIR));
    const QStringList names = samples.entryList({QStringLiteral("*.mg")}, QDir::Files, QDir::Name);
    for (int i = 0; i < count && !names.isEmpty(); ++i) {
        const QString path =
            site.dir->filePath(QStringLiteral("B%1.mg").arg(i + 1, 5, 10, QLatin1Char('0')));
        if (!QFile::copy(samples.filePath(names[i % names.size()]), path))
            return site;
        site.files.push_back(path.toStdString());
    }
    return site;
}

// Runs rovana-cli with `args`, its output to /dev/null; its peak resident memory in MiB, or
// a negative number when it could not run. Status 1 (a file that cannot be read) is none
// here: every file is a sample.
double RunCli(const std::vector<std::string>& args)
{
    return rovana::bench::Spawn(ROVANA_CLI_PATH, args).peakMiB;
}

void BM_ReportAgainstParts(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const int bolts = static_cast<int>(state.range(0));
    const Site& site = SiteOf(bolts);
    if (static_cast<int>(site.files.size()) != bolts) {
        state.SkipWithError("cannot write the site");
        return;
    }
    QTemporaryDir out;
    const std::string folder = site.dir->path().toStdString();
    const std::vector<std::string> report = {"report", folder, "--pdf",
                                             out.filePath("report.pdf").toStdString()};
    const std::vector<std::string> summary = {"summary", folder, "--pdf",
                                              out.filePath("summary.pdf").toStdString()};
    std::vector<std::string> sheets = {"sheet", "--pdf", out.filePath("sheets.pdf").toStdString()};
    sheets.insert(sheets.end(), site.files.begin(), site.files.end());
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    const int rounds = static_cast<int>(state.range(1));
    for (auto _ : state) {
        std::vector<double> whole, parts, ratios;
        double reportPeak = 0.0, partsPeak = 0.0;
        for (int round = 0; round < rounds; ++round) {
            const auto start = Clock::now();
            const double peak = RunCli(report);
            const auto reported = Clock::now();
            const double summaryPeak = RunCli(summary);
            const double sheetsPeak = RunCli(sheets);
            const auto done = Clock::now();
            if (peak < 0.0 || summaryPeak < 0.0 || sheetsPeak < 0.0) {
                state.SkipWithError("rovana-cli failed");
                return;
            }
            reportPeak = std::max(reportPeak, peak);
            partsPeak = std::max({partsPeak, summaryPeak, sheetsPeak});
            whole.push_back(ms(reported - start));
            parts.push_back(ms(done - reported));
            ratios.push_back(whole.back() / parts.back());
        }
        std::sort(ratios.begin(), ratios.end());
        const double fastestWhole = *std::min_element(whole.begin(), whole.end());
        const double fastestParts = *std::min_element(parts.begin(), parts.end());
        state.counters["report_ms"] = fastestWhole;
        state.counters["parts_ms"] = fastestParts;
        state.counters["ratio"] = fastestWhole / fastestParts;
        state.counters["median_ratio"] = ratios[ratios.size() / 2];
        state.counters["report_peak_MiB"] = reportPeak;
        state.counters["parts_peak_MiB"] = partsPeak;
    }
}
BENCHMARK(BM_ReportAgainstParts)
    ->Args({500, 3})
    ->Args({2000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
