// Known numbers of the channel view's plain drawing computations.
#include "Lengths.h"
#include "WaveGeometry.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace rovana::wave {
namespace {

// A state with room in every buffer; tests set what they need.
struct State
{
    State()
    {
        in.width = 1000;
        in.height = 300;
        in.screenHeight = 1024;
        in.textHeight = 16;
        in.compress = 0;
        in.sampleInterval = 10;
        in.waveSpeed = 3500;
        Bind();
    }
    // Copies point into their own buffers.
    State(const State& other)
        : wave(other.wave), spectrum(other.spectrum), phase(other.phase), raw(other.raw),
          energy(other.energy), in(other.in), out(other.out)
    {
        Bind();
    }
    State& operator=(const State& other)
    {
        wave = other.wave;
        spectrum = other.spectrum;
        phase = other.phase;
        raw = other.raw;
        energy = other.energy;
        in = other.in;
        out = other.out;
        Bind();
        return *this;
    }
    void Bind()
    {
        in.wave = wave;
        in.spectrum = spectrum;
        in.phase = phase;
        in.raw = raw;
        out.energy = energy;
    }
    DrawList Draw() { return BuildDrawList(in, out); }

    std::array<std::int16_t, 10240> wave{};
    std::array<std::int16_t, 2048> spectrum{};
    std::array<std::int32_t, 2048> phase{};
    std::array<std::int16_t, 2048> raw{};
    std::array<std::int64_t, 2048> energy{};
    WaveInput in;
    WaveResult out;
};

std::vector<DrawItem> Items(const DrawList& list, Role role)
{
    std::vector<DrawItem> found;
    for (const DrawItem& item : list)
        if (item.role == role)
            found.push_back(item);
    return found;
}

const DrawItem* Item(const DrawList& list, Role role, int tag = 0)
{
    for (const DrawItem& item : list)
        if (item.role == role && item.tag == tag)
            return &item;
    return nullptr;
}

// ---- Compression factor -------------------------------------------------------------

TEST(CompressFactor, FiveMicrosecondsOnAThousandPixels)
{
    // dt = 5 µs, W = 1000 >= n: f = 5 * 1000 / 10240 = 0.48828125.
    EXPECT_FLOAT_EQ(CompressFactor(1, 1000, 5, 1000), 0.48828125f);
    EXPECT_NEAR(CompressFactor(1, 512, 5, 1000), 0.488, 0.0005);
    // W < n: X = n, so 1024 samples at 5 µs give exactly one half.
    EXPECT_FLOAT_EQ(CompressFactor(1, 1024, 5, 1000), 0.5f);
    // Interval 2 µs and a width of 1024 give 0.2.
    EXPECT_FLOAT_EQ(CompressFactor(1, 1024, 2, 1024), 0.2f);
}

TEST(CompressFactor, NeverMoreThanOnePixelPerSample)
{
    EXPECT_EQ(CompressFactor(1, 1024, 10, 1024), 1.0f); // dt * X = 10240 exactly
    EXPECT_EQ(CompressFactor(1, 1024, 10, 1200), 1.0f); // dt * X > 10240
    EXPECT_EQ(CompressFactor(1, 2048, 20, 500), 1.0f);
}

TEST(CompressFactor, OneWithoutSamplesOrWithTheSwitchOff)
{
    EXPECT_EQ(CompressFactor(1, 0, 5, 1000), 1.0f);
    EXPECT_EQ(CompressFactor(0, 1000, 5, 1000), 1.0f);
    EXPECT_EQ(CompressFactor(0, 1024, 2, 300), 1.0f);
}

// ---- Lengths ------------------------------------------------------------------------

TEST(Lengths, BottomAndFreeEndKnownAnswers)
{
    // dt 10 µs, v 3500 m/s, compression off, end at 20.
    State s;
    s.in.markerPos[0] = 20;
    s.in.markerPos[2] = 220;
    s.in.markerPos[1] = 60;
    EXPECT_EQ(BottomLength(s.in), 3.5f); // exactly; float steps would give 3.4999998
    const float rawFreeEnd = MarkerLength(s.in, 60, 20);
    EXPECT_EQ(rawFreeEnd, 0.7f);           // the float next to 0.7 ...
    EXPECT_LT(double{rawFreeEnd}, 0.7);    // ... is 0.69999999
    EXPECT_EQ(rawFreeEnd * 100.0f, 70.0f); // a float product would round up...
    EXPECT_EQ(FreeEndLength(s.in), 0.69f); // ...the length is cut to 0.69
    EXPECT_EQ(TruncToCentimetres(0.69999999f), 0.69f);
    EXPECT_EQ(TruncToCentimetres(-0.6999f), -0.69f); // toward zero
}

TEST(Lengths, MeasurementLineWithEndBottomAndFreeEnd)
{
    State s;
    s.in.sampleCount = 1024;
    s.in.markerSet[0] = s.in.markerSet[1] = s.in.markerSet[2] = 1;
    s.in.markerPos[0] = 20;
    s.in.markerPos[1] = 60;
    s.in.markerPos[2] = 220;
    s.in.cursor = 120; // 100 samples after the end: 1.75 m
    EXPECT_EQ(MeasurementText(s.in), "L=3.50m Lo=0.69m Lr=2.81m Pos=1.75m");
    s.Draw();
    EXPECT_EQ(s.out.measurement, "L=3.50m Lo=0.69m Lr=2.81m Pos=1.75m");
}

TEST(Lengths, PositionIsZeroForRecordsOf512Samples)
{
    State s;
    s.in.sampleCount = 512;
    s.in.cursor = 300;
    s.in.markerPos[0] = 20;
    EXPECT_TRUE(MeasurementText(s.in).endsWith("Pos=0.00m"));
    s.in.sampleCount = 513;
    EXPECT_FALSE(MeasurementText(s.in).endsWith("Pos=0.00m"));
}

TEST(Lengths, TheLineShowsOnlyWhatIsMarkedNeverTheDesignAsMeasured)
{
    State s;
    s.in.sampleCount = 1024;
    s.in.designLength = 3.5f;
    s.in.designL0 = 0.5f;
    EXPECT_EQ(MeasurementText(s.in), "L=— Lo=— Lr=— Pos=0.00m");
    s.in.markerSet[0] = 1; // end and the engineer's free end
    s.in.markerSet[1] = 1;
    s.in.markerPos[1] = 60;
    s.in.markerPos[2] = 220;
    EXPECT_EQ(MeasurementText(s.in), "L=— Lo=1.04m Lr=— Pos=0.00m"); // end at 0
    s.in.markerSet[0] = 0; // free end and bottom without an end
    s.in.markerSet[2] = 1;
    EXPECT_EQ(MeasurementText(s.in), "L=— Lo=— Lr=— Pos=0.00m");
    // End and bottom without free end: L, and Lr the whole of it.
    s.in.markerSet[0] = 1;
    s.in.markerSet[1] = 0;
    s.in.markerPos[0] = 20;
    s.in.designLength = 9.0f;
    EXPECT_EQ(MeasurementText(s.in), "L=3.50m Lo=— Lr=3.50m Pos=-0.35m");
    // Placed by the design rule: said so.
    s.in.markerSet[1] = 1;
    s.in.bottomByDesign = s.in.freeEndByDesign = true;
    EXPECT_EQ(MeasurementText(s.in), "L=3.50m(设计) Lo=0.69m(设计) Lr=2.81m(设计) Pos=-0.35m");
}

// ---- Time-domain trace -----------------------------------------------------------------

TEST(Trace, AmplitudeMapsToTheHeight)
{
    // H = 300, A = 1700, no growing gain: 850 -> 75, 0 -> 150, -1700 -> 300, 1700 -> 0.
    State s;
    s.in.sampleCount = 4;
    s.wave[0] = 850;
    s.wave[1] = 0;
    s.wave[2] = -1700;
    s.wave[3] = 1700;
    const TracePoints trace = ComputeTrace(s.in);
    ASSERT_EQ(trace.points.size(), 4u);
    EXPECT_EQ(trace.points[0], QPoint(0, 75));
    EXPECT_EQ(trace.points[1], QPoint(1, 150));
    EXPECT_EQ(trace.points[2], QPoint(2, 300));
    EXPECT_EQ(trace.points[3], QPoint(3, 0));
}

TEST(Trace, WithoutCompressionOneSamplePerPixelFromTheScrollPosition)
{
    State s;
    s.in.sampleCount = 2048;
    s.in.scroll = 100;
    s.wave[100] = 850;
    s.wave[2047] = -1700;
    const TracePoints trace = ComputeTrace(s.in);
    ASSERT_EQ(trace.points.size(), 2048u); // n points, the view scrolls
    EXPECT_EQ(trace.points[0], QPoint(0, 75));
    EXPECT_EQ(trace.points[1947], QPoint(1947, 300));
    s.in.scroll = 10000; // beyond the buffer: 0
    EXPECT_EQ(ComputeTrace(s.in).points[300], QPoint(300, 150));
}

TEST(Trace, CompressedTraceEndsOnTheCentreLine)
{
    State s;
    s.in.compress = 1;
    s.in.sampleInterval = 5;
    s.in.sampleCount = 800; // W = 1000 >= n: f = 0.48828125, count = max(W, n) = 1000
    s.wave[500] = 850;
    const DrawList list = s.Draw();
    const auto traces = Items(list, Role::Trace);
    ASSERT_EQ(traces.size(), 1u);
    const QPolygon& p = traces[0].points;
    ASSERT_EQ(p.size(), 1000 + 2);
    EXPECT_EQ(p[500], QPoint(244, 75));    // trunc(500 * 0.48828125) = 244
    EXPECT_EQ(p[1000], QPoint(488, 150));  // trunc(1000 * f), H/2
    EXPECT_EQ(p[1001], QPoint(1000, 150)); // W, H/2
    EXPECT_EQ(s.out.compress, 0.48828125f);
}

TEST(Trace, NoRecordIsAFlatLineUnderCompressionAndNothingWithout)
{
    State s;
    s.in.compress = 1;
    s.in.sampleCount = 0;
    const TracePoints trace = ComputeTrace(s.in);
    ASSERT_EQ(trace.points.size(), 1000u);
    for (const QPoint& p : trace.points)
        ASSERT_EQ(p.y(), 150);
    s.in.compress = 0;
    EXPECT_TRUE(ComputeTrace(s.in).points.empty());
    EXPECT_TRUE(Items(s.Draw(), Role::Trace).empty());
}

TEST(Trace, GrowingGain)
{
    // A = 1000, H = 2000: sy = 1, so y = A - v * g before truncation.
    State s;
    s.in.height = 2000;
    s.in.maxAmplitude = 1000;
    s.in.sampleCount = 4;
    s.wave = {};
    for (int i = 0; i < 4; ++i)
        s.wave[i] = 10;
    s.in.magnify = 0; // raw amplitudes
    const auto off = ComputeTrace(s.in).points;
    for (const QPoint& p : off)
        EXPECT_EQ(p.y(), 990);
    s.in.magnify = 1; // the same picture through the gain path
    EXPECT_EQ(ComputeTrace(s.in).points, off);
    s.in.magnify = 40;
    const auto gain = ComputeTrace(s.in).points;
    EXPECT_EQ(gain[3].y(), 600); // the last point times 40
    const float g0 = std::pow(40.0f, 0.25f);
    EXPECT_EQ(gain[0].y(), static_cast<int>(1000.0f - 10.0f * g0)); // 40^(1/4)
    EXPECT_LT(gain[0].y(), 990);
    EXPECT_GT(gain[0].y(), gain[1].y());
}

TEST(Trace, FillStrokesRiseFromTheCentreToPointsAboveIt)
{
    State s;
    s.in.sampleCount = 5;
    s.in.fill = 1;
    s.wave[0] = 850;  // i = 0 never filled
    s.wave[1] = 850;  // above: filled
    s.wave[2] = -850; // below: not filled
    s.wave[3] = 0;    // on the centre line: not filled
    s.wave[4] = 1700;
    const auto strokes = Items(s.Draw(), Role::FillStroke);
    ASSERT_EQ(strokes.size(), 2u);
    EXPECT_EQ(strokes[0].points, QPolygon({QPoint(1, 150), QPoint(1, 75)}));
    EXPECT_EQ(strokes[1].points, QPolygon({QPoint(4, 150), QPoint(4, 0)}));
    s.in.fill = 0;
    EXPECT_TRUE(Items(s.Draw(), Role::FillStroke).empty());
}

TEST(Trace, NothingWhileTheMaximumAmplitudeIsNotPositive)
{
    State s;
    s.in.sampleCount = 100;
    s.in.maxAmplitude = 0;
    s.in.markerSet[0] = 1;
    s.in.cursorShown = 1;
    const DrawList list = s.Draw();
    EXPECT_TRUE(Items(list, Role::Trace).empty());
    EXPECT_TRUE(Items(list, Role::Marker).empty());
    EXPECT_EQ(Items(list, Role::Cursor).size(), 1u);
    EXPECT_EQ(Items(list, Role::Measurement).size(), 1u);
    EXPECT_EQ(Items(list, Role::CentreLine).size(), 1u);
}

// ---- Legend, centre line, background, fonts ------------------------------------------

TEST(Legend, FourEntriesOnWideViews)
{
    const auto e = LegendEntries(1000);
    ASSERT_EQ(e.size(), 4u);
    const QString labels[4] = {"端部", "外露", "底部", "缺陷"};
    const QColor colors[4] = {QColor(255, 0, 0), QColor(128, 124, 124), QColor(0, 0, 255),
                              QColor(0, 255, 0)};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(e[i].label, labels[i]);
        EXPECT_EQ(e[i].color, colors[i]);
        EXPECT_EQ(e[i].x, 400 + 40 * i);
        EXPECT_EQ(e[i].swatchLength, 30);
    }
    EXPECT_EQ(LegendEntries(501).size(), 4u);
    EXPECT_EQ(LegendEntries(501)[0].x, -99);
}

