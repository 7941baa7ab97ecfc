#pragma once

#include "ChannelMarks.h"
#include "DrawList.h"

#include <QColor>
#include <QString>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace rovana::wave {

// What a channel view draws, as plain functions: no widget, no painter. ChannelView gathers
// its state into a WaveInput, BuildDrawList turns it into a DrawList and WavePainter
// paints that. Real values become integers by truncation toward zero; float and double
// steps follow one fixed evaluation order (WaveGeometry.cpp).

// Colours of the channel view.
inline const QColor kSelectedBackground{224, 238, 224};
inline const QColor kUnselectedBackground{205, 205, 193};
inline const QColor kCentreLineColor{185, 237, 185};
inline const QColor kEndColor{255, 0, 0};
inline const QColor kFreeEndColor{128, 124, 124};
inline const QColor kBottomColor{0, 0, 255};
inline const QColor kDefectColor{0, 255, 0};
inline const QColor kGroutColor{202, 202, 202};
inline const QColor kCurveColor{128, 128, 255};
inline const QColor kReferenceColor{170, 170, 170};

// Display modes (the command identifiers of DisplaySettings.h, repeated to keep this
// header free of the main-frame contract).
inline constexpr int kModeTimeDomain = 32795;
inline constexpr int kModeSpectrum = 32794;
inline constexpr int kModePhase = 32847;
inline constexpr int kModeEnergy = 32849;

// The spectrum drawing works on a copy of the first 1024 bins: at most this many bins are
// drawn.
inline constexpr int kSpectrumBinsHeld = 1024;

// Truncation toward zero into int; NaN gives 0 and values beyond the int range are
// limited to it (a plain cast would be undefined there).
int TruncToInt(float value);
int TruncToInt(double value);

// Compression factor f: 1.0 with the switch off or n = 0; otherwise
// ((dt * n / 10240.0) * X) / n rounded to float with X = n when W < n, else W; limited
// to 1.0.
float CompressFactor(int compress, int sampleCount, int sampleIntervalUs, int width);

// Font point sizes by screen height (pixels).
double LegendPointSize(int screenHeight);      // 10.5 up to 1050, else 14
double MeasurementPointSize(int screenHeight); // 11 up to 1050, else 16

struct LegendEntry
{
    QString label;
    QColor color;
    int x = 0;            // label and swatch start
    int swatchLength = 0; // swatch from x to x + swatchLength at y = 30
};
// Legend of the time-domain mode: four entries at W-600.. for W > 500, else the first
// three at 10, 60, 110.
std::vector<LegendEntry> LegendEntries(int width);

// Everything a drawing reads. Spans point into the view's buffers.
struct WaveInput
{
    // Viewport and screen.
    int width = 0;        // W
    int height = 0;       // H
    int scroll = 0;       // s, pixels = samples
    int screenHeight = 0; // for the font sizes
    int textHeight = 16;  // character height of the default font (phase labels)
    // Width in pixels of a text in a font, as the view draws it; without it texts are
    // placed as if they always fit.
    std::function<int(const QString&, const FontSpec&)> textWidth;
    bool selected = false; // this view is the active channel
    bool reportChannel = false; // this view's channel is the one the sheet reports
    bool clipped = false;       // the processing's gain limited samples to the int16 range

    // Main frame.
    int displayMode = kModeTimeDomain;
    int fill = 0;
    int compress = 1;
    float binWidth = 0.0f; // df, Hz

    // Current record.
    int sampleCount = 0;    // n
    int sampleInterval = 0; // dt, µs
    int waveSpeed = 0;      // v, m/s
    float designLength = 0.0f;
    float designL0 = 0.0f;

    // Channel view.
    int cursorShown = 0;
    int cursor = 0;
    int markerSet[5] = {0, 0, 0, 0, 0}; // end, free end, bottom, defect start, defect end
    int markerPos[5] = {0, 0, 0, 0, 0};
    bool bottomByDesign = false;  // the bottom stands where the design-length rule put it
    bool freeEndByDesign = false; // the free end likewise
    int maxAmplitude = 1700;
    int magnify = 0;
    std::span<const std::int16_t> wave;
    std::span<const std::int16_t> spectrum;
    std::span<const std::int32_t> phase;
    std::span<const std::int16_t> raw;
    // The site's reference bolt, sample for sample with `wave`; drawn grey behind the trace
    // in the time domain when not empty.
    std::span<const std::int16_t> reference;
};

// What a drawing leaves behind in the view besides the picture.
struct WaveResult
{
    float compress = 1.0f;  // m_fCompress
    bool scaleXSet = false; // m_fScaleX of this drawing (spectrum, phase, energy)
    float scaleX = 1.0f;
    bool scaleYSet = false; // m_fScaleY; not set when the scale is undefined (flat data)
    float scaleY = 1.0f;
    std::span<std::int64_t> energy; // destination of E_i (energy mode), set by the caller
    QString measurement;
};

// Beside a bottom or free-end marker placed by the design-length rule.
inline const QString kByDesignLength = QStringLiteral("按设计长度");

// Lengths between the markers of a state, by the length rule (Lengths.h).
float CompressFactor(const WaveInput& in);
float MarkerLength(const WaveInput& in, int a, int b);
float BottomLength(const WaveInput& in);  // MarkerLength(bottom, end)
float FreeEndLength(const WaveInput& in); // MarkerLength(free end, end) to centimetres
// The state's markers as the test being edited holds them (no grade).
ChannelMarks MarksOf(const WaveInput& in);

// The measurement line of the display mode: "L=%.2fm Lo=%.2fm Lr=%.2fm Pos=%.2fm",
// "FMAX:%.2f", or empty (phase, energy).
QString MeasurementText(const WaveInput& in);

// Time-domain trace points (without the compressed tail).
struct TracePoints
{
    std::vector<QPoint> points;
    float compress = 1.0f;
};
TracePoints ComputeTrace(const WaveInput& in);

// Spectrum scale: count = trunc(20000 / df) (0 without a usable df), scale X.
struct SpectrumScale
{
    int count = 0;
    float scaleX = 1.0f;
};
SpectrumScale ComputeSpectrumScale(const WaveInput& in);

// The whole picture of OnDraw, background first, then legend, centre line, trace or
// curve, cursor and measurement line.
DrawList BuildDrawList(const WaveInput& in, WaveResult& out);

} // namespace rovana::wave
