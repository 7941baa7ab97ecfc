// The test's own file on disk: remembered as it was loaded, watched for changes by other
// programs, said when it changed (the bar above the views) and checked before every save,
// which never replaces another program's change without asking.
#include "ReportView.h"
#include "ReportViewHost.h"

#include "DiskChangeBar.h"
#include "ResultSave.h"
#include "TestFileWatcher.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUndoStack>

namespace rovana {

namespace {

// "MG0003 - 副本.mg" beside the test: what 另存为 offers, a name that is not the test's own.
QString CopyNameFor(const QString& path)
{
    const QFileInfo info(path);
    return info.dir().filePath(QStringLiteral("%1 - 副本.%2")
                                   .arg(info.completeBaseName(), info.suffix().isEmpty()
                                                                     ? QStringLiteral("mg")
                                                                     : info.suffix()));
}

} // namespace

void ReportView::InstallDiskWatch()
{
    m_pTestFile = new TestFileWatcher(this);
    m_pDiskChangeBar = new DiskChangeBar(this);
    m_pDiskChangeBar->hide();
    connect(m_pTestFile, &TestFileWatcher::Changed, this, &ReportView::ShowDiskChange);
    connect(m_pDiskChangeBar, &DiskChangeBar::Dismissed, this, &ReportView::LayOutViews);
    // The edits the bar lists follow the history.
    connect(m_pUndo, &QUndoStack::indexChanged, this, [this] {
        if (!m_pDiskChangeBar->isHidden())
            ShowDiskChange();
    });
    m_fnAskChangedFile = [this](const QString& fileName) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Rovana"),
                        QStringLiteral("%1 已被其他程序修改。").arg(fileName),
                        QMessageBox::NoButton, this);
        box.setInformativeText(
            QStringLiteral("覆盖：以本窗口的内容替换它。\n另存为：另存一个文件，它保持不变。"));
        QPushButton* overwrite = box.addButton(QStringLiteral("覆盖"), QMessageBox::AcceptRole);
        QPushButton* saveAs = box.addButton(QStringLiteral("另存为"), QMessageBox::ActionRole);
        QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        box.setDefaultButton(saveAs); // the choice that loses nothing
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == overwrite)
            return ChangedFileAnswer::Overwrite;
        return box.clickedButton() == saveAs ? ChangedFileAnswer::SaveAs
                                             : ChangedFileAnswer::Cancel;
    };
}

void ReportView::ShowDiskChange()
{
    const DiskCheck& told = m_pTestFile->Told();
    const QString name = QFileInfo(m_pTestFile->Path()).fileName();
    switch (told.change) {
    case DiskChange::None:
    case DiskChange::Touched:
        m_pDiskChangeBar->hide();
        break;
    case DiskChange::Changed:
        m_pDiskChangeBar->Show(QStringLiteral("%1 已被其他程序修改。").arg(name),
                               HasUnsavedChanges(), UnsavedEdits(), true);
        break;
    case DiskChange::Missing:
        m_pDiskChangeBar->Show(QStringLiteral("%1 已被其他程序删除或移走。").arg(name),
                               HasUnsavedChanges(), UnsavedEdits(), false);
        break;
    case DiskChange::Unreadable:
        m_pDiskChangeBar->Show(CheckFailureText(told.why, name), HasUnsavedChanges(),
                               UnsavedEdits(), false);
        break;
    }
    LayOutViews();
}

bool ReportView::SaveTo(QString target)
{
    for (;;) {
        if (!IsCurrentFile(target) || !m_pTestFile->Loaded().known() ||
            !m_pTestFile->Check().changedContent())
            return WriteResultsTo(target);
        const QString name = QFileInfo(m_pTestFile->Path()).fileName();
        switch (m_fnAskChangedFile(name)) {
        case ChangedFileAnswer::Overwrite:
            return WriteResultsTo(target);
        case ChangedFileAnswer::Cancel:
            return false;
        case ChangedFileAnswer::SaveAs:
            // The test's own file chosen again is the same question again.
            target = m_fnAskSavePath(CopyNameFor(m_pTestFile->Path()));
            if (target.isEmpty())
                return false;
            break;
        }
    }
}

bool ReportView::WriteResultsTo(const QString& target)
{
    // What the window shows is the file as loaded with the analysis on screen; a file
    // changed since is replaced only after the question, and a copy never takes the
    // other program's bytes for this test's.
    QByteArray bytes = m_pTestFile->LoadedBytes();
    if (bytes.isEmpty()) {
        const QString source = m_strFolder + QLatin1Char('/') + QFileInfo(m_strCurPath).fileName();
        const std::optional<QByteArray> read = ReadWholeTestFile(source);
        if (!read) {
            m_fnMessage(WriteResult{WriteStatus::CannotRead, source, 0}.message());
            return false;
        }
        bytes = *read;
    }
    const EditInputs inputs = InputsToSave();
    PatchResults(bytes, AnalysisOf(m_Edit.Loaded(), inputs));
    FileIdentity written;
    WriteOptions options;
    options.committed = [&written](const FileIdentity& identity) { written = identity; };
    const WriteResult result = WriteWholeFileSafely(target, bytes, options);
    if (written.known() && IsCurrentFile(target))
        m_pTestFile->TakeOwnWrite(bytes, written); // in place even if the folder sync failed
    if (!result) {
        m_fnMessage(result.message());
        return false;
    }
    if (!IsCurrentFile(target))
        return true;
    const int before = m_Edit.Inputs().reportChannel;
    m_Edit.SetInputs(inputs);
    m_Edit.MarkSaved();
    MarkSaved();
    // The sheet reports the channel a save stores: said, so that a look at another channel
    // before Ctrl+S does not change the report unnoticed.
    if (inputs.reportChannel != before && m_pHost)
        m_pHost->SetStatusPane(0 /* the message pane */,
                               QStringLiteral("报告通道改为通道%1").arg(inputs.reportChannel + 1));
    return true;
}

WriteResult ReportView::WriteOwnFile(const QString& path,
                                     const std::function<WriteResult(const WriteOptions&)>& write)
{
    const bool onScreen = !m_strCurPath.isEmpty() && IsCurrentFile(path) &&
                          m_pTestFile->Loaded().known() && !m_pTestFile->Check().changedContent();
    FileIdentity written;
    WriteOptions options;
    options.committed = [&written](const FileIdentity& identity) { written = identity; };
    const WriteResult result = write(options);
    if (onScreen && written.known())
        m_pTestFile->TakeOwnWrite(written);
    return result;
}

} // namespace rovana