TEST(Legend, ThreeEntriesAtTheLeftOfNarrowViews)
{
    const auto e = LegendEntries(500);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].x, 10);
    EXPECT_EQ(e[1].x, 60);
    EXPECT_EQ(e[2].x, 110);
    for (const auto& entry : e)
        EXPECT_EQ(entry.swatchLength, 40);
    EXPECT_EQ(e[2].label, "底部");
}

TEST(Legend, LabelsAtTenSwatchesAtThirtyOnlyInTimeDomain)
{
    State s;
    s.in.width = 400;
    DrawList list = s.Draw();
    const auto labels = Items(list, Role::LegendLabel);
    const auto swatches = Items(list, Role::LegendSwatch);
    ASSERT_EQ(labels.size(), 3u);
    ASSERT_EQ(swatches.size(), 3u);
    EXPECT_EQ(labels[1].at, QPoint(60, 10));
    EXPECT_EQ(labels[1].textColor, QColor(128, 124, 124));
    EXPECT_EQ(labels[1].background, TextBackground::Transparent);
    EXPECT_EQ(labels[1].font, (FontSpec{FontKind::Song, 10.5}));
    EXPECT_EQ(swatches[1].points, QPolygon({QPoint(60, 30), QPoint(100, 30)}));
    EXPECT_EQ(swatches[1].pen, (Pen{QColor(128, 124, 124), 1, PenStyle::Solid}));
    s.in.displayMode = kModeSpectrum;
    EXPECT_TRUE(Items(s.Draw(), Role::LegendLabel).empty());
}

