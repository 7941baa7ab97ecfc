#pragma once

// The history of the test on screen: each edit (a marker command, clear, a criterion click,
// the amplitude, the wave speed, the gain, a suggestion taken, the processing) is one step
// that keeps the whole state before and after it, so that undo and redo put the markers,
// the panel and the views back exactly.

#include "ChannelView.h"
#include "ProcessingChain.h"
#include "SiteFile.h"
#include "TestEdit.h"

#include <QUndoCommand>

#include <array>

namespace rovana {

class ReportView;

// Everything an edit of the test on screen can change: the test being edited, and what the
// views themselves hold (cursor, amplitude, gain); the panel is derived from the test.
struct EditState
{
    EditInputs inputs;
    std::array<ChannelEditState, kChannelCount> channels{};
    std::array<TraceAmplitude, kChannelCount> amplitude{}; // the folder's, as kept
    std::array<int, kChannelCount> growingGain{};          // the folder's, as kept
    int activeChannel = -1;
    processing::ChainSettings chain;
    friend bool operator==(const EditState&, const EditState&) = default;
};

// One step: the first redo is the edit itself, already done when the step is pushed.
// Steps of the amplitude follow each other into one (the arrow keys give many).
class EditCommand : public QUndoCommand
{
public:
    EditCommand(ReportView& view, const QString& name, EditState before, EditState after);

    void undo() override;
    void redo() override;
    int id() const override { return m_nId; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    ReportView& m_View;
    EditState m_Before, m_After;
    bool m_bDone = false;
    int m_nId = -1;
};

} // namespace rovana
