#pragma once

// The builders of a picture's items, for every picture.

#include "Picture.h"

namespace rovana::picture {

inline Item Line(Enumerator role, int tag, QPoint a, QPoint b, Pen pen = {})
{
    Item item;
    item.kind = Item::Kind::Line;
    item.role = role;
    item.tag = tag;
    item.pen = pen;
    item.points = QPolygon({a, b});
    return item;
}

inline Item Polyline(Enumerator role, QPolygon points, Pen pen = {})
{
    Item item;
    item.kind = Item::Kind::Polyline;
    item.role = role;
    item.pen = pen;
    item.points = std::move(points);
    return item;
}

// A rectangle, an ellipse or a fill over `rect`.
inline Item Shape(Item::Kind kind, Enumerator role, Edges rect, QColor brush, Pen pen = {})
{
    Item item;
    item.kind = kind;
    item.role = role;
    item.rect = rect;
    item.brush = brush;
    item.pen = pen;
    return item;
}

inline Item Text(Enumerator role, int tag, QPoint at, const QString& text, Font font,
                 TextBackground background = TextBackground::Transparent, QColor color = Qt::black)
{
    Item item;
    item.kind = Item::Kind::TextAt;
    item.role = role;
    item.tag = tag;
    item.hasPen = false;
    item.at = at;
    item.text = text;
    item.font = font;
    item.background = background;
    item.textColor = color;
    return item;
}

} // namespace rovana::picture
