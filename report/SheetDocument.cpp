#include "SheetDocument.h"

#include "ReportSheet.h"
#include "SheetPainter.h"

namespace rovana::sheet {

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
        // 0 and 1 both draw the trace as recorded.
        scale.nMagnify = std::max(site.growingGain[c], 1);
    }
}

SheetDocument::SheetDocument(QStringList files, SettingsForFile settingsFor)
    : m_Files(std::move(files)), m_fnSettingsFor(std::move(settingsFor))
{}

int SheetDocument::Layout(const QPaintDevice& device)
{
    m_Device = DeviceOf(device);
    m_Measure = DeviceMeasure(device);
    return static_cast<int>(m_Files.size());
}

document::Page SheetDocument::PageAt(int index)
{
    const QString& path = m_Files[index];
    document::Page page;
    const LoadResult loaded = m_PrintData.Load(path);
    if (!loaded) {
        page.picture =
            DrawUnreadablePage(m_Device, path, loaded.message(), m_Measure, loaded.detail);
        page.problemPath = path;
        page.problem = loaded.message();
        return page;
    }
    SheetSettings settings = SettingsAfterOpening(m_PrintData);
    if (m_fnSettingsFor)
        m_fnSettingsFor(path, settings);
    page.picture = DrawSheet({m_Device, m_PrintData, settings, m_Measure});
    return page;
}

QFont SheetDocument::FontOf(const picture::Font& font) const
{
    return PageFont(font);
}

SheetPdfResult WriteSheetPdf(const QString& pdfPath, const QStringList& files,
                             const WriteOptions& options, const SettingsForFile& settingsFor)
{
    SheetDocument sheets(files, settingsFor);
    document::PageSetup setup;
    setup.title = kReportTitle;
    setup.creator = QStringLiteral("rovana-cli");
    return document::WritePdf(pdfPath, sheets, setup, options);
}

} // namespace rovana::sheet
