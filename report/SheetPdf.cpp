#include "SheetPdf.h"

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

SheetSettings SettingsAfterOpening(const CFileData& opened)
{
    SheetSettings s;
    s.options.bShowTitle = 1;
    s.options.strTitle = kReportTitle;
    s.options.bChannel1 = opened.m_nReportChannel == 0 ? 1 : 0;
    s.options.bChannel2 = opened.m_nReportChannel == 1 ? 1 : 0;
    s.options.bChannel3 = s.options.bChannel1 == 0 && s.options.bChannel2 == 0 ? 1 : 0;
    s.channels.fill(ChannelScale{1700, 1});
    s.bCompress = 1;
    return s;
}

SheetPdfResult WriteSheetPdf(const QString& pdfPath, const QStringList& files)
{
    SheetPdfResult result;
    QPdfWriter writer(pdfPath);
    SetUpWriter(writer);
    QPainter painter;
    if (!painter.begin(&writer))
        return result;
    result.written = true;
    CFileData printData;
    for (const QString& path : files) {
        if (result.pages > 0)
            writer.newPage();
        CFileData current;
        current.Load(path); // a file that cannot be read gets its page from the render
        const LoadResult loaded =
            RenderReportPage(painter, path, printData, SettingsAfterOpening(current));
        if (!loaded) {
            result.unreadable.append(path);
            result.messages.append(loaded.message());
        }
        ++result.pages;
    }
    painter.end();
    return result;
}

} // namespace rovana::sheet
