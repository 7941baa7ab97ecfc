// The channel view widget: its members, scrolling, lengths through the view, and the
// pictures of each display mode rendered offscreen from the shipped samples.
#include "ChannelView.h"

#include "DisplaySettings.h"
#include "FakeViewHost.h"
#include "LowPass.h"
#include "Spectrum.h"
#include "TestRecord.h"
#include "WaveGeometry.h"
#include "WavePainter.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <algorithm>

namespace rovana {
namespace {

using FakeHost = test::FakeViewHost;

// Counts the paint events of a widget.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

QString SamplePath(const char* name)
{
    return QStringLiteral(ROVANA_SAMPLES_DIR "/") + QLatin1String(name);
}

// Fills channel view c from the host's record as the loading path does: raw copy, low-pass display
// samples, spectrum and phase, bin width, scroll width; the load sets the growing gain to 1.
// The record becomes the test being edited, with its stored markers.
void Distribute(ChannelView& v, FakeHost& host, int c)
{
    const TestRecord& d = host.record;
    v.m_nWave.fill(0);
    v.m_nSpectrum.fill(0);
    v.m_nRaw.fill(0);
    v.m_nPhase.fill(0);
    std::copy_n(d.m_nSamples[c].begin(), v.m_nRaw.size(), v.m_nRaw.begin());
    if (host.display.m_bFilter)
        LowPass(v.m_nWave, v.m_nRaw, d.m_nSampleInterval, d.m_nSampleCount);
    else
        std::copy(v.m_nRaw.begin(), v.m_nRaw.end(), v.m_nWave.begin());
    v.m_nSpectrum = v.m_nRaw;
    const SpectrumResult r = ComputeSpectrum(
        v.m_nSpectrum, v.m_nPhase, static_cast<float>(d.m_nSampleInterval), d.m_nSampleCount);
    host.display.m_fPeakFrequency = r.peakFrequency;
    host.display.m_fBinWidth = r.binWidth;
    v.SetScrollWidth(d.m_nSampleCount);
    v.m_nMagnify = 1;
    host.LoadRecord();
}

// R2_NOTXORPEN on a pixel: NOT (pen XOR screen).
QColor NotXor(QColor pen, QColor screen)
{
    return QColor(~(pen.red() ^ screen.red()) & 0xFF, ~(pen.green() ^ screen.green()) & 0xFF,
                  ~(pen.blue() ^ screen.blue()) & 0xFF);
}

class ChannelViewTest : public ::testing::Test
{
protected:
    // A viewport of width x height pixels: the frame takes one pixel on each side.
    void SizeViewport(int width, int height)
    {
        view.resize(width + 2, height + 2);
        view.show();
        QApplication::processEvents();
    }

    void Load(const char* name, int channel)
    {
        ASSERT_TRUE(host.record.Load(SamplePath(name))) << name;
        Distribute(view, host, channel);
        QApplication::processEvents();
    }

    QImage Render()
    {
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        view.viewport()->render(&image);
        const QByteArray dump = qgetenv("ROVANA_WAVEVIEW_DUMP");
        if (!dump.isEmpty()) {
            const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
            image.save(QString::fromLocal8Bit(dump) + "/" + info->name() + "-" +
                       QString::number(++renders) + ".png");
        }
        return image;
    }

    static QColor At(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }
    // Fonts are 10.5 and 11 points up to a screen height of 1050 (the offscreen screen).
    bool SmallScreen() const { return view.screen()->geometry().height() <= 1050; }

    FakeHost host;
    ChannelView view{0, &host};
    int renders = 0;
};

const QColor kSelected(224, 238, 224);
const QColor kUnselected(205, 205, 193);
const QColor kCentre(185, 237, 185);
const QColor kRed(255, 0, 0);
const QColor kCurve(128, 128, 255);

TEST_F(ChannelViewTest, MembersStartAtTheirInitialValues)
{
    EXPECT_EQ(view.windowTitle(), "MyView");
    EXPECT_EQ(view.m_nChannel, 0);
    EXPECT_EQ(view.m_bCursorShown, 0);
    EXPECT_EQ(view.Marks(), ChannelMarks{});
    EXPECT_EQ(view.m_nMaxAmplitude, 1700);
    EXPECT_EQ(view.m_nMagnify, 0);
    EXPECT_EQ(view.m_fCompress, 1.0f);
    EXPECT_TRUE(std::all_of(view.m_nWave.begin(), view.m_nWave.end(), [](auto s) { return !s; }));
    EXPECT_EQ(view.ScrollPosition(), 0);
    ChannelView other(2, nullptr);
    EXPECT_EQ(other.m_nChannel, 2);
}

TEST_F(ChannelViewTest, ScrollRangeIsTheDocumentWidthLessThePage)
{
    SizeViewport(1000, 300);
    ASSERT_EQ(view.viewport()->width(), 1000);
    view.SetScrollWidth(2048);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 1048);
    EXPECT_EQ(view.horizontalScrollBar()->pageStep(), 1000);
    view.horizontalScrollBar()->setValue(100);
    EXPECT_EQ(view.ScrollPosition(), 100);
    view.SetScrollWidth(800); // narrower than the page: nothing to scroll
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view.ScrollPosition(), 0);
}

