#pragma once

#include "DrawList.h"
#include "ChannelMarks.h"
#include "CursorRules.h"
#include "SuggestionOverlay.h"
#include "WaveGeometry.h"

#include <QAbstractScrollArea>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QDialog;
class QMenu;

namespace rovana {

class ChannelViewHost;

// What a channel view itself holds, for undo: the cursor, the amplitude and the gain. The
// markers and the grade belong to the test being edited (TestEdit).
struct ChannelEditState
{
    int cursorShown = 0, cursor = 0;
    int maxAmplitude = 1700, magnify = 0;
    friend bool operator==(const ChannelEditState&, const ChannelEditState&) = default;
};

// One channel of the current test: time-domain trace with markers and anchor sketch,
// amplitude spectrum, phase, or instantaneous energy, and a measurement line.
// The markers are the host's test being edited; the view draws them and turns its cursor
// into marker commands on it. Buffers are public: the loading path fills them. The cursor
// follows left clicks, drags and the arrow keys; the context menu turns it into markers,
// clears them and opens the amplitude, wave speed and magnification dialogs.
class ChannelView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    ChannelView(int channel, ChannelViewHost* host, QWidget* parent = nullptr);

    // The horizontal scroll range: the document is `width` pixels wide (the loading
    // path sets it to the sample count), the page is the viewport width.
    void SetScrollWidth(int width);
    int ScrollPosition() const; // s, in pixels = samples

    // The horizontal compression factor f of the current state; stored in m_fCompress.
    float CompressFactor();
    // This channel's marks in the host's test being edited (none without a host).
    ChannelMarks Marks() const;
    float BottomLength() const; // L: bottom to end, by the length rule

    // The state a drawing reads, as plain values (viewport size, scroll position, record,
    // display switches, this view's buffers, the test's markers).
    wave::WaveInput DrawingInput() const;
    // What OnDraw does apart from painting: computes the picture of the current state and
    // keeps its side effects (m_fCompress, m_fScaleX/Y, m_nEnergy). paintEvent paints the
    // returned list.
    wave::DrawList ComputeDrawing();

    // Input, as the event handlers pass it on. A click or drag at client x places the
    // cursor; `key` is a virtual-key code (VK_LEFT ...); `command` a context-menu or Save
    // identifier.
    void OnCursorAt(int x);
    void OnKeyDown(int key);
    void OnCommand(int command);
    // Focus gained: this channel becomes the selected one and feeds the panel.
    void OnSetFocus();
    // The same selection, when this channel is not the selected one already. Marker
    // commands and Clear run it first, so that what they tell the panel belongs to this
    // channel even when another view has the keyboard focus.
    void SelectThisChannel();
    // The private messages of the dialogs (WM_SETMAXAMPLITUDE, WM_SETWAVESPEED,
    // WM_SETMAGNIFY); wParam carries the value. Returns 0.
    int SendViewMessage(int message, int wParam);

    // The context menu with its ten commands (each action's object name is its id).
    std::unique_ptr<QMenu> CreateContextMenu();
    // How the context menu and the dialogs run: by default modally (QMenu::exec at the
    // global point, QDialog::exec); tests replace them. The menu runner returns the chosen
    // action or null.
    std::function<QAction*(QMenu&, QPoint)> m_fnRunMenu;
    std::function<int(QDialog&)> m_fnRunDialog;

    const int m_nChannel;
    int m_bCursorShown = 0;
    int m_nCursor = 0;
    std::array<std::int16_t, 10240> m_nWave{};
    std::array<std::int16_t, 2048> m_nSpectrum{};
    std::array<std::int32_t, 2048> m_nPhase{};
    std::array<std::int64_t, 2048> m_nEnergy{};
    std::array<std::int16_t, 2048> m_nRaw{};
    // The site's reference bolt as drawn behind the trace, one value per sample; empty for
    // none.
    std::vector<std::int16_t> m_nReference;
    // The processing's gain limited samples of the shown trace to the int16 range.
    bool m_bClipped = false;
    int m_nMaxAmplitude = 1700;
    int m_nMagnify = 0;
    float m_fCompress = 1.0f;
    float m_fScaleX = 1.0f;
    float m_fScaleY = 1.0f;
    // Suggested markers shown over the trace, until taken or dropped.
    std::optional<wave::MarkerSuggestion> m_Suggestion;

    // "自动识别": the suggested markers of this channel, dashed over its trace.
    void ShowSuggestion();
    // Enter or "采用": places the suggested markers as the marker commands would, the
    // free end first, then the bottom, the end (which updates the panel) and the defect.
    void TakeSuggestion();
    // Esc, Clear and a load: no suggestion.
    void DropSuggestion();

    // "适合幅值": the amplitude at which the trace's largest excursion from the blow on
    // fills 90 % of the half-height (FittedAmplitude of the shown samples).
    void FitAmplitude();

    ChannelEditState EditState() const;
    // Puts the view back as `state` had it (a suggestion shown goes) and repaints it.
    void RestoreEditState(const ChannelEditState& state);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    void InstallDefaultRunners();
    // Takes back the cursor, marker, amplitude and gain fields of a state.
    void TakeState(const wave::WaveInput& state);
    void RunCommand(int command);
    void RunMarkerCommand(int marker);
    void OfferSuggestionBesideDesignBottom();
    void ClearMarkers();
    void RunDialog(QDialog& dialog);
    void ShowContextMenu(QPoint point);
    void UpdateScrollRange();
    int ScreenHeight() const;

    ChannelViewHost* m_pHost;
    int m_nScrollWidth = 0; // document width in pixels; 0 until the loading path sets it
};

} // namespace rovana
