// The time-domain picture of a channel view: legend, trace (and the reference bolt behind
// it), anchor sketch and markers.
#include "WaveParts.h"

#include <cmath>

namespace rovana::wave {

using namespace detail;

std::vector<LegendEntry> LegendEntries(int width)
{
    const QString labels[4] = {QStringLiteral("端部"), QStringLiteral("外露"),
                               QStringLiteral("底部"), QStringLiteral("缺陷")};
    const QColor colors[4] = {kEndColor, kFreeEndColor, kBottomColor, kDefectColor};
    std::vector<LegendEntry> entries;
    if (width > 500) {
        for (int i = 0; i < 4; ++i)
            entries.push_back({labels[i], colors[i], width - 600 + 40 * i, 30});
    } else {
        for (int i = 0; i < 3; ++i)
            entries.push_back({labels[i], colors[i], 10 + 50 * i, 40});
    }
    return entries;
}

TracePoints ComputeTrace(const WaveInput& in)
{
    TracePoints trace;
    const float f = CompressFactor(in);
    trace.compress = f;
    const int A = in.maxAmplitude;
    if (A <= 0)
        return trace;
    const float sy = static_cast<float>(D(in.height) / (2.0 * A));
    const int count =
        std::max(0, in.compress ? std::max(in.width, in.sampleCount) : in.sampleCount);
    const std::int64_t bufferSize = static_cast<std::int64_t>(in.wave.size());
    trace.points.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int x = in.compress ? TruncToInt(i * D(f)) : i;
        const std::int64_t index = static_cast<std::int64_t>(in.scroll) + i;
        const int v =
            index >= 0 && index < bufferSize ? in.wave[static_cast<std::size_t>(index)] : 0;
        float g = 1.0f;
        if (in.magnify > 0)
            g = std::pow(static_cast<float>(in.magnify),
                         static_cast<float>(i + 1) / static_cast<float>(count));
        const double y = (A - v * D(g)) * sy;
        trace.points.push_back({x, TruncToInt(y)});
    }
    return trace;
}

namespace detail {

void AppendLegend(DrawList& list, const WaveInput& in)
{
    const FontSpec font{FontKind::Song, LegendPointSize(in.screenHeight)};
    const auto entries = LegendEntries(in.width);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const LegendEntry& e = entries[i];
        const int tag = static_cast<int>(i);
        list.push_back(MakeTextAt(Role::LegendLabel, DrawPass::Grid, {e.x, 10}, e.label, font,
                                  TextBackground::Transparent, e.color, tag));
        list.push_back(MakeLine(Role::LegendSwatch, DrawPass::Grid, Pen{e.color, 1}, {e.x, 30},
                                {e.x + e.swatchLength, 30}, tag));
    }
}

void AppendTrace(DrawList& list, const WaveInput& in)
{
    const int W = in.width;
    const int H = in.height;
    if (!in.reference.empty()) {
        WaveInput reference = in;
        reference.wave = in.reference;
        std::vector<QPoint> grey = ComputeTrace(reference).points;
        // Only as far as the reference's samples reach.
        const auto scroll = static_cast<std::size_t>(std::max(0, in.scroll));
        const std::size_t held = in.reference.size() > scroll ? in.reference.size() - scroll : 0;
        grey.resize(std::min(grey.size(), held));
        if (!grey.empty())
            list.push_back(MakePolyline(Role::Reference, DrawPass::Trace,
                                        Pen{kReferenceColor, 1, PenStyle::Solid}, grey));
    }
    const TracePoints trace = ComputeTrace(in);
    const Pen black{Qt::black, 1, PenStyle::Solid};
    std::vector<QPoint> polyline = trace.points;
    if (in.compress && !trace.points.empty()) {
        const int count = static_cast<int>(trace.points.size());
        polyline.push_back({TruncToInt(count * D(trace.compress)), H / 2});
        polyline.push_back({W, H / 2});
    }
    if (!polyline.empty())
        list.push_back(MakePolyline(Role::Trace, DrawPass::Trace, black, polyline));
    if (in.fill) {
        for (std::size_t i = 1; i < trace.points.size(); ++i) {
            const QPoint p = trace.points[i];
            if (p.y() < H / 2)
                list.push_back(
                    MakeLine(Role::FillStroke, DrawPass::Trace, black, {p.x(), H / 2}, p));
        }
    }
}

void AppendSketch(DrawList& list, const WaveInput& in, float f)
{
    const int H = in.height;
    const auto X = [&](int p) { return TruncToInt(p * D(f) - in.scroll); };
    const int* set = in.markerSet;
    const int* pos = in.markerPos;
    bool band = false;
    if (set[kFreeEnd] && set[kBottom]) {
        band = true;
        list.push_back(MakeShape(DrawItem::Kind::Rectangle, Role::GroutBand,
                                 {X(pos[kFreeEnd]), H - H / 10, X(pos[kBottom]), H}, kGroutColor));
        if (set[kEnd])
            list.push_back(MakeShape(DrawItem::Kind::Rectangle, Role::BoltBar,
                                     {X(pos[kEnd]), H - 3 * H / 40, X(pos[kBottom]), H - H / 40},
                                     Qt::black));
    }
    if (set[kDefectStart] && set[kDefectEnd]) {
        // Hollow after the band; otherwise filled white.
        list.push_back(MakeShape(DrawItem::Kind::Ellipse, Role::DefectEllipse,
                                 {X(pos[kDefectStart]), H - H / 10, X(pos[kDefectEnd]), H},
                                 band ? QColor() : QColor(Qt::white)));
    }
}

void AppendMarkers(DrawList& list, const WaveInput& in, float f)
{
    const int H = in.height;
    for (int m = 0; m < 5; ++m) {
        if (!in.markerSet[m])
            continue;
        const int x = TruncToInt(in.markerPos[m] * D(f) - in.scroll);
        // A bottom or free end nobody placed or confirmed is drawn dashed and says where it
        // comes from; the free end's label sits lower, so that both can be read.
        const bool byDesign =
            (m == kBottom && in.bottomByDesign) || (m == kFreeEnd && in.freeEndByDesign);
        DrawItem item =
            MakeLine(Role::Marker, DrawPass::Markers,
                     Pen{kMarkerColors[m], 2, byDesign ? PenStyle::Dash : PenStyle::Solid}, {x, 0},
                     {x, H}, m);
        item.raster = RasterMode::NotXorPen;
        list.push_back(item);
        if (byDesign)
            list.push_back(MakeTextAt(Role::ByDesign, DrawPass::Text,
                                      {x + 4, m == kBottom ? H / 2 + 4 : H / 2 + H / 5},
                                      kByDesignLength,
                                      {FontKind::Song, LegendPointSize(in.screenHeight)},
                                      TextBackground::Transparent, kMarkerColors[m]));
    }
}

} // namespace detail

} // namespace rovana::wave
