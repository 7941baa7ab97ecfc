// The inspection report in the window: 检测报告设置 edits the site's texts through its store
// (what the files agree on shown, what they disagree on marked, a site file it cannot read
// never written), and 生成检测报告 asks first, writes through the safe writer, and writes
// nothing when the question, the file dialog or the progress bar says stop.
#include "CommandIds.h"
#include "FileTree.h"
#include "MainWindow.h"
#include "ReportSettingsEditor.h"
#include "SiteStore.h"
#include "report/PdfText.h"
#include "summary/SummaryTestFiles.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace rovana {
namespace {

class InspectionReportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        frame.SetMessageSink([](const QString&) {});
        frame.SetUnsavedQuestion([](const QString&) { return MainWindow::UnsavedAnswer::Discard; });
        frame.m_ReportHooks.confirm = [this](const QString& question) {
            asked << question;
            return answer;
        };
        frame.m_ReportHooks.saveName = [this](const QString& proposed) {
            this->proposed = proposed;
            return target;
        };
        frame.m_ReportHooks.message = [this](const QString& text) { messages << text; };
    }
    void OpenFolder()
    {
        frame.TreePane()->m_strFolder = site.Folder();
        frame.TreePane()->RefreshTree();
    }
    QString SitePath() const { return site.Path(QStringLiteral("rovana-site.json")); }

    test::SiteFolder site; // a class IV bolt, two not evaluated, one 请复核, one unreadable
    MainWindow frame;
    QStringList asked, messages;
    bool answer = true;
    QString proposed, target;
};

TEST_F(InspectionReportTest, SettingsShowWhatTheFilesAgreeOnAndAreKeptByTheSiteStore)
{
    QAction* action = frame.Action(ID_FILE_REPORT_SETTINGS);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QStringLiteral("检测报告设置..."));
    EXPECT_FALSE(action->isEnabled());
    OpenFolder();
    EXPECT_TRUE(action->isEnabled());
    ASSERT_TRUE(test::WriteBytes(SitePath(), R"({"future": {"kept": true}})"));

    int runs = 0;
    frame.m_fnRunReportSettings = [&](ReportSettingsEditor& dialog) {
        ++runs;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("检测报告设置"));
        EXPECT_EQ(dialog.Hint(ReportField::TestUnit), QStringLiteral("取自测试文件：岩土检测中心"));
        EXPECT_TRUE(
            dialog.Hint(ReportField::ProjectName).startsWith(QStringLiteral("测试文件不一致：")))
            << dialog.Hint(ReportField::ProjectName).toStdString();
        EXPECT_TRUE(dialog.Hint(ReportField::ProjectName).contains(QStringLiteral("边坡支护")));
        EXPECT_TRUE(dialog.Hint(ReportField::Client).isEmpty());
        EXPECT_TRUE(dialog.OkButton()->isEnabled());
        static_cast<QLineEdit*>(dialog.Editor(ReportField::Client))
            ->setText(QStringLiteral(" 市建设局 "));
        static_cast<QPlainTextEdit*>(dialog.Editor(ReportField::Conclusion))
            ->setPlainText(QStringLiteral("经检测，合格。"));
        EXPECT_TRUE(dialog.Save());
    };
    action->trigger();
    EXPECT_EQ(runs, 1);
    const SiteStore kept(site.Folder());
    EXPECT_EQ(kept.Site().report[ReportField::Client], QStringLiteral("市建设局"));
    EXPECT_EQ(kept.Site().report[ReportField::Conclusion], QStringLiteral("经检测，合格。"));
    EXPECT_TRUE(kept.Site().document.contains(QStringLiteral("future")));

    // A site file the store cannot read: said, OK disabled, never written.
    const QByteArray broken = R"({"report": {"reportNo": 12}})";
    ASSERT_TRUE(test::WriteBytes(SitePath(), broken));
    frame.m_fnRunReportSettings = [&](ReportSettingsEditor& dialog) {
        ++runs;
        EXPECT_FALSE(dialog.OkButton()->isEnabled());
        QString said;
        dialog.SetMessageSink([&said](const QString& text) { said = text; });
        EXPECT_FALSE(dialog.Save());
        EXPECT_TRUE(said.contains(QStringLiteral("站点设置文件无法读取"))) << said.toStdString();
    };
    action->trigger();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(test::ReadBytes(SitePath()), broken);
}

