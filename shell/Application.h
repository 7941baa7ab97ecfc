#pragma once

#include "MainWindow.h"
#include "SessionSettings.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace rovana {

class RecentFiles;

// The application object: start-up, the recent-file list and the open-document entry
// that loads a test. Lives next to the QApplication that main() creates; owns the main frame.
class Application : public QObject
{
    Q_OBJECT

public:
    // `organisation` / `application` name the QSettings location of the recent-file list
    // and the session; tests pass names of their own (and a temporary settings path).
    explicit Application(QString organisation = kOrganisation, QString application = kProfileName,
                         QObject* parent = nullptr);
    ~Application() override;

    // Start-up (InitInstance): font substitutions, the settings of earlier versions taken
    // over once, the recent-file list (four entries), the main frame in the last session's
    // geometry and tree width; then the command line: `arguments` are the program's
    // arguments without the program name; the first is the path of a test file, opened
    // through OpenDocumentFile once the main window exists. Returns false when the program
    // ends (the file could not be opened). With `show` the main window is shown, maximised
    // the first time. Without an argument the last session's folder and test are opened
    // once the window is up.
    bool InitInstance(const QStringList& arguments, bool show = true);

    // Keeps where this run stands (window, tree width, folder, test) for the next start;
    // done when the application quits.
    void SaveSession();

    // The open-document entry (recent-file list and command line). Returns
    // false for "no document": no file at the path, an unreadable or empty file, or a
    // file the reader refuses.
    bool OpenDocumentFile(const QString& path);

    // The message sink handed to the main frame when InitInstance creates it (tests pass
    // one that records the texts instead of showing message boxes).
    void SetMessageSink(MainWindow::MessageSink sink) { m_fnMessage = std::move(sink); }

    MainWindow* Window() const { return m_pWindow.get(); }
    RecentFiles* RecentFileList() const { return m_pRecentFiles; }

private:
    void OnOpenRecentFile(int index);

    QString m_strOrganisation;
    QString m_strApplication;
    RecentFiles* m_pRecentFiles = nullptr;
    MainWindow::MessageSink m_fnMessage;
    std::unique_ptr<MainWindow> m_pWindow;
};

} // namespace rovana