TEST(Fonts, PointSizesByScreenHeight)
{
    EXPECT_EQ(LegendPointSize(1050), 10.5);
    EXPECT_EQ(LegendPointSize(1051), 14.0);
    EXPECT_EQ(MeasurementPointSize(1050), 11.0);
    EXPECT_EQ(MeasurementPointSize(1200), 16.0);
    State s;
    s.in.screenHeight = 1080;
    const DrawList list = s.Draw();
    EXPECT_EQ(Items(list, Role::LegendLabel)[0].font.pointSize, 14.0);
    EXPECT_EQ(Items(list, Role::Measurement)[0].font, (FontSpec{FontKind::Song, 16.0}));
}

TEST(Frame, CentreLineInEveryModeAndBackgroundBySelection)
{
    for (int mode : {kModeTimeDomain, kModeSpectrum, kModePhase, kModeEnergy}) {
        State s;
        s.in.displayMode = mode;
        s.in.selected = mode == kModePhase;
        const DrawList list = s.Draw();
        ASSERT_FALSE(list.empty());
        EXPECT_EQ(list[0].role, Role::Background);
        EXPECT_EQ(list[0].rect, (EdgeRect{0, 0, 1000, 300}));
        EXPECT_EQ(list[0].brush, s.in.selected ? QColor(224, 238, 224) : QColor(205, 205, 193));
        const auto centre = Items(list, Role::CentreLine);
        ASSERT_EQ(centre.size(), 1u);
        EXPECT_EQ(centre[0].points, QPolygon({QPoint(0, 150), QPoint(1000, 150)}));
        EXPECT_EQ(centre[0].pen, (Pen{QColor(185, 237, 185), 1, PenStyle::Dot}));
        const auto text = Items(list, Role::Measurement);
        ASSERT_EQ(text.size(), 1u);
        EXPECT_EQ(text[0].rect, (EdgeRect{650, 10, 1000, 300}));
        EXPECT_EQ(text[0].kind, DrawItem::Kind::TextInRect);
        if (mode == kModePhase || mode == kModeEnergy) {
            EXPECT_TRUE(text[0].text.isEmpty());
        }
    }
}