TEST_F(ChannelViewTest, ScrollMovesMarkersAndSketchNotTheCursor)
{
    SizeViewport(1000, 300);
    host.record.m_nSampleCount = 2048;
    host.record.m_nSampleInterval = 10;
    host.display.m_bCompress = 0;
    view.SetScrollWidth(2048);
    host.SetMarker(0, kMarkerEnd, 300);
    host.SetMarker(0, kMarkerFreeEnd, 400);
    host.SetMarker(0, kMarkerBottom, 900);
    view.m_bCursorShown = 1;
    view.m_nCursor = 150;
    view.horizontalScrollBar()->setValue(100);
    const wave::DrawList list = view.ComputeDrawing();
    std::vector<int> markers;
    int cursor = -1;
    int band = -1;
    for (const auto& item : list) {
        if (item.role == wave::Role::Marker)
            markers.push_back(item.points[0].x());
        if (item.role == wave::Role::Cursor)
            cursor = item.points[0].x();
        if (item.role == wave::Role::GroutBand)
            band = item.rect.left;
    }
    EXPECT_EQ(markers, (std::vector<int>{200, 300, 800}));
    EXPECT_EQ(cursor, 150);
    EXPECT_EQ(band, 300);
}

TEST_F(ChannelViewTest, LengthsUseTheRecordAndTheViewport)
{
    SizeViewport(1000, 300);
    host.record.m_nSampleInterval = 10;
    host.record.m_nWaveSpeed = 3500;
    host.record.m_nSampleCount = 1024;
    host.display.m_bCompress = 0;
    host.SetMarker(0, kMarkerEnd, 20);
    host.SetMarker(0, kMarkerBottom, 220);
    EXPECT_EQ(view.BottomLength(), 3.5f);
    EXPECT_EQ(view.CompressFactor(), 1.0f);

    host.display.m_bCompress = 1;
    host.record.m_nSampleInterval = 5;
    host.record.m_nSampleCount = 1000;
    EXPECT_EQ(view.CompressFactor(), 0.48828125f);
    EXPECT_EQ(view.m_fCompress, 0.48828125f);
    EXPECT_EQ(view.BottomLength(), 1.75f); // a length is the bolt's: no compression in it
    host.record.m_nSampleCount = 0;
    EXPECT_EQ(view.CompressFactor(), 1.0f);
}

TEST_F(ChannelViewTest, DrawingKeepsScalesAndEnergy)
{
    SizeViewport(1000, 300);
    Load("MG0001.mg", 0); // n = 1024, dt = 10, v = 3500
    view.ComputeDrawing();
    EXPECT_EQ(view.m_fCompress, 1.0f); // 10 µs on 1000 px: capped

    host.display.m_nDisplayMode = ID_VIEW_ENERGY;
    view.ComputeDrawing();
    for (int i = 0; i < 1024; ++i)
        ASSERT_EQ(view.m_nEnergy[i], std::int64_t{view.m_nRaw[i]} * view.m_nRaw[i] * 10) << i;
    EXPECT_EQ(view.m_fScaleX, 1000.0f / 1024.0f); // W < n

    host.display.m_nDisplayMode = ID_VIEW_SPECTRUM;
    view.ComputeDrawing();
    EXPECT_EQ(host.display.m_fBinWidth, 97.65625f);
    EXPECT_EQ(view.m_fScaleX, 1000.0f / 204.0f);
}

