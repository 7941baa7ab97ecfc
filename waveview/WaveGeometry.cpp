#include "WaveGeometry.h"

#include "Lengths.h"
#include "Saturate.h"
#include "TestEdit.h"
#include "WaveParts.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace rovana::wave {

using namespace detail;

int TruncToInt(float value)
{
    return TruncToInt(static_cast<double>(value));
}

int TruncToInt(double value)
{
    return rovana::TruncToInt(value);
}

float CompressFactor(int compress, int sampleCount, int sampleIntervalUs, int width)
{
    if (!compress || sampleCount == 0)
        return 1.0f;
    const int n = sampleCount;
    const int X = width < n ? n : width;
    const double perWidth = static_cast<double>(sampleIntervalUs) * n / 10240.0;
    const float f = static_cast<float>((perWidth * X) / n);
    return f > 1.0f ? 1.0f : f;
}

double LegendPointSize(int screenHeight)
{
    return screenHeight <= 1050 ? 10.5 : 14.0;
}

double MeasurementPointSize(int screenHeight)
{
    return screenHeight <= 1050 ? 11.0 : 16.0;
}

float CompressFactor(const WaveInput& in)
{
    return CompressFactor(in.compress, in.sampleCount, in.sampleInterval, in.width);
}

float MarkerLength(const WaveInput& in, int a, int b)
{
    // A length is a property of the bolt, not of the window: the compressed display's
    // factor depends on the view's width and would make the same markers give other
    // lengths in another window, and a save of an unchanged test other bytes.
    return rovana::MarkerLength(a, b, in.sampleInterval, in.waveSpeed);
}

float BottomLength(const WaveInput& in)
{
    return MarkerLength(in, in.markerPos[kBottom], in.markerPos[kEnd]);
}

float FreeEndLength(const WaveInput& in)
{
    return TruncToCentimetres(MarkerLength(in, in.markerPos[kFreeEnd], in.markerPos[kEnd]));
}

ChannelMarks MarksOf(const WaveInput& in)
{
    ChannelMarks marks;
    for (std::size_t m = 0; m < kMarkerCount; ++m) {
        marks.set[m] = in.markerSet[m] != 0;
        marks.pos[m] = in.markerPos[m];
    }
    marks.byRule[kMarkerBottom] = in.bottomByDesign;
    marks.byRule[kMarkerFreeEnd] = in.freeEndByDesign;
    return marks;
}

QString MeasurementText(const WaveInput& in)
{
    switch (in.displayMode) {
    case kModeSpectrum: {
        const SpectrumScale scale = ComputeSpectrumScale(in);
        const auto s = FirstN(in.spectrum, in.sampleCount);
        int k = 0;
        for (std::size_t i = 1; i < s.size(); ++i)
            if (s[i] > s[k])
                k = static_cast<int>(i);
        double fmax = 0.0;
        if (scale.count > 0) {
            const int x = static_cast<int>(static_cast<std::int64_t>(in.width) * k / scale.count);
            fmax = TruncToInt(x / D(scale.scaleX)) * D(in.binWidth) / 1000.0;
        }
        return QString::asprintf("FMAX:%.2f", fmax);
    }
    case kModePhase:
    case kModeEnergy:
        return QString();
    default:
        break;
    }
    // Time domain (any other mode identifier is treated as the time domain too). Only what
    // is marked: a length nobody marked is "—", one placed by the design rule says so.
    const float pos =
        in.sampleCount != 512 ? MarkerLength(in, in.cursor, in.markerPos[kEnd]) : 0.0f;
    return LengthLine(MarkedLengthsOf(MarksOf(in), in.sampleInterval, in.waveSpeed), pos);
}

DrawList BuildDrawList(const WaveInput& in, WaveResult& out)
{
    DrawList list;
    const int W = in.width;
    const int H = in.height;

    DrawItem background;
    background.kind = DrawItem::Kind::FillRect;
    background.role = Role::Background;
    background.pass = DrawPass::Background;
    background.hasPen = false;
    background.rect = {0, 0, W, H};
    background.brush = in.selected ? kSelectedBackground : kUnselectedBackground;
    list.push_back(background);

    const float f = CompressFactor(in);
    out.compress = f;

    // 1. Legend (time domain only).
    if (in.displayMode == kModeTimeDomain)
        AppendLegend(list, in);

    // 2. Centre line, every mode.
    list.push_back(MakeLine(Role::CentreLine, DrawPass::Grid,
                            Pen{kCentreLineColor, 1, PenStyle::Dot}, {0, H / 2}, {W, H / 2}));

    // 3. Trace, sketch and markers, or the other modes.
    switch (in.displayMode) {
    case kModeTimeDomain:
        if (in.maxAmplitude > 0) {
            AppendTrace(list, in);
            AppendSketch(list, in, f);
            AppendMarkers(list, in, f);
        }
        break;
    case kModeSpectrum:
        AppendSpectrum(list, in, out);
        break;
    case kModePhase:
        AppendPhase(list, in, out);
        break;
    case kModeEnergy:
        AppendEnergy(list, in, out);
        break;
    default:
        break;
    }

    // 4. Cursor: no scroll offset.
    if (in.cursorShown) {
        const int x = TruncToInt(in.cursor * D(f));
        DrawItem cursor =
            MakeLine(Role::Cursor, DrawPass::Markers, Pen{Qt::black, 1}, {x, 0}, {x, H});
        cursor.raster = RasterMode::NotXorPen;
        list.push_back(cursor);
    }

    // 5. Marks: the report channel at the bottom right, a trace whose processed samples were
    // clipped at the top left under the legend.
    const FontSpec small{FontKind::Song, LegendPointSize(in.screenHeight)};
    if (in.reportChannel)
        list.push_back(MakeTextAt(Role::ReportMark, DrawPass::Text, {W - 40, H - 40},
                                  QStringLiteral("报告"), small, TextBackground::OpaqueWhite,
                                  QColor(0, 0, 139)));
    if (in.clipped && in.displayMode == kModeTimeDomain)
        list.push_back(MakeTextAt(Role::ClipWarning, DrawPass::Text, {10, 50},
                                  QStringLiteral("放大后削波"), small, TextBackground::OpaqueWhite,
                                  QColor(200, 0, 0)));

    // 6. Measurement line.
    out.measurement = MeasurementText(in);
    DrawItem text;
    text.kind = DrawItem::Kind::TextInRect;
    text.role = Role::Measurement;
    text.pass = DrawPass::Text;
    text.hasPen = false;
    text.text = out.measurement;
    text.font = {FontKind::Song, MeasurementPointSize(in.screenHeight)};
    // 350 px from the right edge, or as far left as the text needs to be read whole.
    int left = W - 350;
    if (in.textWidth)
        left = std::min(left, W - in.textWidth(text.text, text.font) - 4);
    text.rect = {std::max(0, left), 10, W, H};
    text.background = TextBackground::Transparent;
    list.push_back(text);
    return list;
}

} // namespace rovana::wave
