#include "SheetDiagram.h"

#include "ReportSheet.h"
#include "SheetBody.h"
#include "SheetItems.h"
#include "TraceFit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace rovana::sheet {

namespace {

const QColor kZeroLineColor(185, 237, 185);
const QColor kGroutColor(202, 202, 202);
const QColor kDefectColor(124, 124, 124);

void DrawAmplitudeMarks(const SheetContext& ctx, const SheetRect& box, int channel,
                        SheetDrawList& list)
{
    const int A = DiagramAmplitude(ctx, channel);
    const int diagH = box.bottom - box.top;
    const std::array<int, 2> ys = {box.top + diagH / 10, box.top + (9 * diagH) / 10};
    const std::array<QString, 2> labels = {QString::asprintf("%d mv", (4 * A) / 5),
                                           QString::asprintf("-%d mv", (4 * A) / 5)};
    for (int i = 0; i < 2; ++i) {
        AddLine(list, SheetRole::AmplitudeTick, i, {box.left, ys[i]}, {box.left + 30, ys[i]});
        AddText(list, SheetRole::AmplitudeLabel, i, {box.left + 40, ys[i]}, labels[i],
                kDiagramPointSize, false);
    }
}

void DrawTimeMarks(const SheetContext& ctx, const SheetRect& box, SheetDrawList& list)
{
    const int w = box.right - box.left;
    const double px = SampleScale(ctx.print, ctx.settings, w);
    for (int j = 1; j <= 3; ++j) {
        const int x = box.left + (w * j) / 4;
        AddLine(list, SheetRole::TimeTick, j, {x, box.bottom}, {x, box.bottom + 10});
        AddText(list, SheetRole::TimeLabel, j, {x, box.bottom + 10},
                TimeLabel(ctx.print, x - box.left, px), kDiagramPointSize, false);
    }
    AddText(list, SheetRole::TimeUnit, 0, {box.right - 150, box.bottom + 10},
            QStringLiteral("t(ms)"), kDiagramPointSize, false);
}

// The processing applied to the trace of the sheet's record: the site's chain less what
// this record's interval, wave speed or design length refuses.
processing::ChainSettings TraceChain(const SheetContext& ctx)
{
    const TestRecord& d = ctx.print;
    return processing::AppliedChain(ctx.settings.chain, d.m_nSampleInterval, d.m_nWaveSpeed,
                                    d.m_fDesignLength);
}

QString ProcessingText(const SheetContext& ctx)
{
    const processing::ChainSettings chain = TraceChain(ctx);
    return processing::IsChainOff(chain) ? QString()
                                         : QString::fromStdString(processing::DescribeChain(chain));
}

// Where "信号处理: …" goes: right-aligned at the bottom of the diagram cell, one "结" from
// the right edge; empty when the trace is not processed.
QRect ProcessingLineRect(const SheetContext& ctx, int right, int cellBottom)
{
    const QString text = ProcessingText(ctx);
    if (text.isEmpty())
        return {};
    const QSize ext = ctx.measure(text, kProcessingPointSize);
    const int gap = std::max(1, ctx.measure(QStringLiteral("结"), kDiagramPointSize).width());
    return {QPoint(right - gap - ext.width(), cellBottom - ext.height() - 2), ext};
}

// The line tells a reader of the paper that the trace is not the recorded one.
void DrawProcessingLine(const SheetContext& ctx, const SheetRect& box, int cellBottom,
                        SheetDrawList& list)
{
    const QRect place = ProcessingLineRect(ctx, box.right, cellBottom);
    if (!place.isEmpty())
        AddText(list, SheetRole::Processing, 0, place.topLeft(), ProcessingText(ctx),
                kProcessingPointSize, true); // opaque: a strong processed trace may pass under it
}

// Gain of sample k of N: f^((k + 1) / N) in single precision, 1 when the gain is off.
float Gain(int f, int k, int N)
{
    if (f <= 0 || N <= 0)
        return 1.0f;
    return std::pow(static_cast<float>(f), static_cast<float>(k + 1) / static_cast<float>(N));
}

void FlushTrace(QPolygon& stretch, SheetDrawList& list)
{
    if (stretch.size() >= 2)
        list.push_back(picture::Polyline(SheetRole::Trace, std::move(stretch), SheetPen()));
    stretch = QPolygon();
}

// A bar's outline followed by its fill over the same rectangle.
void AddBar(SheetDrawList& list, SheetItem::Kind outline, SheetRole role, SheetRect rect,
            QColor fill)
{
    AddShape(list, outline, role, rect);
    AddShape(list, SheetItem::Kind::FillRect, role, rect, fill);
}

// Where the defect range text goes: inside the diagram's cell and clear of the bars.
// Right of the bars, centred on their band, in the defect font when it fits there;
// otherwise between the lowest bar and the grid line that closes the cell, in the largest
// size up to the defect font's that fits.
struct DefectTextPlace
{
    QPoint at;
    double pointSize;
};

DefectTextPlace PlaceDefectText(const SheetContext& ctx, const SheetRect& box, int barsRight,
                                const QString& text)
{
    const int h = box.bottom - box.top;
    const int bandTop = box.bottom + (3 * h) / 20;
    const int bandBottom = box.bottom + (8 * h) / 20;
    const int gap = std::max(1, ctx.measure(QStringLiteral("结"), kDiagramPointSize).width());
    const double full = DefectPointSize(ctx.device.dpiY);
    const int cellBottom = ComputeSheetLayout(ctx, SheetRectangle(ctx.device)).Y5;
    const QRect processing = ProcessingLineRect(ctx, box.right, cellBottom);
    const auto clear = [&](QPoint at, double pt) {
        return !QRect(at, ctx.measure(text, pt)).intersects(processing);
    };
    const QSize ext = ctx.measure(text, full);
    // Beside the bars the text ends 8/20 of the diagram's height below the base line, above
    // the processing line.
    if (barsRight + gap + ext.width() <= box.right - gap && ext.height() <= bandBottom - bandTop)
        return {{barsRight + gap, bandTop + (bandBottom - bandTop - ext.height()) / 2}, full};

    // Under the bars, as large as the rest of the cell allows; above the processing line
    // when the two would meet.
    const auto under = [&](int room) -> DefectTextPlace {
        double pt = full;
        while (pt > kSmallestDefectPointSize && ctx.measure(text, pt).height() > room)
            pt -= 1.0;
        const int cx = ctx.measure(QStringLiteral("结论:"), pt).width();
        const int x = box.left + ((box.right - box.left) / 6 - cx) / 2;
        const int height = ctx.measure(text, pt).height();
        return {{x, bandBottom + 1 + std::max(0, (room - height) / 2)}, pt};
    };
    const DefectTextPlace place = under(cellBottom - bandBottom - 2);
    if (clear(place.at, place.pointSize))
        return place;
    return under(processing.top() - 1 - bandBottom - 2);
}

void DrawDefect(const SheetContext& ctx, const SheetRect& box, int channel,
                const std::array<int, 5>& m, double px, int X0, int barsRight, SheetDrawList& list)
{
    const int h = box.bottom - box.top;
    const SheetRect defect = {Trunc(m[kMarkerDefectStart] * px + X0), box.bottom + (4 * h) / 20,
                              Trunc(m[kMarkerDefectEnd] * px + X0), box.bottom + (7 * h) / 20};
    AddBar(list, SheetItem::Kind::Ellipse, SheetRole::DefectBar, defect, kDefectColor);

    // The range the bolt's result holds, as the summary and the command line give it.
    const auto range = ChannelResultOf(ctx.print, channel).defect;
    if (!range)
        return;
    const QString text = DefectRangeText(*range);
    const int right = std::max({barsRight, defect.left, defect.right});
    const DefectTextPlace place = PlaceDefectText(ctx, box, right, text);
    AddText(list, SheetRole::DefectText, 0, place.at, text, place.pointSize, false);
}

} // namespace

