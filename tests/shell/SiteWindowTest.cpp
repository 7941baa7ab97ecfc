// The folder's site file and its calibration in the window: no writer touches a site file
// it cannot read, the status bar and the dialogs say so; a folder calibration asks first,
// goes through the journal, shows the new speed on screen and is no step of the history;
// 恢复原波速 gives every byte back.
#include "ShellTestSupport.h"

#include "CalibrationDialog.h"
#include "CalibrationJournal.h"
#include "FileListDialog.h"
#include "FolderCalibration.h"
#include "PosixTestSupport.h"
#include "ProcessingDialog.h"
#include "SiteStore.h"
#include "site/HostileSite.h"
#include "site/MarkedFile.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QUndoStack>

#include <cstring>

namespace rovana::test {
namespace {

class SiteWindowTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        m_First = Write(QStringLiteral("MG0001.mg"), MarkedFile());
        Write(QStringLiteral("MG0002.mg"), MarkedFileAt(4200, {15, 60, 300, 0, 0}, 1));
        Draw().m_fnMessage = [this](const QString& text) { viewMessages << text; };
        Draw().m_fnConfirm = [this](const QString& question) {
            asked << question;
            return confirm;
        };
        Draw().m_fnShowReport = [this](const FileListReport& report) { reports << report; };
    }
    QString Site() const { return SitePath(m_strFolder); }
    QMap<QString, QByteArray> Tests() const
    {
        return {{"MG0001.mg", ReadBytes(m_strFolder + "/MG0001.mg")},
                {"MG0002.mg", ReadBytes(m_strFolder + "/MG0002.mg")}};
    }
    // 由已知长度标定波速 on channel 1 with `known` metres and `choice`; the dialog's warning.
    QString Calibrate(const QString& known, CalibrationDialog::Choice choice)
    {
        QString warning;
        Draw().m_fnRunCalibration = [&](CalibrationDialog& dialog) {
            if (const auto* label = dialog.findChild<QLabel*>(QStringLiteral("siteWarning")))
                warning = label->text();
            dialog.LengthEdit()->setText(known);
            dialog.Choose(choice);
        };
        Draw().CalibrateWaveSpeed(0);
        return warning;
    }
    // 信号处理 → 确定 with a low-pass; the dialog's warning.
    QString Process()
    {
        QString warning;
        frame->m_fnRunProcessing = [&](ProcessingDialog& dialog) {
            if (const auto* label = dialog.findChild<QLabel*>(QStringLiteral("siteWarning")))
                warning = label->text();
            processing::ChainSettings low;
            low.enabled = true;
            low.filter = processing::FilterKind::LowPass;
            low.highHz = 2000.0;
            dialog.SetSettings(low);
            return dialog.Apply();
        };
        frame->Action(ID_VIEW_PROCESSING)->trigger();
        return warning;
    }

    QString m_First;
    bool confirm = true;
    QStringList viewMessages, asked;
    QList<FileListReport> reports;
};

// Every writer of the site file against every site file it must not write: the test files,
// the site file and the folder stay as they were; the status bar, the dialog that would
// write and the message or question say why.
TEST_F(SiteWindowTest, NoWriterTouchesASiteFileItCannotRead)
{
    confirm = false; // no fresh start
    const char* writers[] = {"processing", "reference", "calibration"};
    for (const HostileSite& hostile : HostileSites()) {
        for (const char* writer : writers) {
            const std::string row = std::string(hostile.name) + " / " + writer;
            RemoveTree(Site().toLocal8Bit());
            QFile::remove(m_strFolder + "/l2.json");
            QFile::remove(m_strFolder + "/shared.json");
            ASSERT_TRUE(hostile.make(m_strFolder)) << row;
            const QMap<QString, QByteArray> folder = FolderImage(m_strFolder);
            const QString warning = SiteWarning(hostile.reason);
            Draw().m_strFolder.clear(); // the folder is read again as the test is opened
            Open(m_First);
            EXPECT_EQ(frame->StatusPaneText(ID_SEPARATOR), warning) << row;
            viewMessages.clear();
            asked.clear();

            QString inDialog = warning;
            if (std::strcmp(writer, "processing") == 0)
                inDialog = Process();
            else if (std::strcmp(writer, "reference") == 0)
                Draw().SetReferenceToCurrent(0);
            else
                inDialog = Calibrate(QStringLiteral("3.675"), CalibrationDialog::Choice::Folder);

            EXPECT_EQ(FolderImage(m_strFolder), folder) << row;
            EXPECT_EQ(inDialog, warning) << row;
            EXPECT_EQ(frame->StatusPaneText(ID_SEPARATOR), warning) << row;
            const QStringList& told = hostile.keepable ? asked : viewMessages;
            ASSERT_EQ(told.size(), 1) << row;
            EXPECT_TRUE(told[0].startsWith(warning)) << row;
            EXPECT_TRUE(reports.isEmpty()) << row;
        }
    }
}

