#pragma once

#include <QString>

#include <functional>

namespace rovana {

class TestRecord;
class TestEdit;
struct DisplaySettings;

// What a channel view reads from and asks of the report view that hosts it. The report
// view implements this; tests may give a channel view a host of their own.
class ChannelViewHost
{
public:
    virtual ~ChannelViewHost() = default;
    // The test being edited: its markers, grades and wave speed; every marker command and
    // the wave-speed dialog change it, and its change repaints the views and the panel.
    virtual TestEdit& Edit() = 0;
    virtual const TestEdit& Edit() const = 0;
    // The record currently displayed, as edited (TestEdit::Edited).
    virtual const TestRecord& CurrentRecord() const = 0;
    // The main frame's display mode and switches.
    virtual const DisplaySettings& Display() const = 0;
    // Index 0..2 of the selected channel view, or -1.
    virtual int ActiveChannel() const = 0;

    // Makes channel 0..2 the selected one (m_nActiveChannel).
    virtual void SetActiveChannel(int channel) = 0;
    // Repaints the channel view of channel 0..2 (its background follows the selection).
    virtual void RepaintChannel(int channel) = 0;
    // Feeds the evaluation panel from the test's channel `channel`.
    virtual void RefreshInfoPanel(int channel) = 0;
    // Save: a copy of the current file with the analysis. False when cancelled or refused.
    virtual bool SaveCopyWithResults() = 0;
    // One step of the test's history: runs `change` and keeps what it did under `name`
    // ("底部", "清除", ...), so that it can be undone.
    virtual void EditStep(const QString& name, const std::function<void()>& change)
    {
        Q_UNUSED(name);
        change();
    }
    // "由已知长度标定波速" on `channel`'s markers as the view shows them.
    virtual void CalibrateWaveSpeed(int channel) { Q_UNUSED(channel); }
    // The test on screen becomes the site's reference bolt, or the site has none.
    virtual void SetReferenceToCurrent(int channel) { Q_UNUSED(channel); }
    virtual void ClearReference(int channel) { Q_UNUSED(channel); }
    // The amplitude of `channel` was chosen by the engineer (the keys, the dialog, or the fit
    // of 适合幅值): the folder keeps it for every test and every sheet.
    virtual void AmplitudeChosen(int channel, bool fit)
    {
        Q_UNUSED(channel);
        Q_UNUSED(fit);
    }
    // The growing gain of `channel` was chosen (the gain dialog, 恢复原始放大): the folder
    // keeps it for every test and every sheet.
    virtual void GainChosen(int channel) { Q_UNUSED(channel); }
    // Tells the user why a command did nothing.
    virtual void TellUser(const QString& text) { Q_UNUSED(text); }
};

} // namespace rovana
