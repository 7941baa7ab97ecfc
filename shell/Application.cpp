#include "Application.h"

#include "AppIcon.h"
#include "ChannelView.h"
#include "CommandIds.h"
#include "FileTree.h"
#include "Fonts.h"
#include "MainWindow.h"
#include "RecentFiles.h"
#include "ReportView.h"

#include <QApplication>
#include <QFileInfo>
#include <QSettings>

namespace rovana {

Application::Application(QString organisation, QString application, QObject* parent)
    : QObject(parent), m_strOrganisation(std::move(organisation)),
      m_strApplication(std::move(application))
{}

Application::~Application() = default;

bool Application::InitInstance(const QStringList& arguments, bool show)
{
    InstallFontSubstitutions();
    QApplication::setWindowIcon(ProgramIcon());

    if (m_strOrganisation != kOldOrganisation) {
        QSettings old(kOldOrganisation, m_strApplication);
        QSettings current(m_strOrganisation, m_strApplication);
        TakeOverOldSettings(old, current);
    }
    m_pRecentFiles = new RecentFiles(m_strOrganisation, m_strApplication, kRecentFileCount, this);

    m_pWindow = std::make_unique<MainWindow>();
    if (m_fnMessage)
        m_pWindow->SetMessageSink(m_fnMessage);
    m_pWindow->SetRecentFileList(m_pRecentFiles);
    connect(m_pWindow.get(), &MainWindow::OpenRecentFile, this, &Application::OnOpenRecentFile);
    QSettings settings(m_strOrganisation, m_strApplication);
    const Session session = ReadSession(settings);
    const bool placed = m_pWindow->RestoreLayout(session);
    if (qApp)
        connect(qApp, &QCoreApplication::aboutToQuit, this, &Application::SaveSession);

    // The command line: no argument gives the empty main window; a file argument is
    // opened now that the main window and its panes exist. A relative path is taken
    // from the current directory.
    const QString file = arguments.value(0);
    if (!file.isEmpty() && !OpenDocumentFile(QFileInfo(file).absoluteFilePath()))
        return false;

    if (show) {
        if (placed)
            m_pWindow->show(); // maximised again when it was
        else
            m_pWindow->showMaximized();
        m_pWindow->raise();
        m_pWindow->activateWindow();
    }
    // The window is up before the last test is read, and the tree fills while it shows.
    if (file.isEmpty())
        m_pWindow->RestoreSite(session);
    return true;
}

void Application::SaveSession()
{
    if (!m_pWindow)
        return;
    QSettings settings(m_strOrganisation, m_strApplication);
    WriteSession(settings, m_pWindow->CurrentSession());
}

bool Application::OpenDocumentFile(const QString& path)
{
    MainWindow* frame = m_pWindow.get();
    if (!frame || !frame->ReportPane() || !frame->TreePane())
        return false; // the panes do not exist (yet)
    return frame->LoadTest(path, MainWindow::LoadEntrance::Document);
}

void Application::OnOpenRecentFile(int index)
{
    const QString path = m_pRecentFiles->Entries().value(index);
    if (path.isEmpty())
        return;
    if (!OpenDocumentFile(path))
        m_pRecentFiles->Remove(index);
}

} // namespace rovana
