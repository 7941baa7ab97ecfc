#pragma once

#include "DrawList.h"

namespace rovana::wave {

// Builders of the draw items that more than one part of a channel view's picture makes.

inline DrawItem MakeLine(Role role, DrawPass pass, Pen pen, QPoint a, QPoint b, int tag = 0)
{
    DrawItem item;
    item.kind = DrawItem::Kind::Line;
    item.role = role;
    item.pass = pass;
    item.tag = tag;
    item.pen = pen;
    item.points = QPolygon({a, b});
    return item;
}

inline DrawItem MakeTextAt(Role role, DrawPass pass, QPoint at, const QString& text, FontSpec font,
                           TextBackground background, QColor color = Qt::black, int tag = 0)
{
    DrawItem item;
    item.kind = DrawItem::Kind::TextAt;
    item.role = role;
    item.pass = pass;
    item.tag = tag;
    item.hasPen = false;
    item.at = at;
    item.text = text;
    item.font = font;
    item.background = background;
    item.textColor = color;
    return item;
}

} // namespace rovana::wave
