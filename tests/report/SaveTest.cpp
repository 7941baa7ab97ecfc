#include "AnalysisSave.h"
#include "BitmapFile.h"
#include "ChannelView.h"
#include "DisplaySettings.h"
#include "EditSupport.h"
#include "EvaluationPanel.h"
#include "FakeFrame.h"
#include "ProgramMessage.h"
#include "ReportView.h"
#include "ReportViewHost.h"
#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rovana {
namespace {

using Frame = test::FakeFrame;

class SaveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_original = ComposeInstrumentFile(test::SampleRecord());
        ASSERT_TRUE(test::WriteBytes(m_dir.filePath("MG0001.mg"), m_original));
        view.m_strFolder = m_dir.path();
        view.m_strCurPath = m_dir.filePath("MG0001.mg");
        ASSERT_TRUE(test::OpenInView(view, view.m_strCurPath));
        view.m_fnMessage = [this](const QString& text) { messages.append(text); };
        view.resize(400, 400);
    }

    QTemporaryDir m_dir;
    QByteArray m_original;
    Frame frame;
    ReportView view{&frame};
    QStringList messages;
};

TEST_F(SaveTest, CopyHoldsTheTestsMarkersAndEvaluation)
{
    test::SetMarker(view, 2, kMarkerEnd, 20);
    test::SetMarker(view, 2, kMarkerFreeEnd, 60);
    test::SetMarker(view, 2, kMarkerBottom, 220);
    view.m_Edit.SetGrade(2, 1);
    view.m_nActiveChannel = 2;
    view.m_Edit.SetWaveSpeed(3600);
    QString proposed;
    view.m_fnAskSavePath = [&](const QString& name) {
        proposed = name;
        return m_dir.filePath("copy.mg");
    };
    ASSERT_TRUE(view.SaveCopyWithResults());
    EXPECT_EQ(proposed, view.m_strFolder + "/MG0001.mg"); // in the test's folder
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(test::ReadBytes(view.m_strCurPath), m_original);

    TestRecord copy;
    ASSERT_TRUE(copy.Load(m_dir.filePath("copy.mg")));
    EXPECT_EQ(copy.m_nMarkedChannels, 1);
    EXPECT_EQ(copy.m_nMarkers[2], (std::array<int, 5>{20, 60, 220, 0, 0}));
    // 40 and 200 samples of 10 µs at 3600 m/s: 0.72 m (0.7199999 cut to 0.71) and 3.60 m.
    EXPECT_EQ(copy.m_fMeasured[2][0], 0.71f);
    EXPECT_FLOAT_EQ(copy.m_fMeasured[2][1], 3.6f - 0.71f);
    EXPECT_EQ(copy.m_nGrade[2], 1);
    EXPECT_EQ(copy.m_nQualityClass[2], 1);
    EXPECT_EQ(copy.m_nReportChannel, 2);
    EXPECT_EQ(copy.m_nWaveSpeed, 3600);
    EXPECT_EQ(test::ReadBytes(m_dir.filePath("copy.mg")).size(), m_original.size());
    EXPECT_TRUE(view.HasUnsavedChanges()); // a copy elsewhere: the test's file is unchanged
}

// The rule stays that a save reports the selected channel; the window says when that
// changes the report channel, and marks the view of the channel the sheet reports.
TEST_F(SaveTest, ASaveThatChangesTheReportChannelSaysSo)
{
    ASSERT_EQ(view.m_Edit.Inputs().reportChannel, 0);
    view.m_nActiveChannel = 1; // a look at channel 2, then Ctrl+S
    EXPECT_FALSE(view.HasUnsavedChanges()); // a look is no change
    ASSERT_TRUE(view.SaveInPlace());
    EXPECT_EQ(frame.panes.value(0), QStringLiteral("报告通道改为通道2"));
    EXPECT_EQ(view.m_Edit.Inputs().reportChannel, 1);
    EXPECT_TRUE(view.m_pChannelView[1]->DrawingInput().reportChannel);
    EXPECT_FALSE(view.m_pChannelView[0]->DrawingInput().reportChannel);
    frame.panes.clear();
    ASSERT_TRUE(view.SaveInPlace()); // the same channel again: nothing to say
    EXPECT_FALSE(frame.panes.contains(0));
}

TEST_F(SaveTest, CancelWritesNothingAndMissingSourceSaysSo)
{
    view.m_fnAskSavePath = [](const QString&) { return QString(); };
    EXPECT_FALSE(view.SaveCopyWithResults());
    EXPECT_TRUE(messages.isEmpty());

    view.m_strCurPath = m_dir.filePath("gone.mg");
    view.m_fnAskSavePath = [&](const QString&) { return m_dir.filePath("copy.mg"); };
    EXPECT_FALSE(view.SaveCopyWithResults());
    EXPECT_EQ(messages, QStringList{QStringLiteral("无法读取文件")});
    EXPECT_FALSE(QFile::exists(m_dir.filePath("copy.mg")));
}

TEST_F(SaveTest, PathWhoseOnlySeparatorIsFirstProposesAnEmptyName)
{
    view.m_strCurPath = "/MG0001.mg";
    QString proposed = "unset";
    view.m_fnAskSavePath = [&](const QString& name) {
        proposed = name;
        return QString();
    };
    view.SaveCopyWithResults();
    EXPECT_TRUE(QFileInfo(proposed).fileName().isEmpty()) << proposed.toStdString();
}

TEST_F(SaveTest, PictureLiesNextToTheTestFile)
{
    ASSERT_TRUE(view.SaveViewPicture());
    const QString picture = m_dir.filePath("MG0001.bmp");
    ASSERT_TRUE(QFile::exists(picture));
    EXPECT_EQ(messages, QStringList{QStringLiteral("图片已保存至%1").arg(picture)});
    const QByteArray bmp = test::ReadBytes(picture);
    EXPECT_TRUE(bmp.startsWith("BM"));
    EXPECT_EQ(test::ReadBytes(view.m_strCurPath), m_original);

    view.m_strCurPath = m_dir.filePath("UPPER.MG"); // never replaced by its picture
    ASSERT_TRUE(test::WriteBytes(view.m_strCurPath, m_original));
    ASSERT_TRUE(view.SaveViewPicture());
    EXPECT_EQ(test::ReadBytes(view.m_strCurPath), m_original);
    EXPECT_TRUE(QFile::exists(m_dir.filePath("UPPER.bmp")));

    view.m_strCurPath.clear(); // no test on screen: refused, not "./.bmp"
    messages.clear();
    EXPECT_FALSE(view.SaveViewPicture());
    EXPECT_EQ(messages, QStringList{QStringLiteral("未有选择文件，请重试！")});
    EXPECT_FALSE(QFile::exists(QStringLiteral(".bmp")));
}

TEST(ProgramMessageTest, ConfirmationsInformErrorsWarn)
{
    const struct
    {
        const char* text;
        QMessageBox::Icon icon;
    } rows[] = {
        {"已保存！", QMessageBox::Information},
        {"图片已保存至/data/MG0001.bmp", QMessageBox::Information},
        {"无法读取文件", QMessageBox::Warning},
        {"无法创建文件", QMessageBox::Warning},
        {"文件不存在！", QMessageBox::Warning},
        {"未有选择文件，请重试！", QMessageBox::Warning},
    };
    for (const auto& r : rows)
        EXPECT_EQ(MessageIcon(QString::fromUtf8(r.text)), r.icon) << r.text;
}

} // namespace
} // namespace rovana
