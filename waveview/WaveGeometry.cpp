#include "WaveGeometry.h"

#include "DrawItems.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace rovana::wave {

namespace {

// Evaluation model: expressions are evaluated in double precision and rounded to float
// only where a float is stored (f, sy, the scales, lengths), so that positions and
// lengths come out the same on every machine. Every
// expression below does the same: D() widens its float operands, static_cast<float>
// marks the stores.
constexpr double D(double value)
{
    return value;
}

constexpr int kEnd = 0;
constexpr int kFreeEnd = 1;
constexpr int kBottom = 2;
constexpr int kDefectStart = 3;
constexpr int kDefectEnd = 4;

const QColor kMarkerColors[5] = {kEndColor, kFreeEndColor, kBottomColor, kDefectColor,
                                 kDefectColor};

// The first n entries of a buffer, n limited to 0..size.
template <typename T> std::span<const T> FirstN(std::span<const T> buffer, int n)
{
    const auto count = static_cast<std::size_t>(std::clamp<std::int64_t>(n, 0, buffer.size()));
    return buffer.first(count);
}

DrawItem MakePolyline(Role role, DrawPass pass, Pen pen, const std::vector<QPoint>& points)
{
    DrawItem item;
    item.kind = DrawItem::Kind::Polyline;
    item.role = role;
    item.pass = pass;
    item.pen = pen;
    item.points = QPolygon(QList<QPoint>(points.begin(), points.end()));
    return item;
}

DrawItem MakeShape(DrawItem::Kind kind, Role role, EdgeRect rect, QColor brush)
{
    DrawItem item;
    item.kind = kind;
    item.role = role;
    item.pass = DrawPass::Trace;
    item.pen = Pen{Qt::black, 1, PenStyle::Solid};
    item.rect = rect;
    item.brush = brush;
    return item;
}

// Axis line at H - 15, eleven ticks from H - 20 to H - 15 at `tickX[k]`, labels k = 0..9
// at (x_k, H - 14), the unit text at (unitX, H - 14). Labels use the default font on
// the default opaque background.
// The axis under the spectrum, phase and energy curves: a line, eleven ticks, ten labels
// and the unit in place of the last label, 50 px left of the axis' right end `span`.
// Where texts are measured, the unit ends at `span` at the latest, and the last label
// moves left as far as it must to end clear of the unit.
void AppendAxis(DrawList& list, const WaveInput& in, const int (&tickX)[11],
                const QString (&labels)[10], const QString& unit, int span)
{
    const int W = in.width;
    const int H = in.height;
    const Pen black{Qt::black, 1, PenStyle::Solid};
    const FontSpec dcFont{FontKind::DcDefault, 0.0};
    constexpr int kGap = 4;
    int unitX = span - 50;
    int lastLabelX = tickX[9];
    if (in.textWidth) {
        unitX = std::min(unitX, span - in.textWidth(unit, dcFont) - 1);
        lastLabelX = std::min(lastLabelX, unitX - kGap - in.textWidth(labels[9], dcFont));
    }
    list.push_back(MakeLine(Role::Axis, DrawPass::Trace, black, {0, H - 15}, {W, H - 15}));
    for (int k = 0; k <= 10; ++k) {
        list.push_back(MakeLine(Role::Tick, DrawPass::Trace, black, {tickX[k], H - 20},
                                {tickX[k], H - 15}, k));
        if (k < 10)
            list.push_back(MakeTextAt(Role::TickLabel, DrawPass::Trace,
                                      {k == 9 ? lastLabelX : tickX[k], H - 14}, labels[k], dcFont,
                                      TextBackground::OpaqueWhite, Qt::black, k));
        else
            list.push_back(MakeTextAt(Role::TickLabel, DrawPass::Trace, {unitX, H - 14}, unit,
                                      dcFont, TextBackground::OpaqueWhite, Qt::black, k));
    }
}

// Frequency label of a tick: trunc(x / scaleX) * df / 1000, "%0.2f" (kHz).
QString FrequencyLabel(int x, float scaleX, float df)
{
    const int bin = TruncToInt(x / D(scaleX));
    return QString::asprintf("%0.2f", bin * D(df) / 1000.0);
}

// Scale X of phase and energy: 1.0 when W > n, else W / n.
float StretchScale(int W, int n)
{
    return W > n ? 1.0f : static_cast<float>(D(W) / n);
}

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
        // A bottom nobody placed or confirmed is drawn dashed and says where it comes from.
        const bool byDesign = m == kBottom && in.bottomByDesign;
        DrawItem item =
            MakeLine(Role::Marker, DrawPass::Markers,
                     Pen{kMarkerColors[m], 2, byDesign ? PenStyle::Dash : PenStyle::Solid}, {x, 0},
                     {x, H}, m);
        item.raster = RasterMode::NotXorPen;
        list.push_back(item);
        if (byDesign)
            list.push_back(MakeTextAt(Role::DesignBottom, DrawPass::Text, {x + 4, H / 2 + 4},
                                      kByDesignLength,
                                      {FontKind::Song, LegendPointSize(in.screenHeight)},
                                      TextBackground::Transparent, kMarkerColors[m]));
    }
}

