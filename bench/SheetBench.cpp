// The cost of the result sheets: a site's report of 200 sheets written to one PDF, as
// `rovana-cli sheet` does it, and the geometry of one sheet alone.
#include "ReportSheet.h"
#include "SheetDocument.h"
#include "SheetPainter.h"

#include "BenchApplication.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

namespace {

using rovana::bench::EnsureGuiApplication;

constexpr int kSiteSheets = 200;

// `count` test files taken from the samples in turn.
QStringList SiteFiles(int count)
{
    const QDir samples(QStringLiteral(ROVANA_SAMPLES_DIR));
    const QStringList names = samples.entryList({QStringLiteral("*.mg")}, QDir::Files, QDir::Name);
    QStringList files;
    for (int i = 0; i < count && !names.isEmpty(); ++i)
        files << samples.filePath(names[i % names.size()]);
    return files;
}

void BM_SheetPdf200(benchmark::State& state)
{
    if (!EnsureGuiApplication()) {
        state.SkipWithError("no GUI application");
        return;
    }
    const QStringList files = SiteFiles(kSiteSheets);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("site.pdf"));
    for (auto _ : state) {
        const auto result = rovana::sheet::WriteSheetPdf(pdf, files);
        if (result.pages != kSiteSheets)
            state.SkipWithError("the PDF was not written");
        benchmark::DoNotOptimize(result);
    }
    state.counters["sheets/s"] =
        benchmark::Counter(kSiteSheets, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SheetPdf200)->Unit(benchmark::kMillisecond)->MinTime(5.0);

void BM_SheetGeometry(benchmark::State& state)
{
    if (!EnsureGuiApplication()) {
        state.SkipWithError("no GUI application");
        return;
    }
    const QString path = QStringLiteral(ROVANA_SAMPLES_DIR "/MG0003.mg");
    rovana::TestRecord print;
    print.Load(path);
    const rovana::sheet::SheetSettings settings = rovana::sheet::SettingsAfterOpening(print);
    QImage page(4958, 7017, QImage::Format_Mono); // the PDF's A4 page at 600 dpi
    page.setDotsPerMeterX(23622);
    page.setDotsPerMeterY(23622);
    const auto measure = rovana::sheet::DeviceMeasure(page);
    const auto device = rovana::sheet::DeviceOf(page);
    for (auto _ : state) {
        auto list = rovana::sheet::DrawSheet({device, print, settings, measure});
        benchmark::DoNotOptimize(list);
    }
}
BENCHMARK(BM_SheetGeometry)->Unit(benchmark::kMicrosecond);

} // namespace