int DiagramWindow(const SheetSettings& settings)
{
    return settings.bCompress ? 10240 : 2048;
}

double TraceScale(const TestRecord& print, const SheetSettings& settings, int width)
{
    return UsableSampleCount(print) == 0 ? width / 2048.0 : SampleScale(print, settings, width);
}

double SampleScale(const TestRecord& print, const SheetSettings& settings, int width)
{
    if (UsableSampleCount(print) == 0)
        return 0.0;
    return static_cast<double>(print.m_nSampleInterval) * width / DiagramWindow(settings);
}

QString TimeLabel(const TestRecord& print, int offset, double px)
{
    if (px == 0.0)
        return {};
    const double samples = offset / px;
    return QString::asprintf("%0.2f", samples * print.m_nSampleInterval / 1000.0);
}

void DrawWaveDiagram(const SheetContext& ctx, const SheetRect& sheet, int channel, int top,
                     SheetDrawList& list)
{
    const int diagH = (sheet.bottom - sheet.top) / 7;
    const SheetRect box = {sheet.left, top, sheet.right, top + diagH};
    AddLine(list, SheetRole::BaseLine, 0, {box.left + 10, box.bottom},
            {box.right - 10, box.bottom});

    const QString label = QString::asprintf("信号%d", channel + 1);
    const int cx = ctx.measure(label, kChannelLabelPointSize).width();
    AddText(list, SheetRole::ChannelLabel, 0, {Trunc(box.right - 1.5 * cx), top + 10}, label,
            kChannelLabelPointSize, false);

    DrawAmplitudeMarks(ctx, box, channel, list);
    DrawTimeMarks(ctx, box, list);
    const std::size_t traceBegin = list.size();
    DrawDiagramTrace(ctx, box, channel, list);
    const SheetLayout lay = ComputeSheetLayout(ctx, sheet);
    for (std::size_t i = traceBegin; i < list.size(); ++i)
        list[i].clip = {sheet.left, lay.y4, sheet.right, lay.Y5};
    const int barLeft = Trunc(box.left + 0.1 * (box.right - box.left));
    DrawInterpretation(ctx, {barLeft, box.top, box.right, box.bottom}, channel, list);
    DrawProcessingLine(ctx, box, lay.Y5, list);
}

