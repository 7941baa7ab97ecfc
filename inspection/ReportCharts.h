#pragma once

#include "Picture.h"
#include "ReportContent.h"
#include "SheetInput.h"

namespace rovana::inspection {

// The report's two charts in the picture vocabulary, drawn into a box of a page: the count
// of bolts per quality class as bars, and each bolt's measured / design length with the
// 95 % line. Numbers come from the summary's statistics and rows, never from the files.

enum class ChartRole
{
    Axis = 1100, // the axes; tag 0 the value axis, 1 the bolt or class axis
    GridLine,    // tag: the tick's value
    TickLabel,   // tag: the tick's value
    Bar,         // tag: class 0..3 (I..IV)
    BarCount,    // the count above a bar; tag: class
    ClassLabel,  // "I类" under a bar; tag: class
    Ratio,       // a bolt's ratio (a small square), or a slot's least..greatest (a line);
                 // tag: the slot's first bolt, 0-based
    RatioLine,   // a dash of the 95 % line
    RatioLineLabel,
    BoltLabel, // a bolt's number (from 1) under the bolt axis; tag: the number
    AxisTitle, // tag 0 the value axis, 1 the bolt axis
    NoData,    // "无已评定锚杆" / "无实测长度"
};

// Bars of statistics.classCounts in `box`, texts at `pointSize`.
picture::Picture ClassCountChart(const summary::SummaryStatistics& statistics,
                                 const picture::Edges& box, double pointSize,
                                 const sheet::MeasureText& measure);

// The ratios of `series` along the bolts in table order, in `box`, with the line at
// kLengthRatioLine.
picture::Picture LengthRatioChart(const RatioSeries& series, const picture::Edges& box,
                                  double pointSize, const sheet::MeasureText& measure);

// A tick step of 1, 2 or 5 times a power of ten that divides `span` into at most `ticks`.
double TickStep(double span, int ticks);

} // namespace rovana::inspection
