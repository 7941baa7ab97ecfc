// Leaving a test with unsaved changes asks first: 保存 writes them into the test's own file,
// 不保存 drops them, 取消 keeps everything as it was. A change undone is no change.
#include "ShellTestSupport.h"

#include "AnalysisSave.h"
#include "MgLayout.h"

#include <QCloseEvent>

namespace rovana::test {
namespace {

using Answer = MainWindow::UnsavedAnswer;

class UnsavedChangesTest : public FrameTest
{
protected:
    // MG0003.mg measured on channel 1 (3.50 m of 3.50, grade B), and MG0004.mg fresh.
    void SetUp() override
    {
        FrameTest::SetUp();
        const AnalysisValues v = MeasuredChannelOne();
        QByteArray bytes = ComposeInstrumentFile(SampleRecord());
        PatchAnalysis(bytes, v);
        first = Write(QStringLiteral("MG0003.mg"), bytes);
        second = WriteRecord(QStringLiteral("MG0004.mg"));
        original = ReadBytes(first);
        Open(first);
    }
    int StoredGrade() { return ReadInt32(ReadBytes(first), mg::kEvaluation); }

    QString first, second;
    QByteArray original;
};

TEST_F(UnsavedChangesTest, EveryWayOutAsksAndFollowsTheAnswer)
{
    const struct
    {
        const char* way; // tree, open or close
        Answer answer;
    } rows[] = {
        {"tree", Answer::Cancel},   {"tree", Answer::Discard}, {"tree", Answer::Save},
        {"open", Answer::Cancel},   {"open", Answer::Save},    {"close", Answer::Cancel},
        {"close", Answer::Discard},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.way) + " " + std::to_string(static_cast<int>(r.answer)));
        ASSERT_TRUE(WriteBytes(first, original));
        Open(first);
        questions.clear();
        frame->m_pEvaluationPanel->ClickCriterion(3); // D: a change
        unsavedAnswer = r.answer;
        bool left = false;
        if (QString::fromUtf8(r.way) == QStringLiteral("close")) {
            QCloseEvent event;
            QApplication::sendEvent(frame.get(), &event);
            left = event.isAccepted();
        } else {
            if (QString::fromUtf8(r.way) == QStringLiteral("tree")) {
                Tree().setCurrentItem(Tree().RootItem()->child(1)); // as the click does
                frame->LoadFromTree(second);
            } else
                Open(second);
            left = Draw().m_strCurPath == second;
        }
        EXPECT_EQ(questions, QStringList{QStringLiteral("MG0003")});
        EXPECT_EQ(left, r.answer != Answer::Cancel);
        EXPECT_EQ(StoredGrade(), r.answer == Answer::Save ? 3 : 1);
        if (r.answer == Answer::Cancel) {
            EXPECT_EQ(Draw().m_strCurPath, first);
            EXPECT_EQ(Draw().m_Edit.Marks(0).grade, 3); // the change stays
            EXPECT_EQ(Tree().currentItem(), Tree().OpenFileItem());
        }
    }
}

TEST_F(UnsavedChangesTest, NoQuestionWithoutAChangeOrAfterItWasUndone)
{
    frame->LoadFromTree(second);
    Open(first);
    frame->m_pEvaluationPanel->ClickCriterion(3);
    frame->m_pEvaluationPanel->ClickCriterion(1); // back to B
    frame->LoadFromTree(second);
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(Draw().m_strCurPath, second);
    EXPECT_EQ(ReadBytes(first), original);
}

// The inspection report reads the folder's files: unsaved work on the test on screen is
// offered for saving first, and the report reads what the answer leaves in the file.
TEST_F(UnsavedChangesTest, TheInspectionReportAsksFirst)
{
    const struct
    {
        Answer answer;
        bool reads;    // the report goes on to read the folder
        int gradeRead; // the grade in MG0003.mg when it does
    } rows[] = {
        {Answer::Cancel, false, 0},
        {Answer::Discard, true, 1},
        {Answer::Save, true, 3},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.answer));
        ASSERT_TRUE(WriteBytes(first, original));
        Open(first);
        questions.clear();
        frame->m_pEvaluationPanel->ClickCriterion(3); // D: a change
        unsavedAnswer = r.answer;
        bool read = false;
        int grade = 0;
        frame->m_ReportHooks.confirm = [](const QString&) { return true; };
        frame->m_ReportHooks.progress = [](const QString&, int, int) { return true; };
        frame->m_ReportHooks.saveName = [&](const QString&) {
            read = true;
            grade = StoredGrade();
            return QString(); // no file: what was read is all this test needs
        };
        frame->Action(ID_FILE_INSPECTION_REPORT)->trigger();
        EXPECT_EQ(questions, QStringList{QStringLiteral("MG0003")});
        EXPECT_EQ(read, r.reads);
        if (r.reads) {
            EXPECT_EQ(grade, r.gradeRead);
        }
        EXPECT_EQ(Draw().m_Edit.Marks(0).grade, 3); // the engineer's change stays on screen
    }
}

} // namespace
} // namespace rovana::test
