// "由已知长度标定波速" in the report view: the speed of a bolt of known length for this test
// (an edit of the test on screen, written by its save), for every test of the folder
// (through the calibration journal, after asking), or the folder's last calibration taken
// back (恢复原波速).
#include "ReportView.h"

#include "CalibrationDialog.h"
#include "ChannelView.h"
#include "EvaluationPanel.h"
#include "FileListDialog.h"
#include "FolderCalibration.h"
#include "NativePath.h"
#include "ReportViewHost.h"
#include "SiteStore.h"
#include "SiteWaveSpeed.h"

#include <QDate>
#include <QFileInfo>
#include <QProgressDialog>

namespace rovana {

namespace {

// The failures and notes of a change to many files, as lines of its report.
void AddOutcomes(FileListReport& report, const QList<FileOutcome>& outcomes)
{
    for (const FileOutcome& o : outcomes)
        (o.failure ? report.failed : report.notes)
            .append(QStringLiteral("%1：%2").arg(o.file, o.reason));
}

// The name of `path` on disk, to find it among a folder's entries.
QByteArray NativeName(const QString& path)
{
    const QByteArray native = NativePath(path);
    return native.mid(native.lastIndexOf('/') + 1);
}

// A progress dialog over the test files; its 取消 stops the run.
class FileProgress
{
public:
    FileProgress(const QString& text, QWidget* parent)
        : m_Dialog(text, QStringLiteral("取消"), 0, 1, parent)
    {
        m_Dialog.setWindowModality(Qt::WindowModal);
        m_Dialog.setMinimumDuration(500);
    }
    ~FileProgress() { m_Dialog.reset(); }
    CalibrationProgress Function()
    {
        return [this](CalibrationStage, int done, int total) {
            m_Dialog.setMaximum(std::max(total, 1));
            m_Dialog.setValue(done);
            return !m_Dialog.wasCanceled();
        };
    }

private:
    QProgressDialog m_Dialog;
};

} // namespace

void ReportView::CalibrateWaveSpeed(int channel)
{
    if (channel < 0 || channel >= kChannelCount || m_strCurPath.isEmpty())
        return;
    // The markers as the test stands, saved or not; a bottom the design-length rule placed
    // is no measurement to calibrate on.
    const TestRecord& probe = m_Edit.Edited();
    SiteWritable(false); // the folder's store, and its warning in the status bar
    CalibrationDialog dialog(
        m_Edit.Inputs().waveSpeed,
        [&probe, channel](double length, QString* why) {
            return CalibratedWaveSpeed(probe, channel, length, why);
        },
        m_pSite->Site().calibration, HasCalibrationToRestore(m_strFolder), m_pSite->Warning(),
        this);
    if (m_fnRunCalibration)
        m_fnRunCalibration(dialog);
    else
        dialog.exec();

    switch (dialog.Chosen()) {
    case CalibrationDialog::Choice::Cancel:
        return;
    case CalibrationDialog::Choice::ThisTest:
        EditStep(QStringLiteral("由已知长度标定波速"),
                 [&] { m_Edit.SetWaveSpeed(*dialog.Speed()); });
        return;
    case CalibrationDialog::Choice::Folder:
        CalibrateFolder(*dialog.Speed(),
                        SiteCalibration{QFileInfo(m_strCurPath).fileName(), dialog.KnownLength(),
                                        *dialog.Speed(), m_Edit.Inputs().waveSpeed,
                                        QDate::currentDate().toString(Qt::ISODate)});
        return;
    case CalibrationDialog::Choice::Restore:
        TakeBackCalibration();
        return;
    }
}

void ReportView::CalibrateFolder(int speed, const SiteCalibration& record)
{
    if (!SiteWritable(true))
        return; // the site file cannot keep the record: no test file is touched
    CalibrationPlan plan = PlanFolderCalibration(m_strFolder, speed, record);
    const auto count = plan.journal.files.size();
    const bool unsaved = HasUnsavedChanges();
    if (count > 1 || (count > 0 && unsaved)) {
        QString question =
            QStringLiteral("将改写 %1 个测试文件的波速为 %2 m/s。确定？").arg(count).arg(speed);
        if (unsaved)
            question += QStringLiteral("\n%1 未保存的修改将先保存。")
                            .arg(QFileInfo(m_strCurPath).completeBaseName());
        if (!m_fnConfirm(question))
            return; // nothing written, nothing recorded
    }
    if (count > 0 && unsaved) {
        if (!SaveInPlace())
            return;
        plan = PlanFolderCalibration(m_strFolder, speed, record); // with the test just saved
    }
    CalibrationOutcome outcome;
    {
        FileProgress progress(QStringLiteral("正在写入波速…"), this);
        outcome = ApplyFolderCalibration(*m_pSite, plan, progress.Function());
    }
    if (!outcome.error.isEmpty()) {
        m_fnMessage(outcome.error);
        return;
    }
    const QByteArray shown = NativeName(m_strCurPath);
    for (const JournalEntry& e : plan.journal.files)
        if (e.nativeName == shown && m_pHost && outcome.changed.contains(e.name))
            m_pHost->ReloadTest(); // its file now holds the new speed

    FileListReport report;
    const auto failures = std::count_if(outcome.unchanged.begin(), outcome.unchanged.end(),
                                        [](const FileOutcome& o) { return o.failure; });
    if (outcome.cancelled)
        report.summary =
            outcome.changed.isEmpty()
                ? QStringLiteral("已取消，未作修改。")
                : QStringLiteral("已取消；以下 %1 个测试文件未能恢复，可用“恢复原波速”重试。")
                      .arg(outcome.changed.size());
    else if (count == 0 && failures == 0)
        report.summary = QStringLiteral("全部测试文件已是 %1 m/s，未作修改。").arg(speed);
    else
        report.summary = QStringLiteral("波速 %1 m/s 已写入 %2 个测试文件。")
                             .arg(speed)
                             .arg(outcome.changed.size());
    if (failures > 0 && !outcome.cancelled)
        report.summary += QStringLiteral("\n%1 个测试文件未能写入，保持不变。").arg(failures);
    report.done = outcome.changed;
    AddOutcomes(report, outcome.unchanged);
    m_fnShowReport(report);
}

void ReportView::TakeBackCalibration()
{
    SiteWritable(false);
    const JournalRead journal = ReadJournal(m_strFolder);
    const auto count = journal.journal.files.size();
    const bool unsaved = HasUnsavedChanges();
    if (count > 1 || unsaved) {
        QString question = QStringLiteral("将恢复 %1 个测试文件标定前的波速。确定？").arg(count);
        if (unsaved)
            question += QStringLiteral("\n%1 未保存的修改将先保存。")
                            .arg(QFileInfo(m_strCurPath).completeBaseName());
        if (!m_fnConfirm(question))
            return;
    }
    if (unsaved && !SaveInPlace())
        return;
    RestoreOutcome outcome;
    {
        FileProgress progress(QStringLiteral("正在恢复原波速…"), this);
        outcome = RestoreFolderCalibration(*m_pSite, progress.Function());
    }
    if (!outcome.error.isEmpty()) {
        m_fnMessage(outcome.error);
        return;
    }
    const QByteArray shown = NativeName(m_strCurPath);
    for (const JournalEntry& e : journal.journal.files)
        if (e.nativeName == shown && m_pHost && outcome.restored.contains(e.name))
            m_pHost->ReloadTest();

    FileListReport report;
    report.summary =
        QStringLiteral("已恢复 %1 个测试文件标定前的波速与分析结果。").arg(outcome.restored.size());
    const auto failures = std::count_if(outcome.unchanged.begin(), outcome.unchanged.end(),
                                        [](const FileOutcome& o) { return o.failure; });
    if (failures > 0)
        report.summary += QStringLiteral("\n%1 个测试文件未恢复，保持不变。").arg(failures);
    report.done = outcome.restored;
    AddOutcomes(report, outcome.unchanged);
    m_fnShowReport(report);
}

} // namespace rovana
