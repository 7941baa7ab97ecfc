#include "SummaryPainter.h"

#include "PicturePainter.h"
#include "SheetPainter.h"

#include <QBuffer>
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

int PaintSummary(QPagedPaintDevice& device, const SiteSummary& summary)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const sheet::MeasureText measure = SummaryMeasure(device);
    const SummaryPager pager(summary, sheet::DeviceOf(device), measure);
    for (int p = 0; p < pager.PageCount(); ++p) {
        if (p > 0)
            device.newPage();
        PaintSummaryPage(painter, pager.Page(p));
    }
    painter.end();
    return pager.PageCount();
}

std::optional<QByteArray> SummaryPdf(const SiteSummary& summary, QString* why)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        writer.setTitle(kSummaryTitle);
        writer.setCreator(QStringLiteral("Rovana"));
        if (PaintSummary(writer, summary) == 0) {
            if (why)
                *why = QStringLiteral("无法生成 PDF");
            return std::nullopt;
        }
    }
    return bytes;
}

} // namespace rovana::summary