TEST(Frame, PassesComeInOrder)
{
    State s;
    s.in.sampleCount = 100;
    s.in.markerSet[0] = 1;
    s.in.cursorShown = 1;
    const DrawList list = s.Draw();
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_LE(static_cast<int>(list[i - 1].pass), static_cast<int>(list[i].pass)) << i;
    EXPECT_EQ(list.back().role, Role::Measurement);
}

// ---- Sketch, markers, cursor ---------------------------------------------------------

TEST(Sketch, BandBarAndEllipse)
{
    State s;
    s.in.sampleCount = 1024;
    s.in.height = 400;
    for (int m = 0; m < 5; ++m)
        s.in.markerSet[m] = 1;
    s.in.markerPos[0] = 20;  // end
    s.in.markerPos[1] = 60;  // free end
    s.in.markerPos[2] = 220; // bottom
    s.in.markerPos[3] = 100; // defect start
    s.in.markerPos[4] = 140; // defect end
    const DrawList list = s.Draw();
    const DrawItem* band = Item(list, Role::GroutBand);
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->kind, DrawItem::Kind::Rectangle);
    EXPECT_EQ(band->rect, (EdgeRect{60, 360, 220, 400}));
    EXPECT_EQ(band->brush, QColor(202, 202, 202));
    EXPECT_EQ(band->pen.color, QColor(Qt::black));
    const DrawItem* bar = Item(list, Role::BoltBar);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->rect, (EdgeRect{20, 400 - 30, 220, 400 - 10}));
    EXPECT_EQ(bar->brush, QColor(Qt::black));
    const DrawItem* defect = Item(list, Role::DefectEllipse);
    ASSERT_NE(defect, nullptr);
    EXPECT_EQ(defect->kind, DrawItem::Kind::Ellipse);
    EXPECT_EQ(defect->rect, (EdgeRect{100, 360, 140, 400}));
    EXPECT_FALSE(defect->brush.isValid()); // hollow after the band

    // H = 300: trunc(3H / 40) = 22, H / 40 = 7.
    s.in.height = 300;
    EXPECT_EQ(Item(s.Draw(), Role::BoltBar)->rect, (EdgeRect{20, 278, 220, 293}));

    // Without the band: no bar, and the ellipse takes the default white brush.
    s.in.markerSet[1] = 0;
    const DrawList alone = s.Draw();
    EXPECT_EQ(Item(alone, Role::GroutBand), nullptr);
    EXPECT_EQ(Item(alone, Role::BoltBar), nullptr);
    EXPECT_EQ(Item(alone, Role::DefectEllipse)->brush, QColor(Qt::white));
    // One defect marker is not enough.
    s.in.markerSet[4] = 0;
    EXPECT_EQ(Item(s.Draw(), Role::DefectEllipse), nullptr);
}

