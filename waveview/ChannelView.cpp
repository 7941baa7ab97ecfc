#include "ChannelView.h"

#include "ChannelViewHost.h"
#include "DisplaySettings.h"
#include "ProcessingChain.h"
#include "TestEdit.h"
#include "TraceFit.h"
#include "TestRecord.h"
#include "WavePainter.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

namespace rovana {

static_assert(wave::kModeTimeDomain == ID_VIEW_TIMEDOMAIN &&
              wave::kModeSpectrum == ID_VIEW_SPECTRUM && wave::kModePhase == ID_VIEW_PHASE &&
              wave::kModeEnergy == ID_VIEW_ENERGY);

namespace {

// What a view without a host draws: an empty record with the start-up switches.
const TestRecord& EmptyRecord()
{
    static const TestRecord record;
    return record;
}

const DisplaySettings& StartDisplay()
{
    static const DisplaySettings display;
    return display;
}

} // namespace

ChannelView::ChannelView(int channel, ChannelViewHost* host, QWidget* parent)
    : QAbstractScrollArea(parent), m_nChannel(channel), m_pHost(host)
{
    setWindowTitle(QStringLiteral("MyView"));
    // Child window with border (WS_CHILD | WS_BORDER).
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    // The document is as high as the view: horizontal scrolling only.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    // The paint event erases the whole viewport itself (OnEraseBkgnd).
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // The right button opens the view's own menu on press; no second menu on release.
    setContextMenuPolicy(Qt::PreventContextMenu);
    InstallDefaultRunners();
    UpdateScrollRange();
}

void ChannelView::SetScrollWidth(int width)
{
    m_nScrollWidth = std::max(0, width);
    UpdateScrollRange();
}

int ChannelView::ScrollPosition() const
{
    return horizontalScrollBar()->value();
}

void ChannelView::UpdateScrollRange()
{
    const int page = viewport()->width();
    QScrollBar* bar = horizontalScrollBar();
    bar->setPageStep(std::max(1, page));
    bar->setSingleStep(std::max(1, m_nScrollWidth / 100));
    bar->setRange(0, std::max(0, m_nScrollWidth - page));
}

int ChannelView::ScreenHeight() const
{
    const QScreen* s = screen();
    return s ? s->geometry().height() : 0;
}

wave::WaveInput ChannelView::DrawingInput() const
{
    const TestRecord& record = m_pHost ? m_pHost->CurrentRecord() : EmptyRecord();
    const DisplaySettings& display = m_pHost ? m_pHost->Display() : StartDisplay();
    wave::WaveInput in;
    in.width = viewport()->width();
    in.height = viewport()->height();
    in.scroll = ScrollPosition();
    in.screenHeight = ScreenHeight();
    in.textHeight = QFontMetrics(wave::DcDefaultFont()).height();
    in.textWidth = [device = viewport()](const QString& text, const wave::FontSpec& font) {
        return QFontMetrics(wave::FontFor(font), device).horizontalAdvance(text);
    };
    in.selected = m_pHost && m_pHost->ActiveChannel() == m_nChannel;
    in.reportChannel = m_pHost && m_pHost->Edit().Inputs().reportChannel == m_nChannel;
    in.clipped = m_bClipped;

    in.displayMode = display.m_nDisplayMode;
    in.fill = display.m_bFill;
    in.compress = display.m_bCompress;
    in.binWidth = display.m_fBinWidth;

    in.sampleCount = UsableSampleCount(record);
    in.sampleInterval = record.m_nSampleInterval;
    in.waveSpeed = record.m_nWaveSpeed;
    in.designLength = record.m_fDesignLength;
    in.designL0 = record.m_fDesignL0;

    in.cursorShown = m_bCursorShown;
    in.cursor = m_nCursor;
    const ChannelMarks marks = Marks();
    for (std::size_t m = 0; m < kMarkerCount; ++m) {
        in.markerSet[m] = marks.set[m] ? 1 : 0;
        in.markerPos[m] = marks.pos[m];
    }
    in.bottomByDesign = marks.ByRule(kMarkerBottom);
    in.freeEndByDesign = marks.ByRule(kMarkerFreeEnd);
    in.maxAmplitude = m_nMaxAmplitude;
    in.magnify = m_nMagnify;
    in.wave = m_nWave;
    in.reference = m_nReference;
    in.spectrum = m_nSpectrum;
    in.phase = m_nPhase;
    in.raw = m_nRaw;
    return in;
}

float ChannelView::CompressFactor()
{
    m_fCompress = wave::CompressFactor(DrawingInput());
    return m_fCompress;
}

ChannelMarks ChannelView::Marks() const
{
    return m_pHost ? m_pHost->Edit().Marks(m_nChannel) : ChannelMarks{};
}

float ChannelView::BottomLength() const
{
    return wave::BottomLength(DrawingInput());
}

wave::DrawList ChannelView::ComputeDrawing()
{
    const wave::WaveInput in = DrawingInput();
    wave::WaveResult result;
    result.energy = m_nEnergy;
    wave::DrawList list = wave::BuildDrawList(in, result);
    if (m_Suggestion && in.maxAmplitude > 0)
        wave::AppendSuggestion(list, in, *m_Suggestion);
    m_fCompress = result.compress;
    if (result.scaleXSet)
        m_fScaleX = result.scaleX;
    if (result.scaleYSet)
        m_fScaleY = result.scaleY;
    return list;
}

void ChannelView::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    const wave::DrawList list = ComputeDrawing();
    QPainter painter(viewport());
    wave::PaintDrawList(painter, list);
}

void ChannelView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void ChannelView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void ChannelView::scrollContentsBy(int dx, int dy)
{
    Q_UNUSED(dx);
    Q_UNUSED(dy);
    // Everything is drawn from the state, the scroll position included: redraw all at once.
    viewport()->repaint();
}

void ChannelView::FitAmplitude()
{
    const TestRecord& record = m_pHost ? m_pHost->CurrentRecord() : EmptyRecord();
    const auto n = static_cast<std::size_t>(UsableSampleCount(record));
    const std::size_t blow = processing::BlowOnset({m_nRaw.data(), n}, record.m_nSampleInterval);
    m_nMaxAmplitude = FittedAmplitude({m_nWave.data(), n}, blow);
    viewport()->update();
}

ChannelEditState ChannelView::EditState() const
{
    return {m_bCursorShown, m_nCursor, m_nMaxAmplitude, m_nMagnify};
}

void ChannelView::RestoreEditState(const ChannelEditState& state)
{
    m_bCursorShown = state.cursorShown;
    m_nCursor = state.cursor;
    m_nMaxAmplitude = state.maxAmplitude;
    m_nMagnify = state.magnify;
    m_Suggestion.reset();
    viewport()->update();
}

} // namespace rovana
