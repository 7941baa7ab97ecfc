#pragma once

#include "ProcessingChain.h"
#include "ReportOptions.h"
#include "TestRecord.h"

#include <QSize>
#include <QString>

#include <array>
#include <functional>

namespace rovana::sheet {

// Width and height in device pixels of `text` drawn in the sheet's Song face at
// `pointSize` on the page's device. The height is the font's line height (ascent plus
// descent), whatever the text.
using MeasureText = std::function<QSize(const QString& text, double pointSize)>;

// The page: its size in device pixels (W x H) and its vertical resolution in pixels per
// inch, which chooses the body and defect font sizes.
struct SheetDevice
{
    int width = 0;
    int height = 0;
    int dpiY = 0;
    friend bool operator==(const SheetDevice&, const SheetDevice&) = default;
};

// The diagram's vertical scale and growing gain, as the channel view of a channel holds them.
struct ChannelScale
{
    int nMaxAmplitude = 1700; // sample value at the top of the trace's full scale
    int nMagnify = 1;         // gain reached at the right end; <= 0 means off
    // The amplitude is each record's own: its trace's largest excursion from the blow on
    // fills 90 % of the half-height (FittedAmplitude); nMaxAmplitude is then not read.
    bool bFit = false;
    friend bool operator==(const ChannelScale&, const ChannelScale&) = default;
};

// Everything the sheet reads besides the printed record.
struct SheetSettings
{
    ReportOptions options;
    std::array<ChannelScale, kChannelCount> channels{};
    int bCompress = 1; // the diagram spans 10240 µs when 1, else 2048 µs
    // The site's processing of the trace; off, the trace is the file's samples as they are.
    processing::ChainSettings chain;
};

// One sheet's inputs, passed to every drawing function.
struct SheetContext
{
    SheetDevice device;
    const TestRecord& print; // the record of the page
    const SheetSettings& settings;
    const MeasureText& measure;
};

// Font sizes in points; all text is in the Song face.
inline constexpr double kTitlePointSize = 20.0;
inline constexpr double kChannelLabelPointSize = 12.0;
inline constexpr double kDiagramPointSize = 6.0;    // amplitude and time labels, "t(ms)"
inline constexpr double kProcessingPointSize = 8.0; // "信号处理: …" under the trace

// Body text: headings, tables, conclusion and organisation.
inline double BodyPointSize(int dpiY)
{
    return dpiY > 360 ? 11.0 : 10.0;
}

// The defect range under the diagram.
inline double DefectPointSize(int dpiY)
{
    return dpiY > 360 ? 14.0 : 10.0;
}

} // namespace rovana::sheet
