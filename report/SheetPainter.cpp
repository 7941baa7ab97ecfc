#include "SheetPainter.h"

#include "ReportSheet.h"
#include "SheetFace.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <map>
#include <memory>

namespace rovana::sheet {

namespace {

QPen ItemPen(const SheetItem& item)
{
    QPen pen(item.color, 1);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    if (item.dotted)
        pen.setDashPattern({3.0, 3.0});
    return pen;
}

// The rectangle with left <= right and top <= bottom, as outlines are drawn.
SheetRect Normalised(SheetRect r)
{
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return r;
}

// The outline covers the columns left..right-1 and the rows top..bottom-1.
QRect OutlineRect(const SheetRect& r)
{
    return QRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1);
}

void PaintText(QPainter& painter, const SheetItem& item)
{
    const QFont font = SheetFont(item.pointSize);
    painter.setFont(font);
    painter.setPen(item.color);
    painter.setBackgroundMode(item.opaque ? Qt::OpaqueMode : Qt::TransparentMode);
    const QFontMetricsF metrics(font, painter.device());
    painter.drawText(QPointF(item.at.x(), item.at.y() + metrics.ascent()), item.text);
}

void PaintItem(QPainter& painter, const SheetItem& item)
{
    const SheetRect& c = item.clip;
    if (c.right > c.left && c.bottom > c.top)
        painter.setClipRect(QRect(c.left, c.top, c.right - c.left, c.bottom - c.top));
    else
        painter.setClipping(false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(ItemPen(item));
    switch (item.kind) {
    case SheetItem::Kind::Line:
        if (item.points.size() == 2)
            painter.drawLine(item.points[0], item.points[1]);
        break;
    case SheetItem::Kind::Polyline:
        painter.drawPolyline(item.points);
        break;
    case SheetItem::Kind::Rectangle: {
        const SheetRect r = Normalised(item.rect);
        if (r.right > r.left && r.bottom > r.top)
            painter.drawRect(OutlineRect(r));
        break;
    }
    case SheetItem::Kind::Ellipse: {
        const SheetRect r = Normalised(item.rect);
        if (r.right > r.left && r.bottom > r.top)
            painter.drawEllipse(OutlineRect(r));
        break;
    }
    case SheetItem::Kind::FillRect: {
        const SheetRect& r = item.rect;
        if (r.right > r.left && r.bottom > r.top)
            painter.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), item.color);
        break;
    }
    case SheetItem::Kind::Text:
        PaintText(painter, item);
        break;
    }
}

} // namespace

QFont SheetFont(double pointSize)
{
    QFont font;
    font.setFamilies(SheetFamilies());
    font.setPointSizeF(pointSize);
    return font;
}

SheetDevice DeviceOf(const QPaintDevice& device)
{
    return {device.width(), device.height(), device.logicalDpiY()};
}

MeasureText DeviceMeasure(const QPaintDevice& device)
{
    // Metrics per point size, kept as long as the function.
    auto cache = std::make_shared<std::map<double, QFontMetricsF>>();
    const QPaintDevice* target = &device;
    return [cache, target](const QString& text, double pointSize) {
        auto it = cache->find(pointSize);
        if (it == cache->end())
            it = cache->emplace(pointSize, QFontMetricsF(SheetFont(pointSize), target)).first;
        const QFontMetricsF& metrics = it->second;
        return QSize(qRound(metrics.horizontalAdvance(text)), qRound(metrics.height()));
    };
}

void PaintSheet(QPainter& painter, const SheetDrawList& list)
{
    painter.save();
    painter.setBackground(Qt::white);
    for (const SheetItem& item : list)
        PaintItem(painter, item);
    painter.restore();
}

LoadResult RenderReportPage(QPainter& painter, const QString& path, TestRecord& printData,
                            const SheetSettings& settings)
{
    const QPaintDevice& device = *painter.device();
    LoadResult loaded;
    PaintSheet(painter, DrawReportPage(DeviceOf(device), path, printData, settings,
                                       DeviceMeasure(device), &loaded));
    return loaded;
}

} // namespace rovana::sheet
