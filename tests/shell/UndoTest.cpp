// The history of the test on screen: every edit is one step that 撤销 takes back and 重做
// does again, the markers, the panel, the traces and the record exactly as they were.
#include "ShellTestSupport.h"

#include "EditHistory.h"
#include "EvaluationPanel.h"
#include "ProcessingDialog.h"
#include "ValueDialog.h"
#include "ViewCommands.h"

#include <QLineEdit>
#include <QPushButton>
#include <QUndoStack>

namespace rovana::test {
namespace {

class UndoTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        ShowFrame();
        Open(WriteRecord(QStringLiteral("MG0001.mg")));
        Draw().m_nActiveChannel = 0;
    }
    void At(int cursor, int command)
    {
        View(0).m_nCursor = cursor;
        View(0).m_bCursorShown = 1;
        View(0).OnCommand(command);
    }
    // The state and what the views draw from it.
    struct Seen
    {
        EditState state;
        std::array<std::array<std::int16_t, 10240>, 3> waves;
        bool operator==(const Seen&) const = default;
    };
    // The cursor is left out: moving it is no step, so a step puts back where it stood
    // when the step began.
    Seen Look()
    {
        Seen s{Draw().CaptureEditState(), {View(0).m_nWave, View(1).m_nWave, View(2).m_nWave}};
        for (ChannelEditState& c : s.state.channels)
            c.cursor = c.cursorShown = 0;
        return s;
    }
    QAction& Undo() { return *frame->Action(ID_EDIT_UNDO); }
    QAction& Redo() { return *frame->Action(ID_EDIT_REDO); }
};

TEST_F(UndoTest, EachEditIsOneStepUndoneAndRedoneExactly)
{
    EvaluationPanel& panel = *frame->findChild<EvaluationPanel*>();
    View(0).m_fnRunDialog = [](QDialog& dialog) {
        qobject_cast<ValueDialog*>(&dialog)->Edit()->setText("3600");
        dialog.findChild<QPushButton*>("1")->click();
        return dialog.result();
    };
    frame->m_fnRunProcessing = [](ProcessingDialog& dialog) {
        processing::ChainSettings low{true, processing::FilterKind::LowPass, 4, 0,
                                      2000, processing::GainKind::None,      1};
        dialog.SetSettings(low);
        return dialog.Apply();
    };
    const struct
    {
        const char* name;
        std::function<void()> edit;
    } steps[] = {
        {"端部", [&] { At(20, ID_MARKER_END); }},
        {"底部", [&] { At(300, ID_MARKER_BOTTOM); }},
        {"自由端", [&] { At(60, ID_MARKER_FREEEND); }},
        {"评判标准", [&] { panel.ClickCriterion(2); }},
        {"缺陷起点", [&] { At(120, ID_MARKER_DEFECTSTART); }},
        {"波速", [&] { View(0).OnCommand(ID_SET_WAVESPEED); }},
        {"幅值", [&] { View(0).OnKeyDown(VK_UP); }},
        {"信号处理", [&] { frame->Action(ID_VIEW_PROCESSING)->trigger(); }},
        {"清除", [&] { View(0).OnCommand(ID_MARKER_CLEAR); }},
    };
    std::vector<Seen> seen{Look()};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        s.edit();
        seen.push_back(Look());
        ASSERT_FALSE(seen.back() == seen[seen.size() - 2]) << "the edit changed nothing";
        EXPECT_EQ(Undo().text(), QStringLiteral("撤销 ") + QString::fromUtf8(s.name));
    }
    // All the way back, then all the way forward, state by state.
    for (std::size_t i = seen.size() - 1; i > 0; --i) {
        Undo().trigger();
        ASSERT_TRUE(Look() == seen[i - 1]) << steps[i - 1].name;
    }
    EXPECT_FALSE(Undo().isEnabled());
    EXPECT_FALSE(Draw().HasUnsavedChanges()); // back to the file as saved
    for (std::size_t i = 1; i < seen.size(); ++i) {
        Redo().trigger();
        ASSERT_TRUE(Look() == seen[i]) << steps[i - 1].name;
    }
    EXPECT_FALSE(Redo().isEnabled());
}

// A save keeps the history; another test starts a new one.
TEST_F(UndoTest, SaveKeepsTheHistoryAndALoadStartsANewOne)
{
    At(20, ID_MARKER_END);
    ASSERT_TRUE(Draw().SaveInPlace());
    EXPECT_TRUE(Undo().isEnabled());
    Undo().trigger();
    EXPECT_TRUE(Draw().HasUnsavedChanges()); // the file holds the end marker
    Open(WriteRecord(QStringLiteral("MG0002.mg")));
    EXPECT_FALSE(Undo().isEnabled());
    EXPECT_FALSE(Redo().isEnabled());
}

} // namespace
} // namespace rovana::test
