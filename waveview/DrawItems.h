#pragma once

#include "DrawList.h"
#include "PictureBuilders.h"

namespace rovana::wave {

// The picture builders with the channel view's painting pass.

inline DrawItem MakeLine(Role role, DrawPass pass, Pen pen, QPoint a, QPoint b, int tag = 0)
{
    DrawItem item = picture::Line(role, tag, a, b, pen);
    item.pass = pass;
    return item;
}

inline DrawItem MakeTextAt(Role role, DrawPass pass, QPoint at, const QString& text, FontSpec font,
                           TextBackground background, QColor color = Qt::black, int tag = 0)
{
    DrawItem item = picture::Text(role, tag, at, text, font, background, color);
    item.pass = pass;
    return item;
}

inline DrawItem MakePolyline(Role role, DrawPass pass, Pen pen, const std::vector<QPoint>& points)
{
    DrawItem item =
        picture::Polyline(role, QPolygon(QList<QPoint>(points.begin(), points.end())), pen);
    item.pass = pass;
    return item;
}

// A rectangle or ellipse of the trace pass, outlined in black.
inline DrawItem MakeShape(DrawItem::Kind kind, Role role, EdgeRect rect, QColor brush)
{
    DrawItem item = picture::Shape(kind, role, rect, brush, Pen{Qt::black, 1, PenStyle::Solid});
    item.pass = DrawPass::Trace;
    return item;
}

} // namespace rovana::wave
