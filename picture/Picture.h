#pragma once

// A picture as plain values: the channel view, the result sheet and the summary pages
// compute one from their state, and PicturePainter walks it onto any QPainter (screen,
// printer, preview, PDF, image). Coordinates are device pixels, origin top left, y down.

#include <QColor>
#include <QPoint>
#include <QPolygon>
#include <QString>

#include <concepts>
#include <type_traits>
#include <vector>

namespace rovana::picture {

// An enumerator of a picture's own enumeration (its roles, its painting passes), kept as
// a number, so that one item type serves every picture and tests still compare
// `item.role == SheetRole::Trace`.
class Enumerator
{
public:
    constexpr Enumerator() = default;
    template <typename E>
    requires std::is_enum_v<E>
    constexpr Enumerator(E e) : m_nValue(static_cast<int>(e)) {}
    constexpr explicit operator int() const { return m_nValue; }
    template <typename E>
    requires std::is_enum_v<E>
    friend constexpr bool operator==(Enumerator a, E e)
    {
        return a.m_nValue == static_cast<int>(e);
    }
    friend constexpr bool operator==(Enumerator, Enumerator) = default;

private:
    int m_nValue = 0;
};

// A rectangle by its edges: left/top inclusive, right/bottom exclusive.
struct Edges
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const Edges&, const Edges&) = default;
};

enum class LineStyle
{
    Solid,
    Dot,  // 3 pixels on, 3 off; the gaps stay transparent
    Dash, // 8 pixels on, 5 off
};

struct Pen
{
    QColor color = Qt::black;
    int width = 1;
    LineStyle style = LineStyle::Solid;
    // One device pixel whatever the painter's scale (a screen view); a printed page's
    // pens scale with the page in a preview.
    bool cosmetic = true;
    friend bool operator==(const Pen&, const Pen&) = default;
};

// The faces of the pictures. The screen faces are measured as the screen's font metrics
// give them; the sheet faces on the painter's device.
enum class Face
{
    Song,          // the channel view's "宋体" at a point size
    DcDefault,     // the channel view's plain axis font: bold sans, 16-pixel cell
    Sheet,         // the result sheet's Song face at a point size
    SheetUnshaped, // the same for the summary pages, drawn without shaping
};

struct Font
{
    Face face = Face::DcDefault;
    double pointSize = 0.0; // all but DcDefault
    friend bool operator==(const Font&, const Font&) = default;
};

enum class TextBackground
{
    Transparent,
    OpaqueWhite, // a white box of the text's advance and line height under it
    OpaqueCell,  // the painter's opaque background mode, white
};

// How an item's pixels combine with what is there. NotXorPen: pixel = NOT (pen XOR
// screen), so that drawing a marker twice leaves the screen as it was.
enum class Raster
{
    CopyPen,
    NotXorPen,
};

struct Item
{
    enum class Kind
    {
        Line,      // points[0] -> points[1]; a line does not draw its end point
        Polyline,  // through all points, the last point not drawn
        Rectangle, // rect: interior with brush (if any), outline with pen (if any)
        Ellipse,   // inscribed in rect
        FillRect,  // rect filled with brush, no outline
        TextAt,    // text with the top-left corner of its line at `at`
        TextInRect // text left/top aligned in rect, clipped to it
    };

    Kind kind = Kind::Line;
    Enumerator role; // what the item stands for, in its picture's enumeration
    int tag = 0;     // which one of its role (a marker, a tick, a grid line)
    int row = -1;    // a table's row and column, where the picture has a table
    int column = -1;
    Enumerator pass; // a view's painting pass; one pass for a page
    Raster raster = Raster::CopyPen;
    Pen pen;
    bool hasPen = true;
    QColor brush; // invalid: no fill
    QPolygon points;
    Edges rect;
    QPoint at;
    QString text;
    QColor textColor = Qt::black;
    Font font;
    TextBackground background = TextBackground::Transparent;
    Edges clip; // drawn only inside it; empty: no clipping
};

using Picture = std::vector<Item>;

} // namespace rovana::picture