// Offered a fresh start, the engineer keeps the old file beside the new one, which then
// holds what was set.
TEST_F(SiteWindowTest, AFreshStartKeepsTheOldFileAndThenWrites)
{
    const QByteArray broken = R"({"version": 1, "mine": [1, 2],})";
    for (const bool processing : {true, false}) {
        for (const QString& name : QDir(m_strFolder).entryList({"rovana-site.json*"}))
            QFile::remove(m_strFolder + '/' + name);
        ASSERT_TRUE(WriteBytes(Site(), broken));
        Draw().m_strFolder.clear();
        Open(m_First);
        asked.clear();
        if (processing)
            Process();
        else
            Draw().SetReferenceToCurrent(0);
        ASSERT_EQ(asked.size(), 1);
        const QStringList backups = QDir(m_strFolder).entryList({"rovana-site.json.bak-*"});
        ASSERT_EQ(backups.size(), 1);
        EXPECT_EQ(ReadBytes(m_strFolder + '/' + backups[0]), broken);
        EXPECT_TRUE(frame->StatusPaneText(ID_SEPARATOR).contains(backups[0]));
        const SiteFile site = SiteStore(m_strFolder).Site();
        if (processing)
            EXPECT_EQ(site.chain.highHz, 2000.0);
        else
            EXPECT_EQ(site.referenceFile, QStringLiteral("MG0001.mg"));
        EXPECT_EQ(Draw().m_Chain, site.chain);
        EXPECT_EQ(Draw().m_strReferenceFile, site.referenceFile);
    }
}

TEST_F(SiteWindowTest, AFolderCalibrationAsksWritesThroughTheJournalAndComesBack)
{
    const QMap<QString, QByteArray> original = Tests();
    Open(m_First);
    // 取消 at the question: nothing written, nothing recorded.
    confirm = false;
    Calibrate(QStringLiteral("3.675"), CalibrationDialog::Choice::Folder);
    EXPECT_EQ(asked, QStringList{QStringLiteral("将改写 2 个测试文件的波速为 3675 m/s。确定？")});
    EXPECT_EQ(Tests(), original);
    EXPECT_EQ(FolderEntries(m_strFolder), (QStringList{"MG0001.mg", "MG0002.mg"}));

    confirm = true;
    Calibrate(QStringLiteral("3.675"), CalibrationDialog::Choice::Folder);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].AllWell());
    EXPECT_EQ(reports[0].summary, QStringLiteral("波速 3675 m/s 已写入 2 个测试文件。"));
    EXPECT_EQ(reports[0].done, (QStringList{"MG0001.mg", "MG0002.mg"}));
    EXPECT_EQ(SiteStore(m_strFolder).Site().calibration->previousWaveSpeed, 3500);
    // The screen shows the file as it is now, with nothing unsaved and no step to undo.
    EXPECT_EQ(Draw().m_CurData.m_nWaveSpeed, 3675);
    EXPECT_FALSE(Draw().HasUnsavedChanges());
    EXPECT_EQ(Draw().m_pUndo->count(), 0);

    // 恢复原波速: every file its own speed and bytes back.
    Calibrate(QString(), CalibrationDialog::Choice::Restore);
    EXPECT_EQ(asked.last(), QStringLiteral("将恢复 2 个测试文件标定前的波速。确定？"));
    EXPECT_EQ(Tests(), original);
    EXPECT_EQ(Draw().m_CurData.m_nWaveSpeed, 3500);
    EXPECT_FALSE(SiteStore(m_strFolder).Site().calibration.has_value());
    EXPECT_FALSE(QFile::exists(m_strFolder + '/' + kCalibrationJournalName));
}

// The calibration dialog shows the site file as it is now, also after another program
// took the calibration back.
TEST_F(SiteWindowTest, TheDialogShowsTheSiteFileAsItIsNow)
{
    Open(m_First);
    Calibrate(QStringLiteral("3.675"), CalibrationDialog::Choice::Folder);
    SiteStore other(m_strFolder);
    ASSERT_FALSE(RestoreFolderCalibration(other).HasFailures());
    QStringList labels;
    Draw().m_fnRunCalibration = [&](CalibrationDialog& dialog) {
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            labels << label->text();
        for (const QPushButton* button : dialog.findChildren<QPushButton*>())
            labels << button->text();
    };
    Draw().CalibrateWaveSpeed(0);
    EXPECT_FALSE(labels.join('|').contains(QStringLiteral("上次标定")))
        << labels.join('|').toStdString();
    EXPECT_FALSE(labels.contains(QStringLiteral("恢复原波速")));
}

