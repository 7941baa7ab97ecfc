#pragma once

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

inline void AddLine(SheetDrawList& list, SheetRole role, int tag, QPoint from, QPoint to,
                    QColor color = Qt::black, bool dotted = false)
{
    SheetItem item;
    item.kind = SheetItem::Kind::Line;
    item.role = role;
    item.tag = tag;
    item.color = color;
    item.dotted = dotted;
    item.points = QPolygon({from, to});
    list.push_back(std::move(item));
}

inline void AddText(SheetDrawList& list, SheetRole role, int tag, QPoint at, const QString& text,
                    double pointSize, bool opaque)
{
    SheetItem item;
    item.kind = SheetItem::Kind::Text;
    item.role = role;
    item.tag = tag;
    item.at = at;
    item.text = text;
    item.pointSize = pointSize;
    item.opaque = opaque;
    list.push_back(std::move(item));
}

inline void AddShape(SheetDrawList& list, SheetItem::Kind kind, SheetRole role, SheetRect rect,
                     QColor color = Qt::black)
{
    SheetItem item;
    item.kind = kind;
    item.role = role;
    item.rect = rect;
    item.color = color;
    list.push_back(std::move(item));
}

} // namespace rovana::sheet
