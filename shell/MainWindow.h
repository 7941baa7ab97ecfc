#pragma once

#include "ReportGeneration.h"

#include "DisplaySettings.h"
#include "ReportSettingsHost.h"
#include "ReportViewHost.h"

#include <QHash>
#include <QMainWindow>
#include <QStringList>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QToolBar;

namespace rovana {

class ProcessingDialog;
class ReportSettingsEditor;

class ReportView;
class FileTree;
struct Session;
class EvaluationPanel;
class MainSplitter;
class RecentFiles;

// The compression factor the compress command (32854) gives a channel view of client
// width `width`: ((interval × count / 10240) × width) / count in float, which equals
// interval × width / 10240. Callers pass count ≠ 0.
float CompressCommandFactor(int sampleInterval, int sampleCount, int width);

// The folder of a path (the folder rule of loading): the path up to, not including, its last
// directory separator, provided that separator is not the first character; else empty.
QString FolderOf(const QString& path);

// The main window: menu bar, toolbar, nine-pane status bar and a one-row, three-column
// splitter with the file tree, the report view and the evaluation panel. Owns the display
// state (DisplaySettings: display mode, toggles, peak frequency and bin width), the print
// list and the carry-over values, and routes the View-menu commands.
//
// Menu actions carry their command identifier as data() and objectName(); Action(id)
// finds them. The enable and check rules are applied by UpdateCommandUI(), which every
// command of this class calls after changing state and which runs when a menu opens.
// Code elsewhere that changes m_bFileLoaded, m_bPrintList or the display state directly
// calls UpdateCommandUI() afterwards (or uses SetFileLoaded / SetPrintList).
class MainWindow : public QMainWindow,
                   public DisplaySettings,
                   public ReportViewHost,
                   public ReportSettingsHost
{
    Q_OBJECT

public:
    using MessageSink = std::function<void(const QString&)>;
    using OpenDialog = std::function<QString()>;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // ReportViewHost
    DisplaySettings& Display() override { return *this; }
    int FileLoaded() const override { return m_bFileLoaded; }
    void SetStatusPane(int id, const QString& text) override;
    EvaluationPanel* EvaluationPane() override { return m_pEvaluationPanel; }
    QStringList PrintList() const override { return m_PrintList; }
    void ClearPrintList() override;
    void SetPrintMode(int mode) override;
    void ReloadTest() override;

    // ReportSettingsHost (InfoView above serves both)
    ReportView* ReportPane() override { return m_pReportView; }
    const QTreeWidgetItem* FileTreeRoot() const override;
    void EmptyPrintList() override { m_PrintList.clear(); }
    void TakePrintList(const QStringList& names) override { SetPrintList(names); }
    CarryOverValues LastValues() const override;
    void SetLastValues(const CarryOverValues& values) override;

    // The panes (0, 0), (0, 1) and (0, 2).
    FileTree* TreePane() const { return m_pFileTree; }
    ReportView* ReportPane() const { return m_pReportView; }
    QWidget* Pane(int column) const;

    // The action of a command identifier (menu, toolbar or accelerator), or null.
    QAction* Action(int id) const;
    // The status-bar pane `id` (ID_SEPARATOR for the message pane, 59142..59149), or null.
    QLabel* StatusPane(int id) const;
    QString StatusPaneText(int id) const;

    // Applies the enable and check rules to every menu item and toolbar button.
    void UpdateCommandUI();
    void SetFileLoaded(int loaded);
    void SetPrintList(const QStringList& files);

    // Failure and success messages (one message box each). Tests replace the sink.
    void SetMessageSink(MessageSink sink) { m_fnMessage = std::move(sink); }
    void ShowMessage(const QString& text);
    // The open dialog of the Open command: returns the chosen full path, or an empty
    // string for Cancel. Tests replace it.
    void SetOpenDialog(OpenDialog dialog) { m_fnOpenDialog = std::move(dialog); }
    // Asked before unsaved changes of the test on screen would be dropped.
    enum class UnsavedAnswer
    {
        Save,
        Discard,
        Cancel,
    };
    using UnsavedQuestion = std::function<UnsavedAnswer(const QString& testName)>;
    void SetUnsavedQuestion(UnsavedQuestion ask) { m_fnAskUnsaved = std::move(ask); }
    // True when the test on screen may be left: nothing unsaved, or the user saved it
    // (into its own file) or chose 不保存. False for 取消 and for a save that failed.
    bool MaybeSaveChanges();

    // The application's recent-file list (may stay null: nothing is recorded then).
    void SetRecentFileList(RecentFiles* list);
    RecentFiles* RecentFileList() const { return m_pRecentFiles; }

    // Commands.
    void OnFileOpen();              // 57601: the Open entrance
    void OnViewMode(int mode);      // 32795, 32794, 32847, 32849 and their keys
    void OnViewFilter();            // 32843
    void OnViewFill();              // 32845
    void OnViewCompress();          // 32854
    void OnActivatePane(bool next); // 57680 / 57681
    void OnAppAbout();              // 57664
    void OnReportSettings();      // 57606 and 32827: the report settings dialog
    void OnSiteSummary();           // 32860: the summary window of the tree's folder
    // 32895: "检测报告设置" of the tree's folder, saved through its site store.
    void OnInspectionReportSettings();
    // 32896: "生成检测报告" of the tree's folder.
    void OnInspectionReport();
    // How the two are run; tests answer the dialogs instead.
    std::function<void(ReportSettingsEditor&)> m_fnRunReportSettings;
    ReportGeneration::Hooks m_ReportHooks;
    void OnViewProcessing();        // 32873: "信号处理", the folder's processing chain
    // How the processing dialog is run: true for OK. Tests set the settings instead.
    std::function<bool(ProcessingDialog&)> m_fnRunProcessing;

    // The tree-click entrance with the clicked item's full path.
    void LoadFromTree(const QString& path);
    // 下一个测试 / 上一个测试: the tree's next or previous test through the tree entrance.
    void OnNextTest(bool forward);

    // Where this run stands, and taking up a session (shell/MainWindowSession.cpp): the
    // window's geometry and the tree's width (true when a geometry was restored), then
    // its folder and test, passing over without a word what has gone since.
    Session CurrentSession() const;
    bool RestoreLayout(const Session& session);
    void RestoreSite(const Session& session);

    // The entrances of a load. They differ only in what they check and touch around the
    // load: Open and the open-document entry rebuild the tree for the file's folder; the
    // open-document entry first checks that the file exists and leaves the growing gain as
    // it is. Reload takes the test on screen afresh from its file after it changed on disk
    // (重新载入): no question about unsaved edits (the bar that offers it lists them), the
    // tree, the recent files and the growing gain as they are, the history gone.
    enum class LoadEntrance
    {
        Open,
        Tree,
        Document,
        Reload,
    };
    // Loads `path` into the report view's record and shows it in every pane. A file that
    // cannot be read or is refused gets its message and changes nothing: no recent-file
    // entry, no tree, commands and status bar as they were. False then.
    bool LoadTest(const QString& path, LoadEntrance entrance);

    int m_bSplitterReady = 0;
    int m_bPrintMode = 0;
    int m_bFileLoaded = 0;
    int m_bPrintList = 0;
    EvaluationPanel* m_pEvaluationPanel = nullptr;
    QStringList m_PrintList;
    QString m_strLastItemName;
    QString m_strLastTestDate;
    QString m_strLastInstallDate;
    QString m_strLastTestUnit;
    QString m_strLastTester;

signals:
    // A recent-file entry of the File menu was chosen (index 0 = most recent). The
    // application opens it through its open-document entry.
    void OpenRecentFile(int index);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    UnsavedQuestion m_fnAskUnsaved;

    void CreateActions();
    void CreateMenus();
    // The Edit menu (undo and redo), 恢复原始放大 and 使用说明 (MainWindowEdit.cpp).
    void CreateEditActions();
    QMenu* CreateEditMenu();
    void ConnectHistory(); // once the report view and its history exist
    // 重新载入 of the bar that says the test on screen changed on disk (MainWindowLoad.cpp).
    void ConnectTestFile();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateClient();
    void CreateTestNavigation(); // shell/TestNavigation.cpp
    void RebuildRecentFileMenu();
    // Distributes the freshly loaded record to the channel views (markers exactly as
    // stored, cursor hidden) and the panel, and selects the file's report channel.
    void ShowLoadedRecord(bool resetMagnification);
    QAction* AddAction(int id, const QString& text);

    MainSplitter* m_wndSplitter = nullptr;
    QStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    FileTree* m_pFileTree = nullptr;
    ReportView* m_pReportView = nullptr;

    QHash<int, QAction*> m_Actions;
    QHash<int, QLabel*> m_StatusPanes;
    QMenu* m_pFileMenu = nullptr;
    QAction* m_pRecentSeparator = nullptr; // the recent entries stand right above it
    QList<QAction*> m_RecentActions;
    RecentFiles* m_pRecentFiles = nullptr;

    MessageSink m_fnMessage;
    OpenDialog m_fnOpenDialog;
};

} // namespace rovana