// The test on screen with unsaved edits is saved first, as the question says.
TEST_F(SiteWindowTest, UnsavedEditsAreSavedBeforeTheFolderIsCalibrated)
{
    Open(m_First);
    Draw().EditStep(QStringLiteral("自由端"), [this] {
        EditInputs in = Draw().m_Edit.Inputs();
        in.channels[0].set[kMarkerFreeEnd] = true;
        in.channels[0].pos[kMarkerFreeEnd] = 60;
        Draw().m_Edit.SetInputs(in);
    });
    ASSERT_TRUE(Draw().HasUnsavedChanges());
    Calibrate(QStringLiteral("3.675"), CalibrationDialog::Choice::Folder);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].endsWith(QStringLiteral("\nMG0001 未保存的修改将先保存。")));
    TestRecord r;
    ASSERT_TRUE(r.Load(m_First));
    EXPECT_EQ(r.m_nMarkers[0][kMarkerFreeEnd], 60);
    EXPECT_EQ(r.m_nWaveSpeed, 3675);
    EXPECT_FLOAT_EQ(r.m_fMeasured[0][0], 0.73f); // 40 samples at 3675 m/s, cut
}

// A folder calibration writes what the window's own save writes at that speed: the same
// length rule, class rule and report copies.
TEST_F(SiteWindowTest, ACalibratedFileIsWhatTheWindowSavesAtThatSpeed)
{
    const QByteArray sample = ReadBytes(QStringLiteral(ROVANA_SAMPLES_DIR "/MG0003.mg"));
    const QString other = m_Dir.path() + "/site2";
    ASSERT_TRUE(QDir().mkpath(other));
    ASSERT_TRUE(WriteBytes(other + "/MG0003.mg", sample));
    Open(Write(QStringLiteral("MG0003.mg"), sample));
    Draw().m_nActiveChannel = 1;
    Calibrate(QStringLiteral("6.5"), CalibrationDialog::Choice::ThisTest);
    ASSERT_EQ(Draw().m_CurData.m_nWaveSpeed, 4127);
    ASSERT_TRUE(Draw().SaveInPlace());

    SiteStore store(other);
    const CalibrationOutcome r = ApplyFolderCalibration(
        store, PlanFolderCalibration(other, 4127, {"MG0003.mg", 6.5, 4127, 3800, {}}));
    ASSERT_EQ(r.changed, QStringList{"MG0003.mg"});
    EXPECT_EQ(ChangedBytes(ReadBytes(other + "/MG0003.mg"), ReadBytes(m_strFolder + "/MG0003.mg")),
              QList<int>{});
}

// Many files: a list that scrolls, failures first, the information icon only when all
// went well.
TEST_F(SiteWindowTest, TheResultIsAScrollableListWithFailuresFirst)
{
    Write(QStringLiteral("MG0000.mg"), QByteArray(100, 'x'));
    Open(m_First);
    Calibrate(QStringLiteral("3.675"), CalibrationDialog::Choice::Folder);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_FALSE(reports[0].AllWell());
    ASSERT_FALSE(reports[0].Lines().isEmpty());
    EXPECT_TRUE(reports[0].Lines()[0].startsWith(QStringLiteral("MG0000.mg：无法读取文件")));

    FileListReport many;
    many.summary = QStringLiteral("波速 4127 m/s 已写入 200 个测试文件。");
    for (int i = 0; i < 200; ++i)
        many.done << QStringLiteral("MG%1.mg").arg(i, 4, 10, QLatin1Char('0'));
    FileListDialog dialog(many);
    dialog.show();
    EXPECT_LE(dialog.height(), 600);
    EXPECT_EQ(dialog.List()->count(), 200);
    EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("information")));
    many.failed << QStringLiteral("MG0200.mg：磁盘已满，无法创建文件");
    FileListDialog failed(many);
    EXPECT_EQ(failed.List()->item(0)->text(), many.failed[0]);
    EXPECT_TRUE(failed.findChild<QLabel*>(QStringLiteral("warning")));
}

// Undoing 信号处理 writes through the site store: a site file broken since is left alone.
TEST_F(SiteWindowTest, UndoingTheProcessingWritesThroughTheStore)
{
    Open(m_First);
    Process();
    ASSERT_EQ(SiteStore(m_strFolder).Site().chain.highHz, 2000.0);
    Draw().m_pUndo->undo();
    EXPECT_FALSE(SiteStore(m_strFolder).Site().chain.enabled);
    Draw().m_pUndo->redo();
    const QByteArray broken = R"({"version": 1,})";
    ASSERT_TRUE(WriteBytes(Site(), broken));
    Draw().m_pUndo->undo();
    EXPECT_EQ(ReadBytes(Site()), broken);
    EXPECT_TRUE(asked.isEmpty()); // an undo asks nothing
    EXPECT_EQ(frame->StatusPaneText(ID_SEPARATOR), SiteWarning("第 15 字节处 JSON 格式错误"));
    EXPECT_FALSE(Draw().m_Chain.enabled); // undone on screen, for this run
}

} // namespace
} // namespace rovana::test
