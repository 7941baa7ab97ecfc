#include "MainWindow.h"

#include "AboutDialog.h"
#include "AppIcon.h"
#include "ChannelView.h"
#include "CommandIds.h"
#include "DisplayModeCommands.h"
#include "EvaluationPanel.h"
#include "FileTree.h"
#include "LowPass.h"
#include "MainSplitter.h"
#include "ProcessingDialog.h"
#include "ProgramMessage.h"
#include "RecentFiles.h"
#include "ReportSettingsDialog.h"
#include "ReportSettingsEditor.h"
#include "ReportView.h"
#include "SiteStore.h"
#include "SummaryTable.h"
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
namespace {

// The caption: the document title "Veltra" ahead of the window title of string 128.
const QString kCaption = QStringLiteral("Veltra - Orvik 锚杆无损检测仪分析软件");

struct PaneText
{
    int id;
    const char16_t* text;
};

// Status-bar panes after the message pane, with their texts from the string table.
constexpr PaneText kIndicators[] = {
    {59142, u"项目："}, {59143, u"文件："}, {59144, u"采样点数："}, {59145, u"采样间隔："},
    {59146, u"高通："}, {59147, u"低通："}, {59148, u"时间："},     {59149, u" "},
};

// Pixels a recent-file entry of the File menu may take.
constexpr int kRecentEntryWidth = 420;

} // namespace

float CompressCommandFactor(int sampleInterval, int sampleCount, int width)
{
    const float span = static_cast<float>(sampleInterval * sampleCount) / 10240.0f;
    return span * static_cast<float>(width) / static_cast<float>(sampleCount);
}

// ---------------------------------------------------------------------------------------
// Construction (the frame's OnCreate and OnCreateClient).

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(kCaption);
    setWindowIcon(ProgramIcon());
    // The size the window has before it is maximised: three quarters of the screen, as a
    // desktop gives a new window. The tree pane keeps a sixth of it.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(screen->availableSize() * 3 / 4);

    m_fnMessage = [this](const QString& text) { ShowProgramMessage(this, text); };
    m_fnOpenDialog = [this] {
        // " Files (*.mg)|*.mg|All Files (*.*)|*.*": on Linux "*.*" would skip names
        // without a dot, so the second filter is "*".
        return QFileDialog::getOpenFileName(this, QStringLiteral("打开"), QString(),
                                            QStringLiteral(" Files (*.mg);;All Files (*)"));
    };
    m_fnRunProcessing = [](ProcessingDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    m_fnAskUnsaved = [this](const QString& testName) {
        QMessageBox box(QMessageBox::Warning, kCaption,
                        QStringLiteral("是否保存对 %1 的修改？").arg(testName),
                        QMessageBox::NoButton, this);
        QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
        QPushButton* discard =
            box.addButton(QStringLiteral("不保存"), QMessageBox::DestructiveRole);
        QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        box.setDefaultButton(save);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == save)
            return UnsavedAnswer::Save;
        return box.clickedButton() == discard ? UnsavedAnswer::Discard : UnsavedAnswer::Cancel;
    };

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateClient();
    CreateTestNavigation();
    UpdateCommandUI();
}

MainWindow::~MainWindow() = default;

void MainWindow::CreateStatusBar()
{
    m_wndStatusBar = statusBar();
    m_wndStatusBar->setObjectName(QString::number(AFX_IDW_STATUS_BAR));
    auto* message = new QLabel(QStringLiteral("就绪"), m_wndStatusBar);
    message->setObjectName(QString::number(ID_SEPARATOR));
    m_wndStatusBar->addWidget(message, 1);
    m_StatusPanes.insert(ID_SEPARATOR, message);
    for (const PaneText& pane : kIndicators) {
        auto* label = new QLabel(Text(pane.text), m_wndStatusBar);
        label->setObjectName(QString::number(pane.id));
        m_wndStatusBar->addPermanentWidget(label);
        m_StatusPanes.insert(pane.id, label);
    }
}

