// Where a run leaves off and the next one takes up: window, tree width, folder and test.
#include "MainWindow.h"

#include "FileTree.h"
#include "MainSplitter.h"
#include "NativePath.h"
#include "ReportView.h"
#include "SessionSettings.h"
#include "TestFileCheck.h"

#include <sys/stat.h>

namespace rovana {
namespace {

bool IsFolder(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && ::stat(NativePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

Session MainWindow::CurrentSession() const
{
    Session s;
    s.geometry = saveGeometry();
    s.treeWidth = m_wndSplitter->TreeWidth();
    s.folder = m_pFileTree->m_strFolder;
    if (m_bFileLoaded == 1)
        s.test = m_pReportView->m_strCurPath;
    return s;
}

bool MainWindow::RestoreLayout(const Session& session)
{
    if (session.treeWidth > 0)
        m_wndSplitter->SetTreeWidth(session.treeWidth);
    return !session.geometry.isEmpty() && restoreGeometry(session.geometry);
}

void MainWindow::RestoreSite(const Session& session)
{
    // A test or folder that has gone since is passed over without a word.
    if (CheckTestFile(session.test) == TestFileCheck::Ok &&
        LoadTest(session.test, LoadEntrance::Document))
        return;
    if (IsFolder(session.folder)) {
        m_pFileTree->ShowFolder(session.folder);
        UpdateCommandUI();
    }
}

} // namespace rovana
