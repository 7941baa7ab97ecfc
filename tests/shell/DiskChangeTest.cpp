// The test on screen changed on disk by another program: the window says so at once with
// the unsaved edits a reload would drop, a save onto the changed file asks (覆盖 / 另存为 /
// 取消) and never overwrites silently, its own saves are no change, and a reload starts a
// new history.
#include "ShellTestSupport.h"

#include "AnalysisSave.h"
#include "DiskChangeBar.h"
#include "MgFileIo.h"
#include "TestFileWatcher.h"
#include "ViewCommands.h"

#include <QPushButton>
#include <QUndoStack>

namespace rovana::test {
namespace {

using Answer = ReportView::ChangedFileAnswer;

class DiskChangeTest : public FrameTest
{
protected:
    // MG0003.mg measured on channel 1 at 3500 m/s, as window B opens it.
    void SetUp() override
    {
        FrameTest::SetUp();
        AnalysisValues v = MeasuredChannelOne();
        ChannelAnalysis& c = v.channels[0];
        original = ComposeInstrumentFile(SampleRecord());
        PatchAnalysis(original, v);
        path = Write(QStringLiteral("MG0003.mg"), original);
        // What another writer makes of it: another speed, other markers and another
        // project name.
        v.waveSpeed = 4100;
        c.markerPos = {30, 60, 300, 0, 0};
        InstrumentRecord other = SampleRecord();
        other.project = QStringLiteral("隧道K13");
        theirs = ComposeInstrumentFile(other);
        PatchAnalysis(theirs, v);
        Open(path);
        Draw().m_nActiveChannel = 0;
        Draw().m_fnAskChangedFile = [this](const QString& name) {
            asked << name;
            return answers.isEmpty() ? Answer::Cancel : answers.takeFirst();
        };
    }
    // Another program replaces the file the careful way (a temporary file renamed over it).
    void TheyReplaceIt(const QByteArray& bytes) { ASSERT_TRUE(WriteWholeFileSafely(path, bytes)); }
    DiskChangeBar& Bar() { return *Draw().m_pDiskChangeBar; }
    bool WaitForBar(bool shown)
    {
        return QTest::qWaitFor([&] { return Bar().isHidden() != shown; }, 5000);
    }
    QUndoStack& History() { return *Draw().m_pUndo; }
    void ClearMarkers() { View(0).OnCommand(ID_MARKER_CLEAR); }