void MainWindow::CreateClient()
{
    const int W = width();
    m_wndSplitter = new MainSplitter(kInfoPaneWidth, this);
    m_pFileTree = new FileTree(m_wndSplitter);
    m_pReportView = new ReportView(this, m_wndSplitter);
    auto* info = new EvaluationPanel(m_wndSplitter);
    info->SetReportView(m_pReportView);
    m_wndSplitter->addWidget(m_pFileTree);
    m_wndSplitter->addWidget(m_pReportView);
    m_wndSplitter->addWidget(info);
    m_wndSplitter->SetInitialWidths(W / 6, 4 * W / 6, W / 6);
    setCentralWidget(m_wndSplitter);
    m_bSplitterReady = 1;
    m_pEvaluationPanel = info;

    connect(m_pFileTree, &FileTree::FileClicked, this, &MainWindow::LoadFromTree);
    // The root item appears once the tree has a folder: the summary command follows it.
    connect(m_pFileTree->model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent) {
                if (!parent.isValid())
                    UpdateCommandUI();
            });

    ConnectHistory();
    ConnectTestFile();
    info->m_fnEditStep = [this](const QString& name, const std::function<void()>& change) {
        m_pReportView->EditStep(name, change);
    };
}

// ---------------------------------------------------------------------------------------
// State access.

QWidget* MainWindow::Pane(int column) const
{
    return m_wndSplitter && column >= 0 && column < m_wndSplitter->count()
               ? m_wndSplitter->widget(column)
               : nullptr;
}

QAction* MainWindow::Action(int id) const
{
    return m_Actions.value(id, nullptr);
}

QLabel* MainWindow::StatusPane(int id) const
{
    return m_StatusPanes.value(id, nullptr);
}

QString MainWindow::StatusPaneText(int id) const
{
    const QLabel* label = StatusPane(id);
    return label ? label->text() : QString();
}

void MainWindow::SetStatusPane(int id, const QString& text)
{
    if (QLabel* label = StatusPane(id); label && label->text() != text)
        label->setText(text);
}

void MainWindow::UpdateCommandUI()
{
    for (const ModeCommand& m : kModes)
        Action(m.id)->setEnabled(m_nDisplayMode != m.id);
    Action(ID_VIEW_FILTER)->setChecked(m_bFilter == 1);
    Action(ID_VIEW_FILL)->setChecked(m_bFill == 1);
    Action(ID_VIEW_COMPRESS)->setChecked(m_bCompress == 1);
    for (int id : {ID_FILE_SAVE, ID_FILE_PRINT_SETUP, ID_FILE_SAVE_PICTURE, ID_TOOL_PRINT_SETUP,
                   ID_AUTO_PICK, ID_VIEW_PROCESSING, ID_VIEW_RESET_GAIN})
        Action(id)->setEnabled(m_bFileLoaded == 1);
    for (int id : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_TOOL_PRINT_PREVIEW})
        Action(id)->setEnabled(m_bPrintList == 1);
    const bool folder = m_pFileTree && !m_pFileTree->m_strFolder.isEmpty();
    for (int id : {ID_FILE_SITE_SUMMARY, ID_FILE_REPORT_SETTINGS, ID_FILE_INSPECTION_REPORT})
        Action(id)->setEnabled(folder);
}

void MainWindow::SetFileLoaded(int loaded)
{
    m_bFileLoaded = loaded;
    UpdateCommandUI();
}

void MainWindow::ClearPrintList()
{
    SetPrintList({});
}

void MainWindow::SetPrintMode(int mode)
{
    m_bPrintMode = mode;
}

void MainWindow::SetPrintList(const QStringList& files)
{
    m_PrintList = files;
    m_bPrintList = files.isEmpty() ? 0 : 1;
    UpdateCommandUI();
}

void MainWindow::ShowMessage(const QString& text)
{
    if (m_fnMessage)
        m_fnMessage(text);
}

void MainWindow::SetRecentFileList(RecentFiles* list)
{
    if (m_pRecentFiles)
        disconnect(m_pRecentFiles, nullptr, this, nullptr);
    m_pRecentFiles = list;
    if (m_pRecentFiles)
        connect(m_pRecentFiles, &RecentFiles::Changed, this, &MainWindow::RebuildRecentFileMenu);
    RebuildRecentFileMenu();
}

