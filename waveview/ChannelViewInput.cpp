// ChannelView: mouse, keys, context menu, marker commands, dialogs, focus and the private
// messages. The cursor rules are the plain functions of CursorRules; marker commands go to
// the host's test being edited, whose change repaints every view and the panel.
#include "ChannelView.h"

#include "ChannelViewHost.h"
#include "TestEdit.h"
#include "GainDialog.h"
#include "TestRecord.h"
#include "ValueDialog.h"
#include "ViewCommands.h"
#include "ViewMessages.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace rovana {

namespace {

// The virtual-key code of a Qt key, or 0 for keys the view leaves alone.
int VirtualKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Space:
        return VK_SPACE;
    default:
        return 0;
    }
}

bool IsSaveKey(const QKeyEvent& event)
{
    return event.key() == Qt::Key_S && event.modifiers() == Qt::ControlModifier;
}

} // namespace

void ChannelView::InstallDefaultRunners()
{
    m_fnRunMenu = [](QMenu& menu, QPoint globalPoint) { return menu.exec(globalPoint); };
    m_fnRunDialog = [](QDialog& dialog) { return dialog.exec(); };
}

void ChannelView::TakeState(const wave::WaveInput& state)
{
    m_bCursorShown = state.cursorShown;
    m_nCursor = state.cursor;
    m_nMaxAmplitude = state.maxAmplitude;
    m_nMagnify = state.magnify;
}

void ChannelView::OnCursorAt(int x)
{
    wave::WaveInput state = DrawingInput();
    if (state.compress)
        m_fCompress = wave::CompressFactor(state);
    state.cursor = wave::CursorFromClick(x, state);
    state.cursorShown = 1;
    TakeState(state);
    viewport()->update();
}

void ChannelView::OnKeyDown(int key)
{
    wave::WaveInput state = DrawingInput();
    if (!wave::ApplyKey(key, state))
        return;
    const bool changed = state.cursor != m_nCursor || state.cursorShown != m_bCursorShown ||
                         state.maxAmplitude != m_nMaxAmplitude || state.magnify != m_nMagnify;
    const auto take = [&] {
        TakeState(state);
        if (changed)
            viewport()->update();
    };
    // The amplitude keys change the analysis' picture: a step of the history; the cursor
    // keys do not.
    if (m_pHost && state.maxAmplitude != m_nMaxAmplitude)
        m_pHost->EditStep(QStringLiteral("幅值"), [&] {
            take();
            m_pHost->AmplitudeChosen(m_nChannel, false);
        });
    else
        take();
}

namespace {

// The menu's name of a command without its padding ("底    部" -> "底部").
QString CommandName(int command)
{
    for (const ChannelMenuItem& item : kChannelMenu)
        if (item.id == command)
            return QString::fromUtf8(item.text).remove(QLatin1Char(' '));
    return {};
}

} // namespace

void ChannelView::OnCommand(int command)
{
    // Commands that change the test's analysis are steps of its history; saving, the
    // suggestion overlay, the calibration (its own step) and the reference are not.
    switch (command) {
    case ID_CHANNEL_SAVE:
    case ID_AUTO_PICK:
    case ID_CALIBRATE_SPEED:
    case ID_SET_REFERENCE:
    case ID_CLEAR_REFERENCE:
        RunCommand(command);
        return;
    default:
        if (m_pHost)
            m_pHost->EditStep(CommandName(command), [&] { RunCommand(command); });
        else
            RunCommand(command);
    }
}

void ChannelView::RunCommand(int command)
{
    switch (command) {
    case ID_MARKER_CLEAR:
        ClearMarkers();
        return;
    case ID_SET_AMPLITUDE: {
        AmplitudeDialog dialog(this);
        RunDialog(dialog);
        return;
    }
    case ID_SET_WAVESPEED: {
        WaveSpeedDialog dialog(this);
        RunDialog(dialog);
        return;
    }
    case ID_SET_MAGNIFY: {
        GainDialog dialog(this);
        RunDialog(dialog);
        return;
    }
    case ID_CHANNEL_SAVE:
        if (m_pHost)
            m_pHost->SaveCopyWithResults();
        return;
    case ID_AUTO_PICK:
        ShowSuggestion();
        return;
    case ID_TAKE_SUGGESTION:
        TakeSuggestion();
        return;
    case ID_CALIBRATE_SPEED:
        SelectThisChannel();
        if (m_pHost)
            m_pHost->CalibrateWaveSpeed(m_nChannel);
        return;
    case ID_SET_REFERENCE:
        if (m_pHost)
            m_pHost->SetReferenceToCurrent(m_nChannel);
        return;
    case ID_CLEAR_REFERENCE:
        if (m_pHost)
            m_pHost->ClearReference(m_nChannel);
        return;
    default:
        RunMarkerCommand(wave::MarkerOfCommand(command));
        return;
    }
}