TEST(Markers, ColoursWidthsAndXorInOrder)
{
    State s;
    s.in.sampleCount = 1024;
    const int positions[5] = {20, 60, 220, 100, 140};
    for (int m = 0; m < 5; ++m) {
        s.in.markerSet[m] = 1;
        s.in.markerPos[m] = positions[m];
    }
    const auto markers = Items(s.Draw(), Role::Marker);
    ASSERT_EQ(markers.size(), 5u);
    const QColor colors[5] = {QColor(255, 0, 0), QColor(128, 124, 124), QColor(0, 0, 255),
                              QColor(0, 255, 0), QColor(0, 255, 0)};
    for (int m = 0; m < 5; ++m) {
        EXPECT_EQ(markers[m].tag, m);
        EXPECT_EQ(markers[m].pen, (Pen{colors[m], 2, PenStyle::Solid}));
        EXPECT_EQ(markers[m].raster, RasterMode::NotXorPen);
        EXPECT_EQ(markers[m].pass, DrawPass::Markers);
        EXPECT_EQ(markers[m].points,
                  QPolygon({QPoint(positions[m], 0), QPoint(positions[m], 300)}));
    }
}

TEST(Markers, CompressedPositions)
{
    State s;
    s.in.compress = 1;
    s.in.sampleInterval = 5;
    s.in.sampleCount = 1000; // f = 0.48828125
    s.in.markerSet[2] = 1;
    s.in.markerPos[2] = 333; // 162.597... -> 162
    s.in.cursorShown = 1;
    s.in.cursor = 333;
    const DrawList list = s.Draw();
    EXPECT_EQ(Items(list, Role::Marker)[0].points[0].x(), 162);
    EXPECT_EQ(Items(list, Role::Cursor)[0].points[0].x(), 162);
}

TEST(Markers, ScrollShiftsMarkersAndSketchButNotTheCursor)
{
    State s;
    s.in.sampleCount = 2048;
    s.in.markerSet[0] = s.in.markerSet[1] = s.in.markerSet[2] = 1;
    s.in.markerPos[0] = 300;
    s.in.markerPos[1] = 400;
    s.in.markerPos[2] = 900;
    s.in.cursorShown = 1;
    s.in.cursor = 150;
    s.in.scroll = 100;
    const DrawList list = s.Draw();
    const auto markers = Items(list, Role::Marker);
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[0].points[0].x(), 200);
    EXPECT_EQ(markers[1].points[0].x(), 300);
    EXPECT_EQ(markers[2].points[0].x(), 800);
    EXPECT_EQ(Item(list, Role::GroutBand)->rect.left, 300);
    EXPECT_EQ(Item(list, Role::GroutBand)->rect.right, 800);
    EXPECT_EQ(Item(list, Role::BoltBar)->rect.left, 200);
    const auto cursor = Items(list, Role::Cursor);
    ASSERT_EQ(cursor.size(), 1u);
    EXPECT_EQ(cursor[0].points, QPolygon({QPoint(150, 0), QPoint(150, 300)}));
    EXPECT_EQ(cursor[0].pen, (Pen{QColor(Qt::black), 1, PenStyle::Solid}));
    EXPECT_EQ(cursor[0].raster, RasterMode::NotXorPen);
}