void MainWindow::RebuildRecentFileMenu()
{
    for (QAction* a : m_RecentActions) {
        m_Actions.remove(a->data().toInt());
        m_pFileMenu->removeAction(a);
        delete a;
    }
    m_RecentActions.clear();

    const QStringList entries = m_pRecentFiles ? m_pRecentFiles->Entries() : QStringList();
    if (entries.isEmpty()) {
        // A disabled placeholder while the list is empty.
        QAction* a = AddAction(ID_FILE_MRU_FILE1, QStringLiteral("最近的文件"));
        a->setEnabled(false);
        m_pFileMenu->insertAction(m_pRecentSeparator, a);
        m_RecentActions.append(a);
        return;
    }
    const QFontMetrics metrics(m_pFileMenu->font());
    for (int i = 0; i < entries.size(); ++i) {
        // Long paths keep their start and the file name; the middle gives way.
        QString shown = metrics.elidedText(QDir::toNativeSeparators(entries[i]), Qt::ElideMiddle,
                                           kRecentEntryWidth);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* a =
            AddAction(ID_FILE_MRU_FILE1 + i, QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        connect(a, &QAction::triggered, this, [this, i] { emit OpenRecentFile(i); });
        m_pFileMenu->insertAction(m_pRecentSeparator, a);
        m_RecentActions.append(a);
    }
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // The window gains the focus when it is activated: repaint the report view.
    // The update rules run again too, so that state changed while a dialog was open (the
    // print list) shows on the toolbar.
    // The test's file is looked at too: a change by another program meanwhile shows now,
    // whether or not the watch saw it.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_pReportView) {
        UpdateCommandUI();
        m_pReportView->RepaintAll();
        m_pReportView->m_pTestFile->Check();
    }
}

// ---------------------------------------------------------------------------------------
// Report settings dialog: run modally, result ignored. Its OK fills the print list, which
// enables print and preview.

void MainWindow::OnReportSettings()
{
    ReportSettingsDialog dlg(this, this);
    dlg.exec();
    UpdateCommandUI();
}

// The summary window of the tree's folder, read afresh; its double-clicked rows load
// through the tree-click entrance.
void MainWindow::OnSiteSummary()
{
    if (m_pFileTree->m_strFolder.isEmpty())
        return;
    if (SummaryWindow* window = SummaryWindow::Open(m_pFileTree->m_strFolder, this))
        connect(window, &SummaryWindow::OpenFileRequested, this, &MainWindow::LoadFromTree);
}

// The report settings of the tree's folder, through the store of the folder on screen when
// it is that folder (its users hear of the change), else through a store of its own.
void MainWindow::OnInspectionReportSettings()
{
    const QString folder = m_pFileTree->m_strFolder;
    if (folder.isEmpty())
        return;
    SiteStore own;
    SiteStore* store = m_pReportView->m_pSite;
    if (!store || QDir(store->Folder()) != QDir(folder)) {
        own.Open(folder);
        store = &own;
    }
    ReportSettingsEditor dialog(*store, inspection::GatherFacts(summary::FolderTestFiles(folder)),
                                this);
    if (m_fnRunReportSettings)
        m_fnRunReportSettings(dialog);
    else
        dialog.exec();
}

// The report reads the folder's files: unsaved work on a test of that folder is offered for
// saving first (保存 puts it into the report, 不保存 reports the file as it is, 取消 stops).
void MainWindow::OnInspectionReport()
{
    const QString folder = m_pFileTree->m_strFolder;
    if (folder.isEmpty())
        return;
    if (QFileInfo(m_pReportView->m_strCurPath).absoluteDir() == QDir(folder) && !MaybeSaveChanges())
        return;
    ReportGeneration(this, m_ReportHooks).Run(folder);
}

const QTreeWidgetItem* MainWindow::FileTreeRoot() const
{
    return m_pFileTree ? m_pFileTree->RootItem() : nullptr;
}

CarryOverValues MainWindow::LastValues() const
{
    return {m_strLastItemName, m_strLastTestDate, m_strLastInstallDate, m_strLastTestUnit,
            m_strLastTester};
}

void MainWindow::SetLastValues(const CarryOverValues& v)
{
    m_strLastItemName = v.itemName;
    m_strLastTestDate = v.testDate;
    m_strLastInstallDate = v.installDate;
    m_strLastTestUnit = v.testUnit;
    m_strLastTester = v.tester;
}

} // namespace rovana
