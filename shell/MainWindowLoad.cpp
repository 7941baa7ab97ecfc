// Loading a test: one road with three entrances, the unsaved-changes question on the way
// out of a test, and showing the loaded record in every pane.
#include "MainWindow.h"

#include "AboutDialog.h"
#include "AppIcon.h"
#include "ChannelView.h"
#include "CommandIds.h"
#include "DiskChangeBar.h"
#include "EvaluationPanel.h"
#include "FileTree.h"
#include "LowPass.h"
#include "MainSplitter.h"
#include "MgFileIo.h"
#include "ProcessingDialog.h"
#include "ProgramMessage.h"
#include "RecentFiles.h"
#include "ReportSettingsDialog.h"
#include "ReportView.h"
#include "SiteStore.h"
#include "SummaryWindow.h"
#include "TestFileCheck.h"
#include "TestFileWatcher.h"
#include "ViewCommands.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUndoStack>

#include <algorithm>
namespace rovana {

QString FolderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash > 0 ? path.left(slash) : QString();
}

// ---------------------------------------------------------------------------------------
// Loading: one road with three entrances (Open, tree click, the application's
// open-document entry for the recent-file list and the command line).

void MainWindow::OnFileOpen()
{
    const QString path = m_fnOpenDialog ? m_fnOpenDialog() : QString();
    if (path.isEmpty())
        return;
    LoadTest(path, LoadEntrance::Open);
}

void MainWindow::LoadFromTree(const QString& path)
{
    LoadTest(path, LoadEntrance::Tree);
}

void MainWindow::ConnectTestFile()
{
    ReportView& draw = *m_pReportView;
    connect(draw.m_pDiskChangeBar, &DiskChangeBar::ReloadRequested, this,
            [this] { LoadTest(m_pReportView->m_strCurPath, LoadEntrance::Reload); });
}

bool MainWindow::LoadTest(const QString& path, LoadEntrance entrance)
{
    const bool reload = entrance == LoadEntrance::Reload;
    // Only a non-empty regular file (or a link to one); a FIFO or a device is never opened.
    const TestFileCheck check = CheckTestFile(path);
    const QString name = QFileInfo(path).fileName();
    if (entrance == LoadEntrance::Document && check == TestFileCheck::Missing) {
        ShowMessage(QStringLiteral("文件不存在！"));
        return false;
    }
    if (check != TestFileCheck::Ok) {
        ShowMessage(CheckFailureText(check, name));
        return false;
    }
    ReportView& draw = *m_pReportView;
    if (entrance == LoadEntrance::Document && FolderOf(path).isEmpty()) {
        // The test on screen stays, with its own path: taking the new path for it would
        // let a save write this test's results into the other file.
        ShowMessage(QStringLiteral("未有选择文件，请重试！"));
        return true;
    }
    // Unsaved work of the test on screen is never dropped without a word; 取消 leaves
    // everything as it was, the tree's highlight on the test on screen too.
    if (!reload && !MaybeSaveChanges()) {
        m_pFileTree->MarkOpenFile(draw.m_strCurPath);
        return false;
    }
    // The reader leaves the record as it was when it refuses a file; nothing else changes
    // before it has accepted one, so a refused file leaves no trace on screen. One read
    // gives the record and the file as loaded, which every save compares with the disk.
    const RegularFileRead read = ReadRegularFile(path, kMaxTestFileBytes);
    TestRecord loaded;
    if (const LoadResult result = loaded.Load(read); !result) {
        ShowMessage(result.explained(name));
        return false;
    }
    const QString folder = FolderOf(path);
    if (entrance != LoadEntrance::Tree && !reload) {
        if (!folder.isEmpty()) {
            m_pFileTree->ShowFolder(folder);
        } else {
            ShowMessage(QStringLiteral("未有选择文件，请重试！"));
        }
    }
    if (m_pRecentFiles && entrance != LoadEntrance::Document && !reload)
        m_pRecentFiles->Add(path);
    SetFileLoaded(1);
    // A test of another folder is shown with that site's processing and reference bolt.
    if (folder != draw.m_strFolder)
        draw.ReadSite(folder);
    draw.TakeLoadedRecord(loaded);
    ShowLoadedRecord(entrance != LoadEntrance::Document && !reload);
    m_pFileTree->MarkOpenFile(path);
    draw.m_strCurPath = path;
    draw.m_strFolder = folder;
    draw.m_pUndo->clear(); // another test, or the file afresh: another history
    draw.MarkSaved();
    draw.m_pTestFile->Remember(path, read);
    draw.RepaintAll();
    return true;
}

void MainWindow::ReloadTest()
{
    ReportView& draw = *m_pReportView;
    if (m_bFileLoaded == 1 && !draw.m_strCurPath.isEmpty())
        LoadTest(draw.m_strCurPath, LoadEntrance::Reload);
}

void MainWindow::OnViewProcessing()
{
    ReportView& draw = *m_pReportView;
    if (m_bFileLoaded != 1)
        return;
    ProcessingDialog dialog(draw.m_Chain, draw.CurrentRecord().m_nSampleInterval, this);
    draw.SiteWritable(false);
    dialog.ShowSiteWarning(draw.m_pSite->Warning());
    if (!m_fnRunProcessing(dialog))
        return;
    bool kept = true;
    draw.EditStep(QStringLiteral("信号处理"),
                  [&] { kept = draw.SetProcessing(dialog.Settings()); });
    if (!kept)
        SetStatusPane(ID_SEPARATOR,
                      draw.m_pSite->Writable()
                          ? QStringLiteral("文件夹无法写入，信号处理设置仅在本次运行中有效")
                          : draw.m_pSite->Warning());
}

bool MainWindow::MaybeSaveChanges()
{
    ReportView& draw = *m_pReportView;
    if (m_bFileLoaded != 1 || !draw.HasUnsavedChanges())
        return true;
    const QString name = QFileInfo(draw.m_strCurPath).completeBaseName();
    switch (m_fnAskUnsaved(name)) {
    case UnsavedAnswer::Save:
        return draw.SaveInPlace();
    case UnsavedAnswer::Discard:
        return true;
    case UnsavedAnswer::Cancel:
        break;
    }
    return false;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!MaybeSaveChanges()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::ShowLoadedRecord(bool resetMagnification)
{
    ReportView& draw = *m_pReportView;
    const TestRecord& d = draw.CurrentRecord();
    // The views show exactly the markers the test being edited holds: this file's.
    for (int c = 0; c < kChannelCount; ++c) {
        ChannelView& v = *draw.m_pChannelView[c];
        if (resetMagnification)
            draw.ApplySiteGain(c); // the folder's, else none
        v.m_bCursorShown = 0;
        v.DropSuggestion();
        draw.DistributeChannel(c);
    }
    draw.m_nActiveChannel = d.m_nReportChannel;
    draw.RefreshInfoPanel(d.m_nReportChannel);
}

} // namespace rovana