void AppendSpectrum(DrawList& list, const WaveInput& in, WaveResult& out)
{
    const int W = in.width;
    const int H = in.height;
    const float df = in.binWidth;
    const SpectrumScale scale = ComputeSpectrumScale(in);
    out.scaleXSet = true;
    out.scaleX = scale.scaleX;

    const auto s = FirstN(in.spectrum, in.sampleCount);
    if (!s.empty()) {
        const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
        const int min = *lo;
        const int range = *hi - *lo;
        if (range != 0) {
            const float scaleY = static_cast<float>(D(H - 20) / range);
            out.scaleYSet = true;
            out.scaleY = scaleY;
            // Draw at most the bins held (the first 1024) and at most the buffer.
            const int bins =
                std::min({scale.count, kSpectrumBinsHeld, static_cast<int>(in.spectrum.size())});
            std::vector<QPoint> points;
            for (int i = 0; i < bins; ++i) {
                const int x = TruncToInt(i * D(scale.scaleX));
                const int y = H - TruncToInt(D(scaleY) * (in.spectrum[i] - min)) - 20;
                points.push_back({x, y});
            }
            if (!points.empty())
                list.push_back(
                    MakePolyline(Role::Curve, DrawPass::Trace, Pen{kCurveColor, 1}, points));
        }
    }

    int tickX[11];
    QString labels[10];
    for (int k = 0; k <= 10; ++k) {
        tickX[k] = k * W / 10;
        if (k < 10)
            labels[k] = FrequencyLabel(tickX[k], scale.scaleX, df);
    }
    AppendAxis(list, in, tickX, labels, QStringLiteral("(kHz)"), W);
    list.push_back(MakeTextAt(Role::AxisLetter, DrawPass::Trace, {10, 10}, QStringLiteral("A"),
                              {FontKind::DcDefault, 0.0}, TextBackground::OpaqueWhite));
}

void AppendPhase(DrawList& list, const WaveInput& in, WaveResult& out)
{
    const int W = in.width;
    const int H = in.height;
    const int n = in.sampleCount;
    const float scaleY = static_cast<float>(D(H - 20) / 360.0);
    const float scaleX = StretchScale(W, n);
    out.scaleXSet = out.scaleYSet = true;
    out.scaleX = scaleX;
    out.scaleY = scaleY;

    const auto p = FirstN(in.phase, n);
    std::vector<QPoint> points;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const int x = TruncToInt(D(i) * scaleX);
        const int y = H - TruncToInt((p[i] + 180) * D(scaleY)) - 20;
        points.push_back({x, y});
    }
    if (!points.empty())
        list.push_back(MakePolyline(Role::Curve, DrawPass::Trace, Pen{kCurveColor, 1}, points));

    const int span = std::max(0, std::min(n, W));
    int tickX[11];
    QString labels[10];
    for (int k = 0; k <= 10; ++k) {
        tickX[k] = k * span / 10;
        if (k < 10)
            labels[k] = FrequencyLabel(tickX[k], scaleX, in.binWidth);
    }
    AppendAxis(list, in, tickX, labels, QStringLiteral("(kHz)"), span);

    const FontSpec dcFont{FontKind::DcDefault, 0.0};
    const int th = in.textHeight;
    list.push_back(MakeTextAt(Role::PhaseLabel, DrawPass::Trace, {5, 0}, QStringLiteral("180°"),
                              dcFont, TextBackground::Transparent, Qt::black, 0));
    list.push_back(MakeTextAt(Role::PhaseLabel, DrawPass::Trace, {5, H - th - 20},
                              QStringLiteral("-180°"), dcFont, TextBackground::Transparent,
                              Qt::black, 1));
    list.push_back(MakeTextAt(Role::PhaseLabel, DrawPass::Trace, {5, (H - 20) / 2 - th},
                              QStringLiteral("0°"), dcFont, TextBackground::Transparent, Qt::black,
                              2));
    list.push_back(MakeLine(Role::ZeroLine, DrawPass::Trace, Pen{Qt::black, 1}, {0, (H - 20) / 2},
                            {W, (H - 20) / 2}));
}

