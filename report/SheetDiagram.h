#pragma once

#include "BoltResult.h"
#include "SheetDrawList.h"
#include "SheetInput.h"

namespace rovana::sheet {

// Microseconds the diagram's width stands for: 10240 with compression, else 2048.
int DiagramWindow(const SheetSettings& settings);

// Pixels per sample over `width` pixels, for the time labels and the interpretation bars:
// the printed record's sampling interval x width / window, so that every sheet of a batch
// keeps its own time base. 0 when the record has no samples: the labels are left empty
// and no bars are drawn.
double SampleScale(const TestRecord& print, const SheetSettings& settings, int width);

// The same scale for the trace, but width / 2048 when the record has no samples.
double TraceScale(const TestRecord& print, const SheetSettings& settings, int width);

// The label of a time tick `offset` pixels right of the diagram's left edge: the time at
// the tick in ms, "%0.2f"; empty for a scale of 0.
QString TimeLabel(const TestRecord& print, int offset, double px);

// The defect range text never shrinks below this size to fit under the bars.
inline constexpr double kSmallestDefectPointSize = 4.0;

// Appends the diagram of `channel` for the sheet rectangle `sheet` whose diagram starts at
// y = `top`: base line, channel label, amplitude and time marks, then the trace and the
// interpretation bars. The trace is clipped to the table cell of the diagram (from the
// sheet's left to its right edge, between the grid lines above and below the diagram):
// a long record or a large excursion would otherwise run over the margin and the table.
void DrawWaveDiagram(const SheetContext& ctx, const SheetRect& sheet, int channel, int top,
                     SheetDrawList& list);

// Appends the zero line and the trace of `channel` within `box`, positive excursions
// filled down to the zero line; a sample beyond the full scale is drawn at the box's top
// or bottom (the time axis), never past them. No trace when the channel's maximum
// amplitude is not positive.
void DrawDiagramTrace(const SheetContext& ctx, const SheetRect& box, int channel,
                      SheetDrawList& list);

// The samples of `channel` as the sheet draws them: the site's processing applied.
std::array<std::int16_t, kSampleBlockSize> ShownSamples(const SheetContext& ctx, int channel);

// The full-scale amplitude of `channel`'s diagram on this sheet: the settings' own, or the
// record's fitted one (ChannelScale::bFit) from its shown samples and its blow.
int DiagramAmplitude(const SheetContext& ctx, int channel);

// Which bars DrawInterpretation draws for `channel` at the bar scale `px` (pixels per
// sample): the grouted part needs a marked channel, a bottom marker (m[2] > 0) and
// m[1]·px > 0; the rod also m[0]·px > 0; the defect with its range text also m[3]·px > 0
// and m[4]·px > 0.
struct InterpretationBars
{
    bool grout = false;
    bool rod = false;
    bool defect = false;
    friend bool operator==(const InterpretationBars&, const InterpretationBars&) = default;
};
InterpretationBars BarsToDraw(const TestRecord& print, int channel, double px);

// Appends the bars under the diagram: grouted part (free end to bottom), then the rod
// (end to bottom), then the defect with its range text; each only when the one before
// it was drawn.
void DrawInterpretation(const SheetContext& ctx, const SheetRect& box, int channel,
                        SheetDrawList& list);

// Metres between sample indices a and b of the printed record, cut (not rounded) to
// centimetres (MarkerDistance).
float SheetMarkerLength(const TestRecord& print, int a, int b);

// Said after a defect range that reaches past the bottom marker.
inline const QString kDefectBeyondBottom = QStringLiteral("（超出底部，请复核）");

// The range under the diagram: "缺陷范围:%0.2fm  - %0.2fm ", then kDefectBeyondBottom
// where the range reaches past the bottom.
QString DefectRangeText(const DefectRange& range);

} // namespace rovana::sheet