TEST_F(ChannelViewTest, SongFontIsAChineseFace)
{
    const QFontInfo song(wave::SongFont(10.5));
    EXPECT_TRUE(
        QFontDatabase::writingSystems(song.family()).contains(QFontDatabase::SimplifiedChinese))
        << song.family().toStdString();
    EXPECT_NEAR(song.pointSizeF(), 10.5, 0.5);
    // fonts-noto-cjk's Song-style face stands in for 宋体 when it is installed.
    if (QFontDatabase::hasFamily(QStringLiteral("Noto Serif CJK SC"))) {
        EXPECT_EQ(song.family(), "Noto Serif CJK SC");
    }
}

// ---- Pictures --------------------------------------------------------------------------

TEST_F(ChannelViewTest, BackgroundFollowsTheSelection)
{
    SizeViewport(1200, 300);
    Load("MG0001.mg", 0);
    ASSERT_EQ(view.viewport()->size(), QSize(1200, 300)); // n = 1024 fits: no scroll bar
    for (int mode : {ID_VIEW_TIMEDOMAIN, ID_VIEW_SPECTRUM, ID_VIEW_PHASE, ID_VIEW_ENERGY}) {
        host.display.m_nDisplayMode = mode;
        host.active = 0;
        EXPECT_EQ(At(Render(), 1150, 60), kSelected) << mode;
        host.active = 1;
        EXPECT_EQ(At(Render(), 1150, 60), kUnselected) << mode;
        host.active = -1;
        EXPECT_EQ(At(Render(), 1150, 60), kUnselected) << mode;
    }
}

TEST_F(ChannelViewTest, CentreLineIsDottedInEveryMode)
{
    SizeViewport(1200, 300);
    host.display.m_bCompress = 0; // the trace ends at n = 1024: the line is free beyond
    Load("MG0001.mg", 0);
    host.active = 0;
    for (int mode : {ID_VIEW_TIMEDOMAIN, ID_VIEW_SPECTRUM, ID_VIEW_PHASE, ID_VIEW_ENERGY}) {
        host.display.m_nDisplayMode = mode;
        const QImage image = Render();
        // 3 pixels on, 3 off, from x = 0.
        for (int x = 1026; x < 1140; ++x) {
            const QColor expected = x % 6 < 3 ? kCentre : kSelected;
            ASSERT_EQ(At(image, x, 150), expected) << mode << " x " << x;
        }
        EXPECT_EQ(At(image, 1100, 149), kSelected);
        EXPECT_EQ(At(image, 1100, 151), kSelected);
    }
}

TEST_F(ChannelViewTest, TimeDomainTraceMarkersAndSketch)
{
    SizeViewport(1200, 300);
    host.display.m_bCompress = 0;
    Load("MG0003.mg", 0); // markers of channel 1: end 20, free end 72, bottom 335
    ASSERT_EQ(view.Marks().pos[kMarkerEnd], 20);
    ASSERT_EQ(view.Marks().pos[kMarkerBottom], 335);
    const int H = view.viewport()->height(); // n = 2048 > W: a scroll bar takes some height
    ASSERT_LT(H, 300);
    for (int active : {0, 1}) {
        host.active = active;
        const QColor background = active == 0 ? kSelected : kUnselected;
        const QImage image = Render();
        // The same picture without the marker lines, painted from the draw list.
        wave::DrawList list = view.ComputeDrawing();
        std::erase_if(list,
                      [](const wave::DrawItem& item) { return item.role == wave::Role::Marker; });
        QImage reference(image.size(), QImage::Format_RGB32);
        {
            QPainter painter(&reference);
            wave::PaintDrawList(painter, list);
        }
        // Marker lines: 2 px wide (x - 1 and x) over the full height, each pixel
        // NOT (pen XOR what lies below); everything else as without them.
        const struct
        {
            int x;
            QColor pen;
        } markers[] = {{20, kRed}, {72, QColor(128, 124, 124)}, {335, QColor(0, 0, 255)}};
        for (const auto& m : markers) {
            for (int x : {m.x - 1, m.x}) {
                for (int y = 0; y < H; ++y) {
                    ASSERT_EQ(At(image, x, y), NotXor(m.pen, At(reference, x, y))) << x << "," << y;
                }
            }
        }
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (x != 19 && x != 20 && x != 71 && x != 72 && x != 334 && x != 335) {
                    ASSERT_EQ(image.pixel(x, y), reference.pixel(x, y)) << x << "," << y;
                }
            }
        }
        EXPECT_EQ(At(image, 20, H / 2 + 40), NotXor(kRed, background));
        EXPECT_EQ(NotXor(kRed, kSelected), QColor(224, 17, 31));
        // Grouted band between free end and bottom, bolt bar from end to bottom.
        EXPECT_EQ(At(image, 200, H - H / 10), QColor(Qt::black)); // band outline
        EXPECT_EQ(At(image, 200, H - H / 10 + 2), QColor(202, 202, 202));
        EXPECT_EQ(At(image, 200, H - 3 * H / 40 + 3), QColor(Qt::black)); // bar
        EXPECT_EQ(At(image, 40, H - 3 * H / 40 + 3), QColor(Qt::black));  // bar left of band
        // The trace is black and reaches above the centre line after the end marker.
        int traceAbove = 0;
        for (int y = 0; y < H / 2 - 10; ++y)
            for (int x = 21; x < 60; ++x)
                traceAbove += At(image, x, y) == QColor(Qt::black);
        EXPECT_GT(traceAbove, 100);
    }
}

