#include "CRovanaApp.h"

#include "AppIcon.h"
#include "CDrawView.h"
#include "CFileTreeView.h"
#include "CMainFrame.h"
#include "CMyView.h"
#include "CRecentFileList.h"
#include "CommandIds.h"
#include "Fonts.h"

#include <QApplication>
#include <QFileInfo>

namespace rovana {

CRovanaApp::CRovanaApp(QString organisation, QString application, QObject* parent)
    : QObject(parent), m_strOrganisation(std::move(organisation)),
      m_strApplication(std::move(application))
{}

CRovanaApp::~CRovanaApp() = default;

bool CRovanaApp::InitInstance(const QStringList& arguments, bool show)
{
    InstallFontSubstitutions();
    QApplication::setWindowIcon(ProgramIcon());

    m_pRecentFiles =
        new CRecentFileList(m_strOrganisation, m_strApplication, kRecentFileCount, this);

    m_pMainFrame = std::make_unique<CMainFrame>();
    if (m_fnMessage)
        m_pMainFrame->SetMessageSink(m_fnMessage);
    m_pMainFrame->SetRecentFileList(m_pRecentFiles);
    connect(m_pMainFrame.get(), &CMainFrame::OpenRecentFile, this, &CRovanaApp::OnOpenRecentFile);

    // The command line: no argument gives the empty main window; a file argument is
    // opened now that the main window and its panes exist. A relative path is taken
    // from the current directory.
    const QString file = arguments.value(0);
    if (!file.isEmpty() && !OpenDocumentFile(QFileInfo(file).absoluteFilePath()))
        return false;

    if (show) {
        m_pMainFrame->showMaximized();
        m_pMainFrame->raise();
        m_pMainFrame->activateWindow();
    }
    return true;
}

bool CRovanaApp::OpenDocumentFile(const QString& path)
{
    CMainFrame* frame = m_pMainFrame.get();
    if (!frame || !frame->DrawView() || !frame->FileTree())
        return false; // the panes do not exist (yet)
    return frame->LoadTest(path, CMainFrame::LoadEntrance::Document);
}

void CRovanaApp::OnOpenRecentFile(int index)
{
    const QString path = m_pRecentFiles->Entries().value(index);
    if (path.isEmpty())
        return;
    if (!OpenDocumentFile(path))
        m_pRecentFiles->Remove(index);
}

} // namespace rovana
