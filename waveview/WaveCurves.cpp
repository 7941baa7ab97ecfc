// The spectrum, phase and energy pictures of a channel view: a curve over an axis.
#include "WaveParts.h"

#include <climits>
#include <cmath>

namespace rovana::wave {

using namespace detail;

namespace {

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

} // namespace

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

namespace detail {

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

} // namespace detail

} // namespace rovana::wave
