// The history of the test on screen: steps taken, undone and redone.
#include "EditHistory.h"
#include "ReportView.h"
#include "ReportViewHost.h"
#include "SiteStore.h"

#include <QUndoStack>

namespace rovana {

namespace {

constexpr int kAmplitudeStep = 1; // QUndoCommand::id of the steps that merge

} // namespace

EditCommand::EditCommand(ReportView& view, const QString& name, EditState before, EditState after)
    : QUndoCommand(name), m_View(view), m_Before(std::move(before)), m_After(std::move(after)),
      m_nId(name == QStringLiteral("幅值") ? kAmplitudeStep : -1)
{}

void EditCommand::undo()
{
    m_View.RestoreEditState(m_Before);
}

void EditCommand::redo()
{
    if (m_bDone)
        m_View.RestoreEditState(m_After);
    m_bDone = true;
}

bool EditCommand::mergeWith(const QUndoCommand* other)
{
    if (other->id() != id())
        return false;
    m_After = static_cast<const EditCommand*>(other)->m_After;
    return true;
}

EditState ReportView::CaptureEditState() const
{
    EditState s;
    s.inputs = m_Edit.Inputs();
    s.amplitude = m_pSite->Site().amplitude;
    s.growingGain = m_pSite->Site().growingGain;
    for (int c = 0; c < kChannelCount; ++c)
        s.channels[static_cast<std::size_t>(c)] = m_pChannelView[c]->EditState();
    s.activeChannel = m_nActiveChannel;
    s.chain = m_Chain;
    return s;
}

void ReportView::RestoreEditState(const EditState& s)
{
    m_bRestoring = true;
    if (!(s.chain == m_Chain))
        SetProcessing(s.chain, false); // kept through the site store, without a question
    if ((!(s.amplitude == m_pSite->Site().amplitude) ||
         s.growingGain != m_pSite->Site().growingGain) &&
        m_pSite->Writable())
        m_pSite->Change([&s](SiteFile& site) {
            site.amplitude = s.amplitude;
            site.growingGain = s.growingGain;
        });
    m_nActiveChannel = s.activeChannel;
    m_Edit.SetInputs(s.inputs);
    for (int c = 0; c < kChannelCount; ++c) {
        DistributeChannel(c);
        m_pChannelView[c]->RestoreEditState(s.channels[static_cast<std::size_t>(c)]);
    }
    RefreshInfoPanel(m_nActiveChannel);
    RepaintAll();
    m_bRestoring = false;
}

void ReportView::EditStep(const QString& name, const std::function<void()>& change)
{
    // A step inside a step (a suggestion taken runs several marker commands) is part of
    // it; without a test on screen there is no history.
    if (m_nStepDepth > 0 || m_bRestoring || m_strCurPath.isEmpty()) {
        change();
        return;
    }
    EditState before = CaptureEditState();
    ++m_nStepDepth;
    change();
    --m_nStepDepth;
    EditState after = CaptureEditState();
    if (!(before == after))
        m_pUndo->push(new EditCommand(*this, name, std::move(before), std::move(after)));
}

} // namespace rovana

namespace rovana {

QStringList ReportView::UnsavedEdits() const
{
    if (!HasUnsavedChanges())
        return {};
    // The saved state is the history's clean index; -1 once it has left the history (steps
    // undone past it and others taken): then every step there is counts.
    const int index = m_pUndo->index();
    const int clean = m_pUndo->cleanIndex();
    QStringList edits;
    if (clean <= index) {
        for (int i = std::max(clean, 0); i < index; ++i)
            edits << m_pUndo->text(i);
    } else {
        for (int i = clean - 1; i >= index; --i)
            edits << QStringLiteral("撤销 ") + m_pUndo->text(i);
    }
    return edits;
}

} // namespace rovana
