#pragma once

#include <QColor>
#include <QPoint>
#include <QPolygon>
#include <QString>

#include <vector>

namespace rovana::wave {

// What a channel view draws, as plain values: the drawing code (WaveGeometry) computes a
// DrawList from the view's state, the paint code (WavePainter) walks it. Coordinates are
// viewport pixels, origin top left.

// How an item's pixels combine with the screen. NotXorPen: pixel = NOT (pen XOR screen),
// so that drawing a marker twice leaves the screen as it was.
enum class RasterMode
{
    CopyPen,
    NotXorPen,
};

enum class PenStyle
{
    Solid,
    Dot,  // 3 pixels on, 3 off; the gaps stay transparent
    Dash, // 8 pixels on, 5 off: a suggestion, not a marker
};

struct Pen
{
    QColor color = Qt::black;
    int width = 1;
    PenStyle style = PenStyle::Solid;
    friend bool operator==(const Pen&, const Pen&) = default;
};

enum class FontKind
{
    Song,      // "宋体" at a point size chosen by the screen height
    DcDefault, // the plain axis font: bold sans, 16-pixel cell
};

struct FontSpec
{
    FontKind kind = FontKind::DcDefault;
    double pointSize = 0.0; // Song only
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// Text background: transparent, or an opaque white cell.
enum class TextBackground
{
    Transparent,
    OpaqueWhite,
};

// A rectangle by its edges: left/top inclusive, right/bottom exclusive. Outlines,
// ellipses, fills and text boxes all take this form.
struct EdgeRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const EdgeRect&, const EdgeRect&) = default;
};

// Painting passes, in the order they occur in the list.
enum class DrawPass
{
    Background, // erase with the selection colour
    Grid,       // legend, centre line
    Trace,      // trace, fill, sketch, spectrum/phase/energy curves and axes
    Markers,    // marker lines and cursor (XOR)
    Text,       // measurement line
};

// What an item stands for; lets tests and callers find items without knowing the order.
enum class Role
{
    Background,
    LegendLabel,
    LegendSwatch,
    CentreLine,
    Trace,         // time-domain polyline, including the compressed tail
    Reference,     // the site's reference bolt, grey, behind the trace
    FillStroke,    // a vertical stroke of the fill switch
    GroutBand,     // anchor sketch: free end to bottom
    BoltBar,       // anchor sketch: end to bottom
    DefectEllipse, // anchor sketch: defect start to end
    Marker,
    Cursor,
    Curve,      // spectrum, phase or energy polyline
    Axis,       // the axis line at H - 15
    Tick,       // tick k (tag)
    TickLabel,  // label of tick k (tag); k = 10 is "(kHz)" or "(us)"
    AxisLetter, // "A" or "E"
    PhaseLabel, // "180°", "-180°", "0°"
    ZeroLine,   // phase zero line
    Measurement,
    Suggestion,      // a suggested marker (tag: marker index), dashed
    SuggestionLabel, // its name and confidence (tag: marker index)
    SuggestionText,  // the suggestion's lengths, reasons and keys
    DesignBottom,    // "按设计长度" beside a bottom placed by the design-length rule
};

struct DrawItem
{
    enum class Kind
    {
        Line,      // points[0] -> points[1]; a line does not draw its end point
        Polyline,  // through all points, the last point not drawn
        Rectangle, // rect: outline with pen (if any), interior with brush (if any)
        Ellipse,   // inscribed in rect
        FillRect,  // rect filled with brush, no outline
        TextAt,    // text with its top-left corner at `at` (TextOut, TA_LEFT | TA_TOP)
        TextInRect // text left/top aligned in rect, clipped to it
    };

    Kind kind = Kind::Line;
    Role role = Role::Background;
    DrawPass pass = DrawPass::Grid;
    int tag = 0; // marker index, tick index, legend index; 0 otherwise
    RasterMode raster = RasterMode::CopyPen;
    Pen pen;
    bool hasPen = true;
    QColor brush; // invalid QColor = hollow brush
    QPolygon points;
    EdgeRect rect;
    QPoint at;
    QString text;
    QColor textColor = Qt::black;
    FontSpec font;
    TextBackground background = TextBackground::Transparent;
};

using DrawList = std::vector<DrawItem>;

} // namespace rovana::wave