TEST_F(ChannelViewTest, CompressedAndFilledTrace)
{
    SizeViewport(1000, 300);
    Load("MG0005.mg", 0); // n = 2048, dt = 2 µs: f = 2 * 2048 / 10240 = 0.4
    host.active = 0;
    const int H = view.viewport()->height();
    const auto blackAbove = [&](const QImage& image) {
        int n = 0;
        for (int y = 0; y < H / 2; ++y)
            for (int x = 0; x < 1000; ++x)
                n += At(image, x, y) == QColor(Qt::black);
        return n;
    };
    const QImage plain = Render();
    EXPECT_EQ(view.m_fCompress, 0.4f);
    // The trace covers 0..819, then runs along the centre line to the right edge.
    for (int x = 830; x < 1000; ++x)
        ASSERT_EQ(At(plain, x, H / 2), QColor(Qt::black)) << x;
    host.display.m_bFill = 1;
    const QImage filled = Render();
    EXPECT_GT(blackAbove(filled), 2 * blackAbove(plain));
    // Fill strokes stand on the centre line: no fill below it.
    for (int y = H / 2 + 1; y < H; ++y)
        for (int x = 0; x < 1000; ++x)
            ASSERT_EQ(filled.pixel(x, y), plain.pixel(x, y)) << x << "," << y;
}

TEST_F(ChannelViewTest, CursorInvertsTheScreen)
{
    SizeViewport(1200, 300);
    host.display.m_bCompress = 0;
    Load("MG0001.mg", 0);
    host.active = 0;
    view.m_bCursorShown = 1;
    view.m_nCursor = 1100; // beyond the trace
    const QImage image = Render();
    EXPECT_EQ(At(image, 1100, 60), NotXor(Qt::black, kSelected));
    EXPECT_EQ(At(image, 1100, 60), QColor(31, 17, 31));
    EXPECT_EQ(At(image, 1101, 60), kSelected); // 1 px wide
    EXPECT_EQ(At(image, 1099, 60), kSelected);
}

TEST_F(ChannelViewTest, LegendAndMeasurementTextsAreDrawn)
{
    SizeViewport(1200, 300);
    host.display.m_bCompress = 0;
    Load("MG0001.mg", 0);
    host.active = 0;
    const QImage image = Render();
    // Swatches at y = 30: red from W - 600 for 30 pixels, then grey, blue, green. (On a
    // screen higher than 1050 pixels the 14-point labels reach down over them.)
    if (SmallScreen()) {
        EXPECT_EQ(At(image, 600, 30), kRed);
        EXPECT_EQ(At(image, 629, 30), kRed);
        EXPECT_EQ(At(image, 630, 30), kSelected); // the end point is not drawn
        EXPECT_EQ(At(image, 645, 30), QColor(128, 124, 124));
        EXPECT_EQ(At(image, 685, 30), QColor(0, 0, 255));
        EXPECT_EQ(At(image, 725, 30), QColor(0, 255, 0));
    }
    // The labels "端部" ... are in their colours above the swatches.
    // Text is antialiased: count the pixels near the colour.
    auto count = [&](QRect r, QColor c) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor p = At(image, x, y);
                n += std::abs(p.red() - c.red()) < 60 && std::abs(p.green() - c.green()) < 60 &&
                     std::abs(p.blue() - c.blue()) < 60;
            }
        return n;
    };
    EXPECT_GT(count(QRect(600, 10, 38, 18), kRed), 10);
    EXPECT_GT(count(QRect(680, 10, 38, 18), QColor(0, 0, 255)), 10);
    // The measurement line is black text from (W - 350, 10).
    EXPECT_GT(count(QRect(850, 10, 340, 20), QColor(Qt::black)), 50);
    EXPECT_EQ(count(QRect(0, 0, 849, 9), QColor(Qt::black)), 0);
}