std::array<std::int16_t, kSampleBlockSize> ShownSamples(const SheetContext& ctx, int channel)
{
    const int N = UsableSampleCount(ctx.print);
    auto samples = ctx.print.m_nSamples[static_cast<std::size_t>(channel)];
    if (const processing::ChainSettings chain = TraceChain(ctx); !processing::IsChainOff(chain))
        processing::ToDisplaySamples(
            processing::ApplyChain({samples.data(), static_cast<std::size_t>(N)},
                                   ctx.print.m_nSampleInterval, ctx.print.m_nWaveSpeed,
                                   ctx.print.m_fDesignLength, chain),
            samples);
    return samples;
}

int DiagramAmplitude(const SheetContext& ctx, int channel)
{
    const ChannelScale& view = ctx.settings.channels[static_cast<std::size_t>(channel)];
    if (!view.bFit)
        return view.nMaxAmplitude;
    const auto N = static_cast<std::size_t>(UsableSampleCount(ctx.print));
    const auto& raw = ctx.print.m_nSamples[static_cast<std::size_t>(channel)];
    const auto shown = ShownSamples(ctx, channel);
    return FittedAmplitude({shown.data(), N},
                           processing::BlowOnset({raw.data(), N}, ctx.print.m_nSampleInterval));
}

void DrawDiagramTrace(const SheetContext& ctx, const SheetRect& box, int channel,
                      SheetDrawList& list)
{
    const int h = box.bottom - box.top;
    const int yM = box.top + h / 2;
    AddLine(list, SheetRole::ZeroLine, 0, {box.left, yM}, {box.right, yM}, kZeroLineColor, true);

    const ChannelScale& view = ctx.settings.channels[static_cast<std::size_t>(channel)];
    const int A = DiagramAmplitude(ctx, channel);
    if (A <= 0)
        return;
    const double scale = static_cast<double>(h) / (2.0 * A);
    const double px = TraceScale(ctx.print, ctx.settings, box.right - box.left);
    const int N = UsableSampleCount(ctx.print);
    const auto samples = ShownSamples(ctx, channel);
    // A sample beyond the full scale is clipped at the top of the diagram or at the time
    // axis: the trace never runs over the axis, its labels or the interpretation bars.
    const auto y = [&](int k) {
        const double v = static_cast<double>(A - samples[static_cast<std::size_t>(k)] *
                                                     Gain(view.nMagnify, k, N)) *
                         scale;
        return std::clamp(box.top + Trunc(std::clamp(v, -1.0, h + 1.0)), box.top, box.bottom);
    };

    QPolygon stretch;
    stretch << QPoint(box.left, y(0));
    for (int k = 1; k < N; ++k) {
        const int xk = Trunc(box.left + k * px);
        const int yk = y(k);
        stretch << QPoint(xk, yk);
        if (yk >= yM)
            continue;
        stretch << QPoint(xk, yM);
        if (N == 1024) {
            FlushTrace(stretch, list);
            const int x2 = Trunc(box.left + k * px + 1);
            stretch << QPoint(x2, yk) << QPoint(x2, yM);
        }
    }
    stretch << QPoint(Trunc(box.left + N * px), yM) << QPoint(box.right, yM);
    FlushTrace(stretch, list);
}

