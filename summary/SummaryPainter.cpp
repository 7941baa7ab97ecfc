#include "SummaryPainter.h"

#include "SheetPainter.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <map>
#include <memory>

namespace rovana::summary {

namespace {

constexpr int kPdfResolution = 600;

// Fonts and their ascents per point size on one device; a page has a few sizes and
// thousands of texts.
class FontCache
{
public:
    explicit FontCache(const QPaintDevice* device) : m_device(device) {}
    const QFont& Font(double pointSize) { return Entry(pointSize).first; }
    double Ascent(double pointSize) { return Entry(pointSize).second; }

private:
    const std::pair<QFont, double>& Entry(double pointSize)
    {
        auto it = m_fonts.find(pointSize);
        if (it == m_fonts.end()) {
            QFont font = SummaryFont(pointSize);
            const double ascent = QFontMetricsF(font, m_device).ascent();
            it = m_fonts.emplace(pointSize, std::make_pair(font, ascent)).first;
        }
        return it->second;
    }
    const QPaintDevice* m_device;
    std::map<double, std::pair<QFont, double>> m_fonts;
};

void Paint(QPainter& painter, const SummaryPage& page, FontCache& fonts)
{
    painter.save();
    QPen pen(Qt::black, 1);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.setBackgroundMode(Qt::TransparentMode);
    double currentSize = -1.0;
    for (const PageItem& item : page.items) {
        if (item.kind == PageItem::Kind::Line) {
            painter.drawLine(item.from, item.to);
            continue;
        }
        if (item.pointSize != currentSize) {
            painter.setFont(fonts.Font(item.pointSize));
            currentSize = item.pointSize;
        }
        painter.drawText(QPointF(item.at.x(), item.at.y() + fonts.Ascent(item.pointSize)),
                         item.text);
    }
    painter.restore();
}

} // namespace

QFont SummaryFont(double pointSize)
{
    QFont font = sheet::SheetFont(pointSize);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

sheet::MeasureText SummaryMeasure(const QPaintDevice& device)
{
    auto cache = std::make_shared<std::map<double, QFontMetricsF>>();
    const QPaintDevice* target = &device;
    return [cache, target](const QString& text, double pointSize) {
        auto it = cache->find(pointSize);
        if (it == cache->end())
            it = cache->emplace(pointSize, QFontMetricsF(SummaryFont(pointSize), target)).first;
        const QFontMetricsF& metrics = it->second;
        return QSize(qRound(metrics.horizontalAdvance(text)), qRound(metrics.height()));
    };
}

void PaintSummaryPage(QPainter& painter, const SummaryPage& page)
{
    FontCache fonts(painter.device());
    Paint(painter, page, fonts);
}

int PaintSummary(QPagedPaintDevice& device, const SiteSummary& summary)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const sheet::MeasureText measure = SummaryMeasure(device);
    const SummaryPager pager(summary, sheet::DeviceOf(device), measure);
    FontCache fonts(&device);
    for (int p = 0; p < pager.PageCount(); ++p) {
        if (p > 0)
            device.newPage();
        Paint(painter, pager.Page(p), fonts);
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
