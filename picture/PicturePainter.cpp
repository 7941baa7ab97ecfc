#include "PicturePainter.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

namespace rovana::picture {

namespace {

QPen ToQPen(const Pen& p)
{
    QPen pen(p.color);
    pen.setWidth(std::max(1, p.width));
    pen.setCosmetic(p.cosmetic && p.width <= 1);
    // A flat cap leaves out the end point: a line does not draw its end point.
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    if (p.style == LineStyle::Dot)
        pen.setDashPattern({3.0, 3.0});
    else if (p.style == LineStyle::Dash)
        pen.setDashPattern({8.0 / pen.widthF(), 5.0 / pen.widthF()});
    return pen;
}

// The outline of a rectangle given by its edges, whichever corner comes first: a 1-px
// outline of QRect(x, y, w - 1, h - 1) covers x..x+w-1, y..y+h-1. Nothing when it covers
// nothing.
std::optional<QRect> Outline(Edges r)
{
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return std::nullopt;
    return QRect(r.left, r.top, w - 1, h - 1);
}

bool OnScreen(Face face)
{
    return face == Face::Song || face == Face::DcDefault;
}

// Fonts by face and size for one painting: a summary page has thousands of texts in a
// few sizes.
class Fonts
{
public:
    Fonts(const FontOf& fontOf, const QPaintDevice* device) : m_fontOf(fontOf), m_device(device) {}
    // The font and the ascent of its line.
    const std::pair<QFont, double>& Of(const Font& spec)
    {
        const auto key = std::make_pair(static_cast<int>(spec.face), spec.pointSize);
        auto it = m_fonts.find(key);
        if (it == m_fonts.end()) {
            QFont font = m_fontOf(spec);
            const double ascent = OnScreen(spec.face) ? QFontMetrics(font).ascent()
                                                      : QFontMetricsF(font, m_device).ascent();
            it = m_fonts.emplace(key, std::make_pair(font, ascent)).first;
        }
        return it->second;
    }

    // Gives the painter the font of `spec` unless it has it from the text before: each
    // setFont makes a new font whose engines are looked up again at the next text.
    const std::pair<QFont, double>& Use(QPainter& painter, const Font& spec)
    {
        const std::pair<QFont, double>& font = Of(spec);
        if (m_pCurrent != &font) {
            painter.setFont(font.first);
            m_pCurrent = &font;
        }
        return font;
    }

private:
    const FontOf& m_fontOf;
    const QPaintDevice* m_device;
    std::map<std::pair<int, double>, std::pair<QFont, double>> m_fonts;
    const std::pair<QFont, double>* m_pCurrent = nullptr; // the painter's font, when known
};

void PaintText(QPainter& painter, const Item& item, Fonts& fonts)
{
    const auto& [font, ascent] = fonts.Use(painter, item.font);
    if (OnScreen(item.font.face)) {
        if (item.background == TextBackground::OpaqueWhite) {
            const QFontMetrics metrics(font);
            painter.fillRect(QRect(item.at.x(), item.at.y(), metrics.horizontalAdvance(item.text),
                                   metrics.height()),
                             Qt::white);
        }
        painter.setPen(item.textColor);
        painter.drawText(QPoint(item.at.x(), item.at.y() + static_cast<int>(ascent)), item.text);
        return;
    }
    painter.setPen(item.textColor);
    painter.setBackgroundMode(item.background == TextBackground::OpaqueCell ? Qt::OpaqueMode
                                                                            : Qt::TransparentMode);
    painter.drawText(QPointF(item.at.x(), item.at.y() + ascent), item.text);
    painter.setBackgroundMode(Qt::TransparentMode);
}

void PaintTextInRect(QPainter& painter, const Item& item, Fonts& fonts)
{
    const Edges r = item.rect;
    const QRect box(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
    painter.save();
    painter.setFont(fonts.Of(item.font).first);
    painter.setClipRect(box, Qt::IntersectClip);
    if (item.background == TextBackground::OpaqueWhite)
        painter.fillRect(painter.boundingRect(box, Qt::AlignLeft | Qt::AlignTop, item.text),
                         Qt::white);
    painter.setPen(item.textColor);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, item.text);
    painter.restore();
}

void PaintItem(QPainter& painter, const Item& item, Fonts& fonts)
{
    const Edges& c = item.clip;
    if (!c.IsEmpty())
        painter.setClipRect(QRect(c.left, c.top, c.right - c.left, c.bottom - c.top));
    else
        painter.setClipping(false);
    painter.setCompositionMode(item.raster == Raster::NotXorPen
                                   ? QPainter::RasterOp_NotSourceXorDestination
                                   : QPainter::CompositionMode_SourceOver);
    painter.setPen(item.hasPen ? ToQPen(item.pen) : QPen(Qt::NoPen));
    painter.setBrush(Qt::NoBrush);
    switch (item.kind) {
    case Item::Kind::Line:
        if (item.points.size() == 2)
            painter.drawLine(item.points[0], item.points[1]);
        break;
    case Item::Kind::Polyline:
        if (item.points.size() >= 2)
            painter.drawPolyline(item.points);
        break;
    case Item::Kind::FillRect: {
        const Edges r = item.rect;
        if (item.brush.isValid() && !r.IsEmpty())
            painter.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), item.brush);
        break;
    }
    case Item::Kind::Rectangle:
        if (const auto r = Outline(item.rect)) {
            if (item.brush.isValid())
                painter.fillRect(r->adjusted(0, 0, 1, 1), item.brush);
            if (item.hasPen)
                painter.drawRect(*r);
        }
        break;
    case Item::Kind::Ellipse:
        if (const auto r = Outline(item.rect)) {
            if (item.brush.isValid())
                painter.setBrush(item.brush);
            painter.drawEllipse(*r);
        }
        break;
    case Item::Kind::TextAt:
        PaintText(painter, item, fonts);
        break;
    case Item::Kind::TextInRect:
        PaintTextInRect(painter, item, fonts);
        break;
    }
}

} // namespace

void Paint(QPainter& painter, const Picture& picture, const FontOf& fontOf)
{
    Fonts fonts(fontOf, painter.device());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setBackground(Qt::white);
    for (const Item& item : picture)
        PaintItem(painter, item, fonts);
    painter.restore();
}

} // namespace rovana::picture
