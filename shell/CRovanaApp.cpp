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

    if (!QFileInfo::exists(path)) {
        frame->ShowMessage(QStringLiteral("文件不存在！"));
        return false;
    }
    if (!CanReadNonEmpty(path)) {
        frame->ShowMessage(QStringLiteral("无法读取文件"));
        return false;
    }

    CDrawView& draw = *frame->DrawView();
    const QString folder = FolderOf(path);
    if (!folder.isEmpty()) {
        frame->FileTree()->m_strFolder = folder;
        frame->FileTree()->RefreshTree();
        frame->SetFileLoaded(1);
        if (const LoadResult result = draw.m_CurData.Load(path); !result) {
            // The record is unchanged (the reader is atomic); the views are not refreshed.
            frame->ShowMessage(result.message());
            return false;
        }
        draw.RestoreMarkers();
    } else {
        // The previous record stays.
        frame->ShowMessage(QStringLiteral("未有选择文件，请重试！"));
    }
    for (int c = 0; c < kChannelCount; ++c)
        draw.DistributeChannel(c); // the growing gain is left as it is
    draw.m_nActiveChannel = draw.m_CurData.m_nReportChannel;
    draw.RefreshInfoPanel(draw.m_CurData.m_nReportChannel);
    draw.m_strCurPath = path;
    draw.m_strFolder = folder;
    draw.RepaintAll();
    return true;
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
