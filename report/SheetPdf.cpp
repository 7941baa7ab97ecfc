#include "SheetPdf.h"

#include "SafeFileDevice.h"
#include "SheetPainter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace rovana::sheet {

namespace {

constexpr int kPdfResolution = 600;

void SetUpWriter(QPdfWriter& writer)
{
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    writer.setTitle(kReportTitle);
    writer.setCreator(QStringLiteral("rovana-cli"));
}

} // namespace

SheetSettings SettingsAfterOpening(const TestRecord& opened)
{
    SheetSettings s;
    s.options.bShowTitle = 1;
    s.options.strTitle = kReportTitle;
    s.options.bChannel1 = opened.m_nReportChannel == 0 ? 1 : 0;
    s.options.bChannel2 = opened.m_nReportChannel == 1 ? 1 : 0;
    s.options.bChannel3 = s.options.bChannel1 == 0 && s.options.bChannel2 == 0 ? 1 : 0;
    s.channels.fill(ChannelScale{1700, 1, true}); // a folder without amplitudes: each fits
    s.bCompress = 1;
    return s;
}

void ApplySiteSettings(const SiteFile& site, SheetSettings& settings)
{
    settings.chain = site.chain;
    for (std::size_t c = 0; c < kChannelCount; ++c) {
        const TraceAmplitude& a = site.amplitude[c];
        ChannelScale& scale = settings.channels[c];
        scale.bFit = a.mode != TraceAmplitude::Mode::Fixed;
        if (a.mode == TraceAmplitude::Mode::Fixed)
            scale.nMaxAmplitude = a.value;
    }
}

SheetPdfResult WriteSheetPdf(const QString& pdfPath, const QStringList& files,
                             const WriteOptions& options, const SettingsForFile& settingsFor)
{
    SheetPdfResult result;
    SafeFileWriter file(pdfPath, options);
    if (!file.open()) {
        result.write = file.result();
        return result;
    }
    SafeFileDevice device(file);
    device.open(QIODevice::WriteOnly);
    QPdfWriter writer(&device);
    SetUpWriter(writer);
    QPainter painter;
    if (!painter.begin(&writer)) {
        result.write = {WriteStatus::CannotCreate, QStringLiteral("无法开始绘制 PDF"), 0};
        return result;
    }
    TestRecord printData;
    bool pagesMade = true;
    for (const QString& path : files) {
        if (result.pages > 0 && !writer.newPage())
            pagesMade = false;
        TestRecord current;
        current.Load(path); // a file that cannot be read gets its page from the render
        SheetSettings settings = SettingsAfterOpening(current);
        if (settingsFor)
            settingsFor(path, settings);
        const LoadResult loaded = RenderReportPage(painter, path, printData, settings);
        if (!loaded) {
            result.unreadable.append(path);
            result.messages.append(loaded.message());
        }
        ++result.pages;
    }
    const bool ended = painter.end();
    device.close();
    if (!file.result()) {
        result.write = file.result(); // a write failed: the disk is full, for instance
    } else if (!ended || !pagesMade) {
        result.write = {WriteStatus::CannotCreate, QStringLiteral("PDF 未能完整生成"), 0};
    } else {
        result.write = file.commit();
        result.written = static_cast<bool>(result.write);
    }
    return result;
}

} // namespace rovana::sheet
