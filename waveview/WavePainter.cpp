#include "WavePainter.h"

#include "NameTables.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include <algorithm>

namespace rovana::wave {

namespace {

QPen ToQPen(const Pen& p)
{
    QPen pen(p.color);
    pen.setWidth(std::max(1, p.width));
    pen.setCosmetic(p.width <= 1);
    // A flat cap leaves out the end point: a line does not draw its end point.
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    if (p.style == PenStyle::Dot)
        pen.setDashPattern({3.0, 3.0});
    else if (p.style == PenStyle::Dash)
        pen.setDashPattern({8.0 / pen.widthF(), 5.0 / pen.widthF()});
    return pen;
}

// The rectangle normalised: outlines and ellipses are drawn whichever corner comes first.
EdgeRect Normalised(EdgeRect r)
{
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return r;
}

void PaintItem(QPainter& painter, const DrawItem& item)
{
    painter.setCompositionMode(item.raster == RasterMode::NotXorPen
                                   ? QPainter::RasterOp_NotSourceXorDestination
                                   : QPainter::CompositionMode_SourceOver);
    painter.setPen(item.hasPen ? ToQPen(item.pen) : QPen(Qt::NoPen));
    painter.setBrush(Qt::NoBrush);

    switch (item.kind) {
    case DrawItem::Kind::Line:
        if (item.points.size() == 2)
            painter.drawLine(item.points[0], item.points[1]);
        break;
    case DrawItem::Kind::Polyline:
        if (item.points.size() >= 2)
            painter.drawPolyline(item.points);
        break;
    case DrawItem::Kind::FillRect: {
        const EdgeRect r = item.rect;
        if (item.brush.isValid() && r.right > r.left && r.bottom > r.top)
            painter.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), item.brush);
        break;
    }
    case DrawItem::Kind::Rectangle: {
        const EdgeRect r = Normalised(item.rect);
        const int w = r.right - r.left;
        const int h = r.bottom - r.top;
        if (w <= 0 || h <= 0)
            break;
        if (item.brush.isValid())
            painter.fillRect(QRect(r.left, r.top, w, h), item.brush);
        // A 1-px outline of QRect(x, y, w - 1, h - 1) covers x..x+w-1, y..y+h-1.
        if (item.hasPen)
            painter.drawRect(QRect(r.left, r.top, w - 1, h - 1));
        break;
    }
    case DrawItem::Kind::Ellipse: {
        const EdgeRect r = Normalised(item.rect);
        const int w = r.right - r.left;
        const int h = r.bottom - r.top;
        if (w <= 0 || h <= 0)
            break;
        if (item.brush.isValid())
            painter.setBrush(item.brush);
        painter.drawEllipse(QRect(r.left, r.top, w - 1, h - 1));
        break;
    }
    case DrawItem::Kind::TextAt: {
        const QFont font = FontFor(item.font);
        const QFontMetrics metrics(font);
        painter.setFont(font);
        if (item.background == TextBackground::OpaqueWhite)
            painter.fillRect(QRect(item.at.x(), item.at.y(), metrics.horizontalAdvance(item.text),
                                   metrics.height()),
                             Qt::white);
        painter.setPen(item.textColor);
        painter.drawText(QPoint(item.at.x(), item.at.y() + metrics.ascent()), item.text);
        break;
    }
    case DrawItem::Kind::TextInRect: {
        const EdgeRect r = item.rect;
        const QRect box(r.left, r.top, std::max(0, r.right - r.left),
                        std::max(0, r.bottom - r.top));
        painter.save();
        painter.setFont(FontFor(item.font));
        painter.setClipRect(box, Qt::IntersectClip);
        if (item.background == TextBackground::OpaqueWhite)
            painter.fillRect(painter.boundingRect(box, Qt::AlignLeft | Qt::AlignTop, item.text),
                             Qt::white);
        painter.setPen(item.textColor);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, item.text);
        painter.restore();
        break;
    }
    }
}

} // namespace

QFont SongFont(double pointSize)
{
    QFont font;
    font.setFamilies(SongFamilies());
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(pointSize);
    return font;
}

QFont DcDefaultFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    font.setBold(true);
    return font;
}

QFont FontFor(const FontSpec& spec)
{
    return spec.kind == FontKind::Song ? SongFont(spec.pointSize) : DcDefaultFont();
}

void PaintDrawList(QPainter& painter, const DrawList& list)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBackgroundMode(Qt::TransparentMode);
    for (const DrawItem& item : list)
        PaintItem(painter, item);
    painter.restore();
}

} // namespace rovana::wave