TEST_F(ChannelViewTest, SpectrumPhaseAndEnergyCurves)
{
    SizeViewport(1200, 300);
    Load("MG0001.mg", 0);
    host.active = 0;
    const int H = 300;
    for (int mode : {ID_VIEW_SPECTRUM, ID_VIEW_PHASE, ID_VIEW_ENERGY}) {
        host.display.m_nDisplayMode = mode;
        const wave::DrawList list = view.ComputeDrawing();
        const QImage image = Render();
        // Axis line at H - 15 and tick 5 from H - 20.
        EXPECT_EQ(At(image, 1190, H - 15), QColor(Qt::black)) << mode;
        const int span = mode == ID_VIEW_SPECTRUM ? 1200 : 1024;
        const int tick5 = 5 * span / 10;
        EXPECT_EQ(At(image, tick5, H - 20), QColor(Qt::black)) << mode;
        EXPECT_EQ(At(image, tick5, H - 15), QColor(Qt::black)) << mode;
        // The curve is drawn in RGB(128, 128, 255): count its pixels.
        int curvePixels = 0;
        for (int y = 0; y < H - 20; ++y)
            for (int x = 0; x < 1200; ++x)
                curvePixels += At(image, x, y) == kCurve;
        EXPECT_GT(curvePixels, 200) << mode;
        // Tick labels on the default opaque white background.
        int white = 0;
        for (int y = H - 14; y < H; ++y)
            for (int x = tick5; x < tick5 + 20; ++x)
                white += At(image, x, y) == QColor(Qt::white);
        EXPECT_GT(white, 10) << mode;
        if (mode == ID_VIEW_PHASE) {
            EXPECT_EQ(At(image, 1100, (H - 20) / 2), QColor(Qt::black)); // zero line
        }
        (void)list;
    }
    // The spectrum's largest entry stands at the top edge.
    host.display.m_nDisplayMode = ID_VIEW_SPECTRUM;
    const wave::DrawList list = view.ComputeDrawing();
    for (const auto& item : list) {
        if (item.role != wave::Role::Curve)
            continue;
        const auto top = std::min_element(item.points.begin(), item.points.end(),
                                          [](QPoint a, QPoint b) { return a.y() < b.y(); });
        EXPECT_LE(top->y(), 1);
        EXPECT_EQ(At(Render(), top->x(), top->y()), kCurve);
    }
}

TEST_F(ChannelViewTest, NarrowViewShowsThreeLegendEntriesAtTheLeft)
{
    SizeViewport(480, 200);
    Load("MG0001.mg", 0);
    host.active = 0;
    const QImage image = Render();
    if (!SmallScreen())
        GTEST_SKIP() << "the labels cover the swatches on screens above 1050 pixels";
    EXPECT_EQ(At(image, 10, 30), kRed);
    EXPECT_EQ(At(image, 49, 30), kRed);
    EXPECT_EQ(At(image, 60, 30), QColor(128, 124, 124));
    EXPECT_EQ(At(image, 110, 30), QColor(0, 0, 255));
    EXPECT_EQ(At(image, 160, 30), kSelected); // no fourth entry
}

TEST_F(ChannelViewTest, FocusLossRepaints)
{
    SizeViewport(400, 200);
    view.activateWindow();
    view.setFocus();
    QApplication::processEvents();
    if (!view.hasFocus())
        GTEST_SKIP() << "the platform gives no focus";
    PaintCounter counter;
    view.viewport()->installEventFilter(&counter);
    view.clearFocus();
    QApplication::processEvents();
    EXPECT_FALSE(view.hasFocus());
    EXPECT_GE(counter.paints, 1);
    view.viewport()->removeEventFilter(&counter);
}

TEST_F(ChannelViewTest, EmptyViewPaintsWithoutARecord)
{
    ChannelView empty(1, nullptr);
    empty.resize(300, 100);
    empty.show();
    QApplication::processEvents();
    QImage image(empty.viewport()->size(), QImage::Format_RGB32);
    empty.viewport()->render(&image);
    EXPECT_EQ(QColor(image.pixel(5, 5)), kUnselected);
}

} // namespace
} // namespace rovana
