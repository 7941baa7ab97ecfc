#include "ChannelView.h"

#include "ChannelViewHost.h"
#include "DisplaySettings.h"
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
    const int set[5] = {m_bEndSet, m_bFreeEndSet, m_bBottomSet, m_bDefectStartSet, m_bDefectEndSet};
    const int pos[5] = {m_nEndPos, m_nFreeEndPos, m_nBottomPos, m_nDefectStartPos, m_nDefectEndPos};
    std::copy(std::begin(set), std::end(set), in.markerSet);
    std::copy(std::begin(pos), std::end(pos), in.markerPos);
    in.bottomByDesign = m_bBottomByDesign != 0 && m_bBottomSet != 0;
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

float ChannelView::MarkerLength(int a, int b)
{
    const wave::WaveInput in = DrawingInput();
    m_fCompress = wave::CompressFactor(in);
    return wave::MarkerLength(in, a, b);
}

float ChannelView::BottomLength()
{
    return MarkerLength(m_nBottomPos, m_nEndPos);
}

float ChannelView::FreeEndLength()
{
    return wave::TruncToCentimetres(MarkerLength(m_nFreeEndPos, m_nEndPos));
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
    if (result.lengthsCached) {
        m_fMeasuredL0 = result.measuredL0;
        m_fMeasuredLr = result.measuredLr;
    }
    m_nWaveSpeedCopy = in.waveSpeed;
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

ChannelEditState ChannelView::EditState() const
{
    return {{m_bEndSet, m_bFreeEndSet, m_bBottomSet, m_bDefectStartSet, m_bDefectEndSet},
            {m_nEndPos, m_nFreeEndPos, m_nBottomPos, m_nDefectStartPos, m_nDefectEndPos},
            m_bCursorShown,
            m_nCursor,
            m_nMaxAmplitude,
            m_nMagnify,
            m_fMeasuredL0,
            m_fMeasuredLr,
            m_bBottomByDesign};
}

void ChannelView::RestoreEditState(const ChannelEditState& state)
{
    wave::WaveInput markers = DrawingInput();
    std::copy(state.set.begin(), state.set.end(), markers.markerSet);
    std::copy(state.pos.begin(), state.pos.end(), markers.markerPos);
    markers.cursorShown = state.cursorShown;
    markers.cursor = state.cursor;
    markers.maxAmplitude = state.maxAmplitude;
    markers.magnify = state.magnify;
    TakeState(markers);
    m_fMeasuredL0 = state.measuredL0;
    m_fMeasuredLr = state.measuredLr;
    m_bBottomByDesign = state.bottomByDesign;
    m_Suggestion.reset();
    viewport()->update();
}

} // namespace rovana
