#pragma once

#include "Picture.h"

namespace rovana::wave {

// What a channel view draws, in the picture vocabulary (picture/Picture.h): the drawing
// code (WaveGeometry) computes a DrawList from the view's state, the picture painter walks
// it. Coordinates are viewport pixels, origin top left. The view's own names for the
// vocabulary's types:
using RasterMode = picture::Raster;
using PenStyle = picture::LineStyle;
using Pen = picture::Pen;
using FontKind = picture::Face; // Song or DcDefault
using FontSpec = picture::Font;
using TextBackground = picture::TextBackground;
using EdgeRect = picture::Edges;

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
    ByDesign,        // "按设计长度" beside a bottom or free end placed by the design-length rule
    ReportMark,      // "报告" on the view of the channel the sheet reports
    ClipWarning,     // "放大后削波": the processing's gain clipped samples of the trace
};

// An item's role is a Role, its pass a DrawPass.
using DrawItem = picture::Item;
using DrawList = picture::Picture;

} // namespace rovana::wave