void DrawInterpretation(const SheetContext& ctx, const SheetRect& box, int channel,
                        SheetDrawList& list)
{
    const TestRecord& d = ctx.print;
    const auto& m = d.m_nMarkers[static_cast<std::size_t>(channel)];
    const double px = SampleScale(d, ctx.settings, box.right - box.left);
    const InterpretationBars bars = BarsToDraw(d, channel, px);
    if (!bars.grout)
        return;
    const int W = ctx.device.width;
    const int X0 = Trunc(0.1 * W + W / 15);
    const int h = box.bottom - box.top;

    int right = Trunc(X0 + m[kMarkerBottom] * px);
    if (right > box.right)
        right = box.right - 5;
    AddBar(list, SheetItem::Kind::Rectangle, SheetRole::GroutBar,
           {Trunc(X0 + m[kMarkerFreeEnd] * px), box.bottom + (3 * h) / 20, right,
            box.bottom + (8 * h) / 20},
           kGroutColor);

    if (!bars.rod)
        return;
    AddBar(list, SheetItem::Kind::Rectangle, SheetRole::RodBar,
           {Trunc(m[kMarkerEnd] * px + X0), box.bottom + (5 * h) / 20, right,
            box.bottom + (6 * h) / 20},
           Qt::black);

    if (bars.defect)
        DrawDefect(ctx, box, channel, m, px, X0, right, list);
}

InterpretationBars BarsToDraw(const TestRecord& print, int channel, double px)
{
    InterpretationBars bars;
    if (channel < 0 || channel >= kChannelCount)
        return bars;
    const auto& m = print.m_nMarkers[static_cast<std::size_t>(channel)];
    bars.grout = print.m_nMarkedChannels >= 1 && m[kMarkerBottom] > 0 && m[kMarkerFreeEnd] * px > 0;
    bars.rod = bars.grout && m[kMarkerEnd] * px > 0;
    bars.defect = bars.rod && m[kMarkerDefectStart] * px > 0 && m[kMarkerDefectEnd] * px > 0;
    return bars;
}

float SheetMarkerLength(const TestRecord& print, int a, int b)
{
    return MarkerDistance(print, a, b);
}

QString DefectRangeText(const DefectRange& range)
{
    QString text = QString::asprintf("缺陷范围:%0.2fm  - %0.2fm ", static_cast<double>(range.from),
                                     static_cast<double>(range.to));
    if (range.beyondBottom)
        text += kDefectBeyondBottom;
    return text;
}

} // namespace rovana::sheet
