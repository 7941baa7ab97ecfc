#include "SummaryPainter.h"

#include "DocumentPdf.h"
#include "PicturePainter.h"
#include "SheetPainter.h"
#include "SummaryDocument.h"

#include <QPainter>

namespace rovana::summary {

QFont SummaryFont(double pointSize)
{
    return sheet::PageFont({picture::Face::SheetUnshaped, pointSize});
}

sheet::MeasureText SummaryMeasure(const QPaintDevice& device)
{
    return sheet::DeviceMeasure(device, picture::Face::SheetUnshaped);
}

void PaintSummaryPage(QPainter& painter, const SummaryPage& page)
{
    picture::Paint(painter, page.items, sheet::PageFont);
}

int PaintSummary(QPagedPaintDevice& device, const SummaryContent& summary)
{
    SummaryDocument pages(summary);
    const document::PaintResult painted = document::PaintDocument(device, pages);
    return painted.failure.isEmpty() ? painted.pages : 0;
}

int PaintSummary(QPagedPaintDevice& device, const SiteSummary& summary)
{
    const RowSpan rows(summary.rows);
    return PaintSummary(device, {rows, summary.statistics, summary.header});
}

bool WriteSummaryPdf(const SummaryContent& summary, QIODevice& out, QString* why)
{
    SummaryDocument pages(summary);
    document::PageSetup setup;
    setup.title = kSummaryTitle;
    const document::PaintResult written = document::WritePdf(out, pages, setup);
    if (written.failure.isEmpty() && written.pages > 0)
        return true;
    if (why)
        *why = written.failure.isEmpty() ? QStringLiteral("无法生成 PDF") : written.failure;
    return false;
}

std::optional<QByteArray> SummaryPdf(const SiteSummary& summary, QString* why)
{
    return InMemory(summary, WriteSummaryPdf, why);
}

} // namespace rovana::summary