TEST(Markers, CursorInEveryMode)
{
    for (int mode : {kModeSpectrum, kModePhase, kModeEnergy}) {
        State s;
        s.in.displayMode = mode;
        s.in.cursorShown = 1;
        s.in.cursor = 42;
        const auto cursor = Items(s.Draw(), Role::Cursor);
        ASSERT_EQ(cursor.size(), 1u);
        EXPECT_EQ(cursor[0].points[0].x(), 42);
    }
}

// ---- Spectrum ------------------------------------------------------------------------

State SpectrumState()
{
    State s;
    s.in.displayMode = kModeSpectrum;
    s.in.width = 816;
    s.in.height = 300;
    s.in.binWidth = 97.65625f;
    s.in.sampleCount = 1024;
    for (int i = 0; i < 1024; ++i)
        s.spectrum[i] = static_cast<std::int16_t>(-16383 + i);
    s.spectrum[40] = 16384; // the peak
    return s;
}

TEST(Spectrum, ScaleTicksAndPeakKnownAnswers)
{
    State s = SpectrumState();
    const SpectrumScale scale = ComputeSpectrumScale(s.in);
    EXPECT_EQ(scale.count, 204);
    EXPECT_EQ(scale.scaleX, 4.0f);
    const DrawList list = s.Draw();
    EXPECT_EQ(s.out.scaleX, 4.0f);
    const DrawItem* tick5 = Item(list, Role::Tick, 5);
    ASSERT_NE(tick5, nullptr);
    EXPECT_EQ(tick5->points, QPolygon({QPoint(408, 280), QPoint(408, 285)}));
    const DrawItem* label5 = Item(list, Role::TickLabel, 5);
    ASSERT_NE(label5, nullptr);
    EXPECT_EQ(label5->text, "9.96");
    EXPECT_EQ(label5->at, QPoint(408, 286));
    EXPECT_EQ(label5->background, TextBackground::OpaqueWhite);
    EXPECT_EQ(label5->font.face, FontKind::DcDefault);
    EXPECT_EQ(Item(list, Role::TickLabel, 0)->text, "0.00");
    const DrawItem* unit = Item(list, Role::TickLabel, 10);
    EXPECT_EQ(unit->text, "(kHz)");
    EXPECT_EQ(unit->at, QPoint(766, 286));
    EXPECT_EQ(Item(list, Role::Axis)->points, QPolygon({QPoint(0, 285), QPoint(816, 285)}));
    EXPECT_EQ(Item(list, Role::AxisLetter)->text, "A");
    EXPECT_EQ(Item(list, Role::AxisLetter)->at, QPoint(10, 10));
    EXPECT_EQ(Items(list, Role::Tick).size(), 11u);
    EXPECT_EQ(s.out.measurement, "FMAX:3.91");
    EXPECT_EQ(MeasurementText(s.in), "FMAX:3.91");
}

// With texts measured (here 9 px per character at any size), the unit ends at the axis'
// right end, the last label ends clear of it, and the measurement line is read whole.
TEST(Spectrum, TextsFitWhenMeasured)
{
    State s = SpectrumState();
    s.in.textWidth = [](const QString& text, const FontSpec&) {
        return static_cast<int>(text.size()) * 9;
    };
    const DrawList list = s.Draw();
    const DrawItem* unit = Item(list, Role::TickLabel, 10);
    EXPECT_EQ(unit->at, QPoint(766, 286)); // 50 px left of the end: it fits there
    EXPECT_LE(unit->at.x() + 45, 816);
    const DrawItem* last = Item(list, Role::TickLabel, 9);
    EXPECT_LE(last->at.x() + 9 * last->text.size() + 4, unit->at.x());
    EXPECT_EQ(Item(list, Role::TickLabel, 8)->at.x(), Item(list, Role::Tick, 8)->points[0].x());

    s.in.displayMode = kModeTimeDomain;
    s.in.textWidth = [](const QString& text, const FontSpec&) {
        return static_cast<int>(text.size()) * 12;
    };
    s.in.markerSet[0] = s.in.markerSet[1] = s.in.markerSet[2] = 1; // a long line
    s.in.markerPos[1] = 40;
    s.in.markerPos[2] = 200;
    const DrawList timeList = s.Draw();
    const DrawItem* line = Item(timeList, Role::Measurement);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->rect.right - line->rect.left, 12 * line->text.size() + 4);
    EXPECT_GT(12 * line->text.size(), 350); // it would not fit into the 350 px it had
}