void ChannelView::RunMarkerCommand(int marker)
{
    if (marker < 0 || !m_pHost)
        return;
    // The grade reset acts on this channel, and the panel shows this one, whichever view
    // has the keyboard focus.
    SelectThisChannel();
    const std::optional<int> position =
        m_bCursorShown ? std::optional<int>(m_nCursor + ScrollPosition()) : std::nullopt;
    const MarkerOutcome outcome = m_pHost->Edit().ApplyMarker(m_nChannel, marker, position);
    if (!outcome.refusal.isEmpty()) {
        m_pHost->TellUser(outcome.refusal);
        return;
    }
    m_bCursorShown = 0;
    if (outcome.bottomFromDesign)
        OfferSuggestionBesideDesignBottom();
    viewport()->update();
}

void ChannelView::ClearMarkers()
{
    SelectThisChannel();
    DropSuggestion();
    m_bCursorShown = 0;
    m_nCursor = 0;
    if (m_pHost)
        m_pHost->Edit().ClearMarkers(m_nChannel);
    viewport()->update();
}

void ChannelView::RunDialog(QDialog& dialog)
{
    if (m_fnRunDialog)
        m_fnRunDialog(dialog);
}

void ChannelView::OnSetFocus()
{
    if (!m_pHost)
        return;
    const int active = m_pHost->ActiveChannel();
    if (active != m_nChannel && active >= 0)
        m_pHost->RepaintChannel(active); // its background turns grey
    m_pHost->SetActiveChannel(m_nChannel);
    m_pHost->RefreshInfoPanel(m_nChannel);
    viewport()->update();
}

void ChannelView::SelectThisChannel()
{
    if (m_pHost && m_pHost->ActiveChannel() != m_nChannel)
        OnSetFocus();
}

int ChannelView::SendViewMessage(int message, int wParam)
{
    switch (message) {
    case WM_SETMAXAMPLITUDE:
        m_nMaxAmplitude = wParam;
        if (m_pHost)
            m_pHost->AmplitudeChosen(m_nChannel, false);
        break;
    case WM_SETWAVESPEED:
        if (m_pHost)
            m_pHost->Edit().SetWaveSpeed(wParam);
        break;
    case WM_SETMAGNIFY:
        m_nMagnify = wave::MagnifyOfChoice(wParam);
        if (m_pHost)
            m_pHost->GainChosen(m_nChannel);
        break;
    default:
        break;
    }
    return 0;
}

std::unique_ptr<QMenu> ChannelView::CreateContextMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QString::number(IDR_CHANNEL_MENU));
    for (const ChannelMenuItem& item : kChannelMenu) {
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromUtf8(item.text));
        action->setObjectName(QString::number(item.id));
        action->setData(item.id);
        action->setEnabled(item.id != ID_TAKE_SUGGESTION || m_Suggestion.has_value());
    }
    return menu;
}

void ChannelView::ShowContextMenu(QPoint point)
{
    const std::unique_ptr<QMenu> menu = CreateContextMenu();
    QAction* chosen = m_fnRunMenu ? m_fnRunMenu(*menu, viewport()->mapToGlobal(point)) : nullptr;
    if (chosen)
        OnCommand(chosen->data().toInt());
}

// ---- Events ----------------------------------------------------------------------------
// Mouse positions are viewport (client) pixels. Moves and releases outside the client
// area are not the view's: they would reach the window under the pointer.

void ChannelView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        ShowContextMenu(event->position().toPoint());
        return;
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void ChannelView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if ((event->buttons() & Qt::LeftButton) && viewport()->rect().contains(p))
        OnCursorAt(p.x());
    QAbstractScrollArea::mouseMoveEvent(event);
}

void ChannelView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton && viewport()->rect().contains(p))
        OnCursorAt(p.x());
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void ChannelView::keyPressEvent(QKeyEvent* event)
{
    if (IsSaveKey(*event)) {
        OnCommand(ID_CHANNEL_SAVE);
        return;
    }
    if (m_Suggestion && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        OnCommand(ID_TAKE_SUGGESTION);
        return;
    }
    if (m_Suggestion && event->key() == Qt::Key_Escape) {
        m_Suggestion.reset();
        viewport()->update();
        return;
    }
    if (const int key = VirtualKey(event->key())) {
        OnKeyDown(key);
        return;
    }
    // Not the scroll area's own arrow-key scrolling: other keys go to the parent.
    QWidget::keyPressEvent(event);
}

void ChannelView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    // Closing the context menu hands focus back; that is no new selection.
    if (event->reason() != Qt::PopupFocusReason)
        OnSetFocus();
}

bool ChannelView::event(QEvent* event)
{
    // Ctrl+S in a channel view is the view's Save, ahead of the window's shortcut.
    if (event->type() == QEvent::ShortcutOverride && IsSaveKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

} // namespace rovana
