#pragma once

#include "PictureBuilders.h"
#include "SheetDrawList.h"

#include <algorithm>
#include <cmath>

namespace rovana::sheet {

// Small builders shared by the sheet's geometry functions.

// A real value made an integer by truncation toward zero. Values no page can hold (from
// nonsense intervals or counts) are held to +-1e9 pixels; NaN becomes 0.
inline int Trunc(double value)
{
    constexpr double kLimit = 1e9;
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::trunc(std::clamp(value, -kLimit, kLimit)));
}

// The sheet's pens are one device pixel at the page's resolution and scale with the page.
inline picture::Pen SheetPen(QColor color = Qt::black, bool dotted = false)
{
    return {color, 1, dotted ? picture::LineStyle::Dot : picture::LineStyle::Solid, false};
}

inline void AddLine(SheetDrawList& list, SheetRole role, int tag, QPoint from, QPoint to,
                    QColor color = Qt::black, bool dotted = false)
{
    list.push_back(picture::Line(role, tag, from, to, SheetPen(color, dotted)));
}

// Text in the sheet's Song face; an opaque one on a white cell.
inline void AddText(SheetDrawList& list, SheetRole role, int tag, QPoint at, const QString& text,
                    double pointSize, bool opaque)
{
    list.push_back(picture::Text(role, tag, at, text, {picture::Face::Sheet, pointSize},
                                 opaque ? picture::TextBackground::OpaqueCell
                                        : picture::TextBackground::Transparent));
}

// An outline (rectangle, ellipse) in `color`, or a fill of `color`.
inline void AddShape(SheetDrawList& list, SheetItem::Kind kind, SheetRole role, SheetRect rect,
                     QColor color = Qt::black)
{
    const bool fill = kind == SheetItem::Kind::FillRect;
    list.push_back(picture::Shape(kind, role, rect, fill ? color : QColor(),
                                  SheetPen(fill ? Qt::black : color)));
}

} // namespace rovana::sheet