TEST(Spectrum, CurveVertices)
{
    State s = SpectrumState();
    const DrawList list = s.Draw();
    const auto curve = Items(list, Role::Curve);
    ASSERT_EQ(curve.size(), 1u);
    ASSERT_EQ(curve[0].points.size(), 204);
    EXPECT_EQ(curve[0].pen, (Pen{QColor(128, 128, 255), 1, PenStyle::Solid}));
    // min = -16383 at bin 0, max = 16384 at bin 40: scaleY = 280 / 32767.
    EXPECT_EQ(curve[0].points[0], QPoint(0, 280));
    const float scaleY = 280.0f / 32767.0f;
    EXPECT_EQ(s.out.scaleY, scaleY);
    // The float scale times the range in double is 279.99999...: the peak lands at y = 1.
    EXPECT_EQ(curve[0].points[40], QPoint(160, 1));
    EXPECT_EQ(curve[0].points[100], QPoint(400, 300 - static_cast<int>(double{scaleY} * 100) - 20));
}

TEST(Spectrum, OnePixelPerBinWhenTheBinsFillTheWidth)
{
    State s = SpectrumState();
    s.in.width = 150; // count 204 >= W: scale 1, bins beyond the edge are clipped by painting
    const DrawList list = s.Draw();
    EXPECT_EQ(s.out.scaleX, 1.0f);
    const auto curve = Items(list, Role::Curve);
    ASSERT_EQ(curve[0].points.size(), 204);
    EXPECT_EQ(curve[0].points[180].x(), 180);
    s.in.width = 204; // count == W
    EXPECT_EQ(ComputeSpectrumScale(s.in).scaleX, 1.0f);
    // Peak at bin 40 with W = 150: trunc(150 * 40 / 204) / 1 = 29 bins -> 2.83 kHz.
    s.in.width = 150;
    EXPECT_EQ(MeasurementText(s.in), "FMAX:2.83");
}

TEST(Spectrum, AtMostTheBinsHeld)
{
    State s = SpectrumState();
    s.in.binWidth = 9.765625f; // count = 2048, beyond the 1024 bins the drawing holds
    s.in.sampleCount = 2048;
    s.spectrum[2000] = 100;
    const auto curve = Items(s.Draw(), Role::Curve);
    ASSERT_EQ(curve.size(), 1u);
    EXPECT_EQ(curve[0].points.size(), 1024);
}

TEST(Spectrum, FlatDataOrNoBinWidthDrawNoCurve)
{
    State s = SpectrumState();
    s.spectrum.fill(5);
    DrawList list = s.Draw();
    EXPECT_TRUE(Items(list, Role::Curve).empty());
    EXPECT_FALSE(s.out.scaleYSet);
    EXPECT_EQ(Items(list, Role::Tick).size(), 11u); // the axis stays
    s = SpectrumState();
    s.in.binWidth = 0.0f;
    list = s.Draw();
    EXPECT_TRUE(Items(list, Role::Curve).empty());
    EXPECT_EQ(s.out.measurement, "FMAX:0.00");
    EXPECT_EQ(Item(list, Role::TickLabel, 5)->text, "0.00");
    s.in.sampleCount = 0; // nothing loaded
    list = s.Draw();
    EXPECT_TRUE(Items(list, Role::Curve).empty());
}

// ---- Phase ---------------------------------------------------------------------------

