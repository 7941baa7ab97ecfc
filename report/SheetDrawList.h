#pragma once

#include "Picture.h"

namespace rovana::sheet {

// What one result sheet draws, in the picture vocabulary (picture/Picture.h): the geometry
// functions compute a SheetDrawList for a page; the picture painter walks it on any paint
// device. Coordinates are device pixels of the page, origin top left, y downwards. An
// item's role is a SheetRole.
using SheetRect = picture::Edges;
using SheetItem = picture::Item;
using SheetDrawList = picture::Picture;

// What an item stands for, so that tests and callers find items without knowing the order.
enum class SheetRole
{
    Title,
    Frame,         // outline of the table
    HeadingColumn, // the vertical line at the sheet's left edge that closes the heading column
    GridLine,      // horizontal line; tag: a GridTag
    ColumnLine,    // vertical line; tag: a ColumnTag
    Heading,       // one character of a section heading; tag: section * 100 + character
    InfoLabel,     // basic information label; tag: row * 4 + column (0 or 2)
    InfoValue,     // basic information value; tag: row * 4 + column (1 or 3)
    DesignHeading, // tag: column 0..4
    DesignValue,
    TestHeading,
    TestValue,
    Conclusion, // tag: line 0 (the lengths and grades) or 1 (the verdict)
    UnitLabel,  // "检测单位："
    UnitName,
    BaseLine,
    ChannelLabel,
    AmplitudeTick, // tag: 0 upper, 1 lower
    AmplitudeLabel,
    TimeTick, // tag: j = 1..3
    TimeLabel,
    TimeUnit, // "t(ms)"
    ZeroLine,
    Trace,     // one stretch of the trace drawn without lifting the pen
    GroutBar,  // free end to bottom
    RodBar,    // end to bottom
    DefectBar, // defect start to defect end
    DefectText,
    Processing, // "信号处理: …", what was applied to the trace
    Notice,     // the page of a file that cannot be read; tag: line
};

// Tags of the horizontal grid lines.
enum GridTag : int
{
    kGridInfoRow1 = 1, // below basic information row 0
    kGridInfoRow2 = 2,
    kGridInfoRow3 = 3,
    kGridInfoEnd = 4,     // y4, below the basic information
    kGridDiagramEnd = 5,  // Y5, below the diagram
    kGridDesignSplit = 6, // between design headings and values
    kGridDesignEnd = 7,   // y6
    kGridTestSplit = 8,   // between test headings and values
    kGridTestEnd = 9,     // y7
};

// Tags of the vertical column lines.
enum ColumnTag : int
{
    kColumnInfo = 0,    // + 0..2: the three column lines of the basic information
    kColumnDesign = 10, // + k = 0..4
    kColumnTest = 20,   // + k = 0..4
};

} // namespace rovana::sheet
