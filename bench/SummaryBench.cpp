// The site summary of a folder of 10,000 test files: the table data (listing, reading,
// statistics) and the PDF of all its pages. The folder is generated at set-up.
#include "AnalysisSave.h"
#include "InstrumentFile.h"
#include "ProjectInfoSave.h"
#include "SummaryPainter.h"
#include "SummaryTable.h"
#include "SummaryXlsx.h"

#include "BenchApplication.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace {

using rovana::bench::EnsureGuiApplication;

constexpr int kSiteFiles = 10000;

// One bolt of the site: three in four evaluated, every fifth with a defect.
QByteArray SiteFile(int i)
{
    rovana::InstrumentRecord r;
    r.sampleInterval = 10;
    r.sampleCount = 1024;
    r.waveSpeed = 3500 + (i % 7) * 100;
    r.designLength = 3.0f + static_cast<float>(i % 9) * 0.5f;
    r.designL0 = 0.5f;
    r.project = QStringLiteral("K%1").arg(i / 100);
    r.file = QStringLiteral("MG%1").arg(i, 5, 10, QLatin1Char('0'));
    r.year = 2026;
    r.month = 1 + i % 12;
    r.day = 1 + i % 28;
    QByteArray bytes = rovana::ComposeInstrumentFile(r);
    if (i % 4 == 3)
        return bytes;
    rovana::AnalysisValues a;
    auto& ch = a.channels[static_cast<std::size_t>(i % 3)];
    const bool defect = i % 5 == 0;
    ch.markerSet = {true, true, true, defect, defect};
    ch.markerPos = {20, 60 + i % 40, 300 + i % 200, 120, 160};
    ch.measuredL0 = 0.5f + static_cast<float>(i % 3) * 0.1f;
    ch.measuredLr = 2.0f + static_cast<float>(i % 11) * 0.3f;
    a.activeChannel = i % 3;
    a.waveSpeed = r.waveSpeed;
    rovana::PatchAnalysis(bytes, a);
    rovana::ProjectInfoValues p;
    p.reportChannel = i % 3;
    p.title = QStringLiteral("单根锚杆检测结果表");
    p.boltNo = QStringLiteral("B-%1").arg(i + 1);
    p.gradeText = QStringLiteral("B 90%~80%");
    p.qualityClass = QStringList{"I", "II", "III", "IV"}[i % 4];
    p.projectName = QStringLiteral("隧道左线");
    p.testUnit = QStringLiteral("岩土检测中心");
    rovana::PatchProjectInfo(bytes, p);
    return bytes;
}

const QTemporaryDir& SiteFolder()
{
    static const std::unique_ptr<QTemporaryDir> dir = [] {
        auto d = std::make_unique<QTemporaryDir>();
        for (int i = 0; i < kSiteFiles; ++i) {
            QFile f(d->filePath(QStringLiteral("S%1.mg").arg(i, 5, 10, QLatin1Char('0'))));
            const QByteArray bytes = SiteFile(i);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
                return std::unique_ptr<QTemporaryDir>();
        }
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