TEST_F(InspectionReportTest, GenerationAsksFirstAndACancelWritesNothing)
{
    QAction* action = frame.Action(ID_FILE_INSPECTION_REPORT);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QStringLiteral("生成检测报告..."));
    OpenFolder();
    QTemporaryDir out;
    target = out.filePath(QStringLiteral("report.pdf"));
    const QByteArray old = "an earlier report";
    ASSERT_TRUE(test::WriteBytes(target, old));

    // "否" to the question: no file dialog, nothing written.
    answer = false;
    action->trigger();
    EXPECT_EQ(asked, QStringList{"1 个文件无法读取，2 根未评定，1 根请复核，仍然生成？"});
    EXPECT_TRUE(proposed.isEmpty());
    EXPECT_EQ(test::ReadBytes(target), old);

    // The progress bar's 取消, while reading and while writing: nothing written.
    answer = true;
    for (const QString& stage :
         {QStringLiteral("正在读取文件…"), QStringLiteral("正在生成检测报告…")}) {
        frame.m_ReportHooks.progress = [&stage](const QString& label, int done, int) {
            return !(label == stage && done > 2);
        };
        ReportGeneration generation(&frame, frame.m_ReportHooks);
        EXPECT_EQ(generation.Run(site.Folder()), ReportGeneration::Outcome::Cancelled)
            << stage.toStdString();
        EXPECT_EQ(test::ReadBytes(target), old) << stage.toStdString();
        EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{"report.pdf"});
    }

    // Yes, and the file dialog's name: the PDF is written, the proposal is in the folder.
    frame.m_ReportHooks.progress = {};
    frame.m_ReportHooks.progress = [](const QString&, int, int) { return true; };
    messages.clear();
    action->trigger();
    EXPECT_EQ(proposed,
              QDir(site.Folder())
                  .filePath(QFileInfo(site.Folder()).fileName() + QStringLiteral("检测报告.pdf")));
    ASSERT_NE(test::ReadBytes(target), old);
    EXPECT_TRUE(test::ReadBytes(target).startsWith("%PDF"));
    EXPECT_TRUE(
        test::PdfPageText(target, 1).out.contains(QStringLiteral("锚杆锚固质量无损检测报告")));
    EXPECT_EQ(messages, QStringList{QStringLiteral("已生成检测报告: ") + target});

    // A site file that cannot be read is said first; "否" writes nothing.
    const QByteArray broken = R"({"report": []})";
    ASSERT_TRUE(test::WriteBytes(SitePath(), broken));
    asked.clear();
    answer = false;
    const QByteArray written = test::ReadBytes(target);
    action->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked.front().startsWith(QStringLiteral("站点设置文件无法读取")))
        << asked.front().toStdString();
    EXPECT_TRUE(asked.front().endsWith(QStringLiteral("1 根请复核，仍然生成？")));
    EXPECT_EQ(test::ReadBytes(target), written);
    EXPECT_EQ(test::ReadBytes(SitePath()), broken);
    answer = true;

    // An ODT by its suffix; a test file as the target is refused and left alone.
    target = out.filePath(QStringLiteral("report.odt"));
    action->trigger();
    EXPECT_TRUE(test::ReadBytes(target).startsWith("PK"));
    const QString mg = site.Path(QStringLiteral("A01.mg"));
    const QByteArray mgBytes = test::ReadBytes(mg);
    target = mg;
    messages.clear();
    action->trigger();
    EXPECT_EQ(test::ReadBytes(mg), mgBytes);
    ASSERT_EQ(messages.size(), 1);
}

} // namespace
} // namespace rovana