void AppendEnergy(DrawList& list, const WaveInput& in, WaveResult& out)
{
    const int W = in.width;
    const int H = in.height;
    const auto raw = FirstN(in.raw, in.sampleCount);
    const int n = static_cast<int>(std::min(raw.size(), out.energy.size()));
    const std::int64_t dt = in.sampleInterval;
    // 64-bit products: a full-scale sample overflows 32 bits already at dt = 2 µs.
    for (int i = 0; i < n; ++i)
        out.energy[i] = static_cast<std::int64_t>(raw[i]) * raw[i] * dt;

    const float scaleX = StretchScale(W, in.sampleCount);
    out.scaleXSet = true;
    out.scaleX = scaleX;
    if (n > 0) {
        const auto e = out.energy.first(static_cast<std::size_t>(n));
        const auto [lo, hi] = std::minmax_element(e.begin(), e.end());
        const std::int64_t min = *lo;
        if (*hi != *lo) {
            const float scaleY = static_cast<float>(D(H - 20) / D(*hi - *lo));
            out.scaleYSet = true;
            out.scaleY = scaleY;
            std::vector<QPoint> points;
            for (int i = 0; i < n; ++i) {
                const int x = TruncToInt(i * D(scaleX));
                const int y = H - TruncToInt(D(e[i] - min) * scaleY) - 20;
                points.push_back({x, y});
            }
            list.push_back(MakePolyline(Role::Curve, DrawPass::Trace, Pen{kCurveColor, 1}, points));
        }
    }

    const int count = in.sampleCount;
    const int span = std::max(0, std::min(count, W));
    int tickX[11];
    QString labels[10];
    for (int k = 0; k <= 10; ++k) {
        tickX[k] = k * span / 10;
        if (k < 10)
            labels[k] = QString::number(std::int64_t{k} * count / 10 * dt);
    }
    AppendAxis(list, in, tickX, labels, QStringLiteral("(us)"), span);
    list.push_back(MakeTextAt(Role::AxisLetter, DrawPass::Trace, {10, 10}, QStringLiteral("E"),
                              {FontKind::DcDefault, 0.0}, TextBackground::OpaqueWhite));
}

} // namespace

int TruncToInt(float value)
{
    return TruncToInt(static_cast<double>(value));
}

int TruncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0)
        return INT_MAX;
    if (value <= -2147483649.0)
        return INT_MIN;
    return static_cast<int>(value);
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

float MarkerLength(int a, int b, int compress, float f, int sampleIntervalUs, int waveSpeed)
{
    int d = static_cast<int>(static_cast<std::int64_t>(a) - b);
    if (compress && f != 0.0f)
        d = TruncToInt(d / D(f));
    const float seconds = static_cast<float>(D(sampleIntervalUs) / 1000000.0);
    // In double: with float steps 200 samples at 10 µs and 3500 m/s give 3.4999998, not
    // 3.5.
    const float length = static_cast<float>(D(seconds) * d * waveSpeed * 0.5);
    return static_cast<float>(D(length) * f);
}

float TruncToCentimetres(float metres)
{
    // In float, 0.69999999f * 100 rounds up to 70; 0.69 needs the wider product.
    return static_cast<float>(std::trunc(static_cast<double>(metres) * 100.0) / 100.0);
}

double LegendPointSize(int screenHeight)
{
    return screenHeight <= 1050 ? 10.5 : 14.0;
}

double MeasurementPointSize(int screenHeight)
{
    return screenHeight <= 1050 ? 11.0 : 16.0;
}

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

float CompressFactor(const WaveInput& in)
{
    return CompressFactor(in.compress, in.sampleCount, in.sampleInterval, in.width);
}

float MarkerLength(const WaveInput& in, int a, int b)
{
    // A length is a property of the bolt, not of the window: the compressed display's
    // factor depends on the view's width and would make the same markers give other
    // lengths in another window, and a save of an unchanged test other bytes.
    return MarkerLength(a, b, 0, 1.0f, in.sampleInterval, in.waveSpeed);
}

float BottomLength(const WaveInput& in)
{
    return MarkerLength(in, in.markerPos[kBottom], in.markerPos[kEnd]);
}

float FreeEndLength(const WaveInput& in)
{
    return TruncToCentimetres(MarkerLength(in, in.markerPos[kFreeEnd], in.markerPos[kEnd]));
}

SpectrumScale ComputeSpectrumScale(const WaveInput& in)
{
    SpectrumScale scale;
    // df of 0 (no sampling interval) or beyond 20 kHz: no frequency axis, nothing to stretch.
    if (in.binWidth > 0.0f)
        scale.count = std::max(0, TruncToInt(20000.0 / in.binWidth));
    scale.scaleX = scale.count > 0 && in.width > scale.count
                       ? static_cast<float>(D(in.width) / scale.count)
                       : 1.0f;
    return scale;
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
    // Time domain (any other mode identifier is treated as the time domain too).
    const float pos =
        in.sampleCount != 512 ? MarkerLength(in, in.cursor, in.markerPos[kEnd]) : 0.0f;
    float L = in.designLength;
    float Lo = in.designL0;
    if (in.markerSet[kEnd] && in.markerSet[kBottom]) {
        L = BottomLength(in);
        Lo = in.markerSet[kFreeEnd] ? FreeEndLength(in) : in.designL0;
    }
    const float Lr = L - Lo;
    return QString::asprintf("L=%.2fm Lo=%.2fm Lr=%.2fm Pos=%.2fm", static_cast<double>(L),
                             static_cast<double>(Lo), static_cast<double>(Lr),
                             static_cast<double>(pos));
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
            if (in.markerSet[kFreeEnd] && in.markerSet[kEnd] && in.markerSet[kBottom]) {
                out.lengthsCached = true;
                out.measuredL0 = FreeEndLength(in);
                out.measuredLr = BottomLength(in) - out.measuredL0;
            }
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

    // 5. Measurement line.
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