TEST(Phase, VerticesAxisAndLabels)
{
    State s;
    s.in.displayMode = kModePhase;
    s.in.width = 1000;
    s.in.height = 380; // scaleY = 360 / 360 = 1
    s.in.sampleCount = 512;
    s.in.binWidth = 195.3125f;
    s.in.textHeight = 16;
    s.phase[0] = -180;
    s.phase[1] = 0;
    s.phase[2] = 90;
    s.phase[3] = 180;
    const DrawList list = s.Draw();
    EXPECT_EQ(s.out.scaleX, 1.0f); // W > n
    EXPECT_EQ(s.out.scaleY, 1.0f);
    const auto curve = Items(list, Role::Curve);
    ASSERT_EQ(curve.size(), 1u);
    ASSERT_EQ(curve[0].points.size(), 512);
    EXPECT_EQ(curve[0].points[0], QPoint(0, 360));
    EXPECT_EQ(curve[0].points[1], QPoint(1, 180));
    EXPECT_EQ(curve[0].points[2], QPoint(2, 90));
    EXPECT_EQ(curve[0].points[3], QPoint(3, 0));
    // span = min(n, W) = 512; ticks at k * 512 / 10.
    EXPECT_EQ(Item(list, Role::Tick, 5)->points[0], QPoint(256, 360));
    EXPECT_EQ(Item(list, Role::TickLabel, 5)->text, "50.00"); // 256 bins * 195.3125 Hz
    EXPECT_EQ(Item(list, Role::TickLabel, 10)->text, "(kHz)");
    EXPECT_EQ(Item(list, Role::TickLabel, 10)->at, QPoint(462, 366));
    EXPECT_EQ(Item(list, Role::Axis)->points, QPolygon({QPoint(0, 365), QPoint(1000, 365)}));
    EXPECT_EQ(Item(list, Role::PhaseLabel, 0)->text, "180°");
    EXPECT_EQ(Item(list, Role::PhaseLabel, 0)->at, QPoint(5, 0));
    EXPECT_EQ(Item(list, Role::PhaseLabel, 1)->text, "-180°");
    EXPECT_EQ(Item(list, Role::PhaseLabel, 1)->at, QPoint(5, 380 - 16 - 20));
    EXPECT_EQ(Item(list, Role::PhaseLabel, 2)->text, "0°");
    EXPECT_EQ(Item(list, Role::PhaseLabel, 2)->at, QPoint(5, 180 - 16));
    EXPECT_EQ(Item(list, Role::PhaseLabel, 2)->background, TextBackground::Transparent);
    EXPECT_EQ(Item(list, Role::ZeroLine)->points, QPolygon({QPoint(0, 180), QPoint(1000, 180)}));
    EXPECT_EQ(s.out.measurement, "");
}

TEST(Phase, SqueezedWhenNarrowerThanTheRecord)
{
    State s;
    s.in.displayMode = kModePhase;
    s.in.width = 512;
    s.in.sampleCount = 1024;
    s.in.binWidth = 97.65625f;
    const DrawList list = s.Draw();
    EXPECT_EQ(s.out.scaleX, 0.5f);
    EXPECT_EQ(Items(list, Role::Curve)[0].points[101].x(), 50);
    // span = 512; tick 5 at 256 stands for bin 512.
    EXPECT_EQ(Item(list, Role::TickLabel, 5)->text, "50.00");
}

// ---- Energy --------------------------------------------------------------------------

TEST(Energy, SixtyFourBitProductsAndAxis)
{
    State s;
    s.in.displayMode = kModeEnergy;
    s.in.width = 1000;
    s.in.height = 300;
    s.in.sampleCount = 100;
    s.in.sampleInterval = 2;
    s.raw[0] = 0;
    s.raw[1] = -32768; // 2^31 at 2 µs: beyond 32 bits
    s.raw[2] = 100;
    const DrawList list = s.Draw();
    EXPECT_EQ(s.energy[1], 2147483648LL);
    EXPECT_EQ(s.energy[2], 20000);
    const auto curve = Items(list, Role::Curve);
    ASSERT_EQ(curve.size(), 1u);
    ASSERT_EQ(curve[0].points.size(), 100);
    EXPECT_EQ(curve[0].points[0], QPoint(0, 280));
    EXPECT_EQ(curve[0].points[1], QPoint(1, 0));
    EXPECT_EQ(s.out.scaleX, 1.0f);
    // span = min(n, W) = 100; labels trunc(k * n / 10) * dt in µs.
    EXPECT_EQ(Item(list, Role::Tick, 3)->points[0], QPoint(30, 280));
    EXPECT_EQ(Item(list, Role::TickLabel, 3)->text, "60");
    EXPECT_EQ(Item(list, Role::TickLabel, 10)->text, "(us)");
    EXPECT_EQ(Item(list, Role::TickLabel, 10)->at, QPoint(50, 286));
    EXPECT_EQ(Item(list, Role::AxisLetter)->text, "E");
    EXPECT_EQ(s.out.measurement, "");
}

TEST(Energy, FlatDataDrawsNoCurve)
{
    State s;
    s.in.displayMode = kModeEnergy;
    s.in.sampleCount = 100; // all samples 0
    const DrawList list = s.Draw();
    EXPECT_TRUE(Items(list, Role::Curve).empty());
    EXPECT_FALSE(s.out.scaleYSet);
    EXPECT_EQ(Items(list, Role::Tick).size(), 11u);
}

TEST(Truncation, TowardZeroAndLimited)
{
    EXPECT_EQ(TruncToInt(-2.7f), -2);
    EXPECT_EQ(TruncToInt(2.7f), 2);
    EXPECT_EQ(TruncToInt(1e20f), INT_MAX);
    EXPECT_EQ(TruncToInt(-1e20f), INT_MIN);
    EXPECT_EQ(TruncToInt(std::nanf("")), 0);
}

} // namespace
} // namespace rovana::wave
