#include "SummaryPainter.h"

#include "PicturePainter.h"
#include "SheetPainter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace rovana::summary {

namespace {

constexpr int kPdfResolution = 600;

} // namespace

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
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const sheet::MeasureText measure = SummaryMeasure(device);
    const SummaryPager pager(summary, sheet::DeviceOf(device), measure);
    for (int p = 0; p < pager.PageCount() && !pager.ReadFailed(); ++p) {
        if (p > 0)
            device.newPage();
        PaintSummaryPage(painter, pager.Page(p));
    }
    painter.end();
    return pager.ReadFailed() ? 0 : pager.PageCount();
}

int PaintSummary(QPagedPaintDevice& device, const SiteSummary& summary)
{
    const RowSpan rows(summary.rows);
    return PaintSummary(device, {rows, summary.statistics, summary.header});
}

bool WriteSummaryPdf(const SummaryContent& summary, QIODevice& out, QString* why)
{
    QPdfWriter writer(&out);
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    writer.setTitle(kSummaryTitle);
    writer.setCreator(QStringLiteral("Rovana"));
    if (PaintSummary(writer, summary) > 0)
        return true;
    if (why)
        *why = summary.rows.ErrorString().isEmpty() ? QStringLiteral("无法生成 PDF")
                                                    : summary.rows.ErrorString();
    return false;
}

std::optional<QByteArray> SummaryPdf(const SiteSummary& summary, QString* why)
{
    return InMemory(summary, WriteSummaryPdf, why);
}

} // namespace rovana::summary