    QString path;
    QByteArray original, theirs;
    QStringList asked;          // the changed-file question, by file name
    QList<Answer> answers;      // its answers, in turn
    QStringList savePathsAsked; // what the save dialog proposed
};

// Window B clears a marker, another writer rewrites the file, B undoes and saves: the save
// asks, and each answer gives its bytes; nothing is overwritten without the question.
TEST_F(DiskChangeTest, ASaveOntoAChangedFileAsksAndFollowsTheAnswer)
{
    const QString copy = m_strFolder + QStringLiteral("/MG0003 - 副本.mg");
    const struct
    {
        const char* name;
        QList<Answer> answers;
        bool saved;
        QByteArray file; // MG0003.mg afterwards
        bool copied;     // a copy with the window's version beside it
        int questions;
    } rows[] = {
        {"覆盖", {Answer::Overwrite}, true, original, false, 1},
        {"另存为", {Answer::SaveAs}, true, theirs, true, 1},
        {"取消", {Answer::Cancel}, false, theirs, false, 1},
        // The test's own file chosen in 另存为 is the question again.
        {"另存为 onto itself, 取消", {Answer::SaveAs, Answer::Cancel}, false, theirs, false, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(WriteBytes(path, original));
        QFile::remove(copy);
        Open(path);
        Draw().m_nActiveChannel = 0;
        ClearMarkers();
        TheyReplaceIt(theirs);
        History().undo();
        asked.clear();
        savePathsAsked.clear();
        answers = row.answers;
        int dialogs = 0;
        Draw().m_fnAskSavePath = [&](const QString& proposed) {
            savePathsAsked << proposed;
            // The save itself onto the test's own file, then the 另存为 target.
            return ++dialogs == 1 || row.questions == 2 ? QString(proposed).remove(" - 副本")
                                                        : proposed;
        };
        EXPECT_EQ(Draw().SaveCopyWithResults(), row.saved);
        EXPECT_EQ(asked, QStringList(row.questions, QStringLiteral("MG0003.mg")));
        EXPECT_EQ(ReadBytes(path), row.file);
        EXPECT_EQ(QFileInfo::exists(copy), row.copied);
        if (row.copied) {
            EXPECT_EQ(savePathsAsked.value(1), copy); // 另存为 offers a name of its own
            EXPECT_EQ(ReadBytes(copy), original);     // the window's version, not theirs
        }
    }
}

// The save before leaving a test (保存 to the unsaved-changes question) asks too.
TEST_F(DiskChangeTest, TheSaveBeforeLeavingAsksToo)
{
    ClearMarkers();
    TheyReplaceIt(theirs);
    unsavedAnswer = MainWindow::UnsavedAnswer::Save;
    answers = {Answer::Cancel};
    Open(WriteRecord(QStringLiteral("MG0004.mg")));
    EXPECT_EQ(asked, QStringList{QStringLiteral("MG0003.mg")});
    EXPECT_EQ(Draw().m_strCurPath, path); // 取消: the test stays, with its edit
    EXPECT_EQ(ReadBytes(path), theirs);
}

// The change shows at once, whether the writer renamed a file over it or wrote into it, and
// again after 忽略 when the file changes once more: the watch follows the file.
TEST_F(DiskChangeTest, AChangeIsToldAtOnceWithTheEditsAReloadWouldDrop)
{
    ClearMarkers();
    frame->m_pEvaluationPanel->ClickCriterion(3);
    // A reader holds the file open, so the one renamed over it lives on: a watch left on it
    // would see nothing of what happens to the new one.
    QFile reader(path);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    TheyReplaceIt(theirs);
    ASSERT_TRUE(WaitForBar(true));
    EXPECT_EQ(Bar().Text(), QStringLiteral("MG0003.mg 已被其他程序修改。\n"
                                           "重新载入将放弃未保存的修改：清除、评判标准。"));
    EXPECT_FALSE(Bar().ReloadButton()->isHidden());
    History().undo(); // the list follows the history
    EXPECT_EQ(Bar().Text(), QStringLiteral("MG0003.mg 已被其他程序修改。\n"
                                           "重新载入将放弃未保存的修改：清除。"));

    Bar().DismissButton()->click();
    EXPECT_TRUE(Bar().isHidden());
    QByteArray again = theirs;
    again[700] = 'x';
    ASSERT_TRUE(WriteBytes(path, again)); // in place, into the file renamed in before
    ASSERT_TRUE(WaitForBar(true));

    Bar().DismissButton()->click();
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(WaitForBar(true));
    EXPECT_EQ(Bar().Text(), QStringLiteral("MG0003.mg 已被其他程序删除或移走。\n"
                                           "未保存的修改：清除，可另存为保留。"));
    EXPECT_TRUE(Bar().ReloadButton()->isHidden());
}

// The window looks at the file when it is activated, before any watch has reported.
TEST_F(DiskChangeTest, ActivationLooksAtTheFile)
{
    ShowFrame();
    TheyReplaceIt(theirs);
    ASSERT_TRUE(Bar().isHidden());
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(frame.get(), &activation);
    EXPECT_FALSE(Bar().isHidden());
}

// The window's own saves are no change: no notice, no question at the next save.
TEST_F(DiskChangeTest, OwnSavesAreNoChange)
{
    Draw().m_fnAskSavePath = [](const QString& proposed) { return proposed; };
    ClearMarkers();
    ASSERT_TRUE(Draw().SaveCopyWithResults());
    ASSERT_TRUE(Draw().SaveInPlace());
    QTest::qWait(500); // the watch has reported the writes by now
    EXPECT_TRUE(Bar().isHidden());
    History().undo();
    ASSERT_TRUE(Draw().SaveCopyWithResults());
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(ReadBytes(path), original);
    QTest::qWait(500);
    EXPECT_TRUE(Bar().isHidden());
}

// 重新载入 takes the file as it is now, asks nothing about the edits the bar listed, and
// starts a new history: nothing to undo into the replaced version.
TEST_F(DiskChangeTest, ReloadTakesTheFileAndDropsTheHistory)
{
    ClearMarkers();
    TheyReplaceIt(theirs);
    ASSERT_TRUE(WaitForBar(true));
    Bar().ReloadButton()->click();
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_TRUE(Bar().isHidden());
    EXPECT_EQ(Draw().m_CurData.m_nWaveSpeed, 4100);
    EXPECT_EQ(StateOf(View(0)), (MarkerState{{1, 1, 1, 0, 0}, {30, 60, 300, 0, 0}}));
    EXPECT_EQ(History().count(), 0);
    EXPECT_FALSE(frame->Action(ID_EDIT_UNDO)->isEnabled());
    EXPECT_FALSE(Draw().HasUnsavedChanges());
    // The reloaded file is the file as loaded: its save asks nothing.
    Draw().m_fnAskSavePath = [](const QString& proposed) { return proposed; };
    ASSERT_TRUE(Draw().SaveCopyWithResults());
    EXPECT_TRUE(asked.isEmpty());
    TestRecord saved;
    ASSERT_TRUE(saved.Load(path));
    EXPECT_EQ(saved.m_nWaveSpeed, 4100);
    EXPECT_EQ(saved.m_nMarkers[0], (Markers{30, 60, 300, 0, 0}));
}

} // namespace
} // namespace rovana::test
