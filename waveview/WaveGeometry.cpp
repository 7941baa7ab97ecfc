#include "WaveGeometry.h"

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
