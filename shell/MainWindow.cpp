#include "MainWindow.h"

#include "AboutDialog.h"
#include "AppIcon.h"
#include "ChannelView.h"
#include "CommandIds.h"
#include "EvaluationPanel.h"
#include "FileTree.h"
#include "LowPass.h"
#include "MainSplitter.h"
#include "ProcessingDialog.h"
#include "ProgramMessage.h"
#include "RecentFiles.h"
#include "ReportSettingsDialog.h"
#include "ReportView.h"
#include "SummaryWindow.h"
#include "TestFileCheck.h"
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

// The four display modes with their menu texts and keys.
struct ModeCommand
{
    int id;
    int keyId;
    const char16_t* text;
    Qt::Key key;
};

constexpr ModeCommand kModes[] = {
    {ID_VIEW_TIMEDOMAIN, ID_KEY_TIMEDOMAIN, u"时    域     \tF7", Qt::Key_F7},
    {ID_VIEW_SPECTRUM, ID_KEY_SPECTRUM, u"频    谱    \tF8", Qt::Key_F8},
    {ID_VIEW_PHASE, ID_KEY_PHASE, u"相    位    \tF9", Qt::Key_F9},
    {ID_VIEW_ENERGY, ID_KEY_ENERGY, u"瞬时能量    \tF10", Qt::Key_F10},
};

// Pixels a recent-file entry of the File menu may take.
constexpr int kRecentEntryWidth = 420;

QString Text(const char16_t* s)
{
    return QString::fromUtf16(s);
}

} // namespace

float CompressCommandFactor(int sampleInterval, int sampleCount, int width)
{
    const float span = static_cast<float>(sampleInterval * sampleCount) / 10240.0f;
    return span * static_cast<float>(width) / static_cast<float>(sampleCount);
}

QString FolderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash > 0 ? path.left(slash) : QString();
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

QAction* MainWindow::AddAction(int id, const QString& text)
{
    auto* action = new QAction(text, this);
    action->setData(id);
    action->setObjectName(QString::number(id));
    action->setIconVisibleInMenu(false); // the menus show texts only, as menu 128 does
    m_Actions.insert(id, action);
    return action;
}

void MainWindow::CreateActions()
{
    // File menu.
    QAction* a = AddAction(ID_FILE_NEW, QStringLiteral("新建(&N)\tCtrl+N"));
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    a->setStatusTip(QStringLiteral("创建新文档"));
    // The document holds nothing, so a new document changes nothing on screen.

    a = AddAction(ID_FILE_OPEN, QStringLiteral("打开(&O)...\tCtrl+O"));
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    a->setToolTip(QStringLiteral("打开"));
    a->setStatusTip(QStringLiteral("打开现有文档"));
    a->setIcon(ToolbarIcon(ID_FILE_OPEN));
    connect(a, &QAction::triggered, this, &MainWindow::OnFileOpen);

    // Save, save picture, print and print preview go to the report view whichever pane
    // has the focus.
    a = AddAction(ID_FILE_SAVE, QStringLiteral("保存(&S)\tCtrl+S"));
    connect(a, &QAction::triggered, this, [this] { m_pReportView->SaveCopyWithResults(); });
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    a->setToolTip(QStringLiteral("保存"));
    a->setStatusTip(QStringLiteral("保存活动文档"));
    a->setIcon(ToolbarIcon(ID_FILE_SAVE));

    // The Ctrl+C shown in the text is not a working key: Ctrl+C is the copy key, and no
    // window of this program copies anything.
    a = AddAction(ID_FILE_SAVE_PICTURE, QStringLiteral("保存图片(&C)   \tCtrl+C"));
    connect(a, &QAction::triggered, this, [this] { m_pReportView->SaveViewPicture(); });
    a->setStatusTip(QStringLiteral("保存图片"));

    a = AddAction(ID_FILE_PRINT, QStringLiteral("打印(&P)...\tCtrl+P"));
    connect(a, &QAction::triggered, this, [this] { m_pReportView->OnFilePrint(); });
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    a->setToolTip(QStringLiteral("打印"));
    a->setStatusTip(QStringLiteral("打印活动文档"));
    a->setIcon(ToolbarIcon(ID_FILE_PRINT));

    a = AddAction(ID_FILE_PRINT_PREVIEW, QStringLiteral("打印预览(&V)"));
    connect(a, &QAction::triggered, this, [this] { m_pReportView->OnFilePrintPreview(); });
    a->setStatusTip(QStringLiteral("显示整页"));

    a = AddAction(ID_FILE_PRINT_SETUP, QStringLiteral("打印设置(&R)..."));
    connect(a, &QAction::triggered, this, &MainWindow::OnReportSettingsup);
    a->setStatusTip(QStringLiteral("更改打印机选项"));

    a = AddAction(ID_TOOL_PRINT_SETUP, QStringLiteral("打印设置"));
    connect(a, &QAction::triggered, this, &MainWindow::OnReportSettingsup);
    a->setToolTip(QStringLiteral("打印设置"));
    a->setIcon(ToolbarIcon(ID_TOOL_PRINT_SETUP));

    a = AddAction(ID_TOOL_PRINT_PREVIEW, QStringLiteral("打印预览"));
    connect(a, &QAction::triggered, this, [this] { m_pReportView->OnFilePrintPreview(); });
    a->setToolTip(QStringLiteral("打印预览"));
    a->setIcon(ToolbarIcon(ID_TOOL_PRINT_PREVIEW));

    a = AddAction(ID_FILE_SITE_SUMMARY, QStringLiteral("检测结果汇总"));
    a->setToolTip(QStringLiteral("检测结果汇总"));
    a->setStatusTip(QStringLiteral("文件夹内全部锚杆的检测结果汇总表与统计"));
    a->setIcon(QIcon::fromTheme(QStringLiteral("x-office-spreadsheet"),
                                style()->standardIcon(QStyle::SP_FileDialogListView)));
    connect(a, &QAction::triggered, this, &MainWindow::OnSiteSummary);

    a = AddAction(ID_APP_EXIT, QStringLiteral("退出(&X)"));
    a->setStatusTip(QStringLiteral("退出应用程序"));
    connect(a, &QAction::triggered, this, &QWidget::close);

    // View menu: display modes. The menu items carry no shortcut; F7..F10 are separate
    // accelerator commands that do the same, and stay enabled in every mode.
    for (const ModeCommand& m : kModes) {
        const int mode = m.id;
        a = AddAction(m.id, Text(m.text));
        connect(a, &QAction::triggered, this, [this, mode] { OnViewMode(mode); });

        QAction* key = AddAction(m.keyId, QString());
        key->setShortcut(QKeySequence(m.key));
        key->setShortcutContext(Qt::WindowShortcut);
        addAction(key);
        connect(key, &QAction::triggered, this, [this, mode] { OnViewMode(mode); });
    }

    // View menu toggles.
    a = AddAction(ID_VIEW_FILTER, QStringLiteral("滤    波"));
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, &MainWindow::OnViewFilter);
    a = AddAction(ID_VIEW_FILL, QStringLiteral("填    充"));
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, &MainWindow::OnViewFill);
    a = AddAction(ID_VIEW_COMPRESS, QStringLiteral("压    缩"));
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, &MainWindow::OnViewCompress);

    // Suggested markers of the selected channel.
    a = AddAction(ID_AUTO_PICK, QStringLiteral("自动识别\tF4"));
    a->setShortcut(QKeySequence(Qt::Key_F4));
    a->setToolTip(QStringLiteral("自动识别"));
    a->setStatusTip(
        QStringLiteral("识别所选通道的端部、自由端、底部和缺陷，以虚线显示；Enter 采用，Esc 放弃"));
    a->setIcon(ToolbarIcon(ID_AUTO_PICK));
    connect(a, &QAction::triggered, this, [this] {
        const int c = m_pReportView->m_nActiveChannel;
        if (c >= 0 && c < kChannelCount)
            m_pReportView->m_pChannelView[c]->OnCommand(ID_AUTO_PICK);
    });

    // The site's processing chain.
    a = AddAction(ID_VIEW_PROCESSING, QStringLiteral("信号处理..."));
    a->setToolTip(QStringLiteral("信号处理"));
    a->setStatusTip(QStringLiteral("设置本文件夹全部测试的滤波与随深度放大"));
    a->setIcon(ToolbarIcon(ID_VIEW_PROCESSING));
    connect(a, &QAction::triggered, this, &MainWindow::OnViewProcessing);

    // Help.
    a = AddAction(ID_APP_ABOUT, QStringLiteral("关于Veltra-Orvik(&A)..."));
    a->setToolTip(QStringLiteral("关于"));
    a->setStatusTip(QStringLiteral("显示程序信息、版本号和版权"));
    a->setIcon(ToolbarIcon(ID_APP_ABOUT));
    connect(a, &QAction::triggered, this, &MainWindow::OnAppAbout);

    // Next and previous pane.
    a = AddAction(ID_NEXT_PANE, QString());
    a->setShortcut(QKeySequence(Qt::Key_F6));
    addAction(a);
    connect(a, &QAction::triggered, this, [this] { OnActivatePane(true); });
    a = AddAction(ID_PREV_PANE, QString());
    a->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    addAction(a);
    connect(a, &QAction::triggered, this, [this] { OnActivatePane(false); });

    CreateEditActions();
}

void MainWindow::CreateMenus()
{
    // Menu 128. The menu's items are fixed but not their grouping; they stand in
    // the usual 文件 / 视图 / 帮助 menus.
    m_pFileMenu = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    m_pFileMenu->addAction(Action(ID_FILE_NEW));
    m_pFileMenu->addAction(Action(ID_FILE_OPEN));
    m_pFileMenu->addAction(Action(ID_FILE_SAVE));
    m_pFileMenu->addAction(Action(ID_FILE_SAVE_PICTURE));
    m_pFileMenu->addSeparator();
    m_pFileMenu->addAction(Action(ID_FILE_PRINT));
    m_pFileMenu->addAction(Action(ID_FILE_PRINT_PREVIEW));
    m_pFileMenu->addAction(Action(ID_FILE_PRINT_SETUP));
    m_pFileMenu->addAction(Action(ID_FILE_SITE_SUMMARY));
    m_pFileMenu->addSeparator();
    m_pRecentSeparator = m_pFileMenu->addSeparator();
    m_pFileMenu->addAction(Action(ID_APP_EXIT));
    RebuildRecentFileMenu();

    QMenu* edit = CreateEditMenu();
    QMenu* view = menuBar()->addMenu(QStringLiteral("视图(&V)"));
    for (const ModeCommand& m : kModes)
        view->addAction(Action(m.id));
    view->addSeparator();
    view->addAction(Action(ID_VIEW_FILTER));
    view->addAction(Action(ID_VIEW_FILL));
    view->addAction(Action(ID_VIEW_COMPRESS));
    view->addSeparator();
    view->addAction(Action(ID_AUTO_PICK));
    view->addAction(Action(ID_VIEW_PROCESSING));
    view->addAction(Action(ID_VIEW_RESET_GAIN));

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    help->addAction(Action(ID_HELP_MANUAL));
    help->addAction(Action(ID_APP_ABOUT));

    // The update rules run whenever a menu opens.
    for (QMenu* menu : {m_pFileMenu, edit, view, help})
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::UpdateCommandUI);
}

void MainWindow::CreateToolBar()
{
    m_wndToolBar = addToolBar(QStringLiteral("工具栏"));
    m_wndToolBar->setObjectName(QString::number(AFX_IDW_TOOLBAR));
    m_wndToolBar->setIconSize(QSize(16, 15));
    m_wndToolBar->setMovable(false);
    m_wndToolBar->addAction(Action(ID_FILE_OPEN));
    m_wndToolBar->addAction(Action(ID_FILE_SAVE));
    m_wndToolBar->addSeparator();
    m_wndToolBar->addAction(Action(ID_TOOL_PRINT_SETUP));
    m_wndToolBar->addAction(Action(ID_TOOL_PRINT_PREVIEW));
    m_wndToolBar->addAction(Action(ID_FILE_PRINT));
    m_wndToolBar->addAction(Action(ID_FILE_SITE_SUMMARY));
    m_wndToolBar->addAction(Action(ID_AUTO_PICK));
    m_wndToolBar->addAction(Action(ID_VIEW_PROCESSING));
    m_wndToolBar->addAction(Action(ID_APP_ABOUT));
}

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
    Action(ID_FILE_SITE_SUMMARY)->setEnabled(m_pFileTree && !m_pFileTree->m_strFolder.isEmpty());
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
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_pReportView) {
        UpdateCommandUI();
        m_pReportView->RepaintAll();
    }
}

// ---------------------------------------------------------------------------------------
// View commands.

void MainWindow::OnViewMode(int mode)
{
    m_nDisplayMode = mode;
    m_pReportView->RepaintAll();
    UpdateCommandUI();
}

void MainWindow::OnViewFilter()
{
    TestRecord& d = m_pReportView->m_CurData;
    if (m_bFilter == 1) {
        m_bFilter = 0;
        for (int c = 0; c < kChannelCount; ++c) {
            ChannelView* v = m_pReportView->m_pChannelView[c];
            std::copy_n(d.m_nSamples[c].begin(), kMaxSampleCount, v->m_nWave.begin());
        }
    } else {
        m_bFilter = 1;
        for (int c = 0; c < kChannelCount; ++c) {
            ChannelView* v = m_pReportView->m_pChannelView[c];
            v->m_nWave.fill(0);
            LowPass(v->m_nWave, v->m_nRaw, d.m_nSampleInterval, UsableSampleCount(d));
        }
    }
    m_pReportView->RepaintAll();
    UpdateCommandUI();
}

void MainWindow::OnViewFill()
{
    m_bFill = m_bFill == 1 ? 0 : 1;
    m_pReportView->RepaintAll();
    UpdateCommandUI();
}

void MainWindow::OnViewCompress()
{
    m_bCompress = m_bCompress == 1 ? 0 : 1;
    m_bCompressUsed = 1;
    const TestRecord& d = m_pReportView->m_CurData;
    for (ChannelView* v : m_pReportView->m_pChannelView) {
        if (!v)
            continue;
        if (m_bCompress == 1) {
            if (UsableSampleCount(d) != 0)
                v->m_fCompress = CompressCommandFactor(d.m_nSampleInterval, UsableSampleCount(d),
                                                       v->viewport()->width());
        } else {
            v->m_fCompress = 1.0f;
        }
    }
    m_pReportView->RepaintAll();
    UpdateCommandUI();
}

void MainWindow::OnActivatePane(bool next)
{
    const int panes = m_wndSplitter->count();
    int current = -1;
    for (QWidget* w = QApplication::focusWidget(); w && current < 0; w = w->parentWidget())
        for (int i = 0; i < panes; ++i)
            if (w == m_wndSplitter->widget(i))
                current = i;
    int target = 0;
    if (current >= 0)
        target = (current + (next ? 1 : panes - 1)) % panes;
    m_wndSplitter->widget(target)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void MainWindow::OnAppAbout()
{
    AboutDialog dlg(this);
    dlg.exec();
}

// ---------------------------------------------------------------------------------------
// Report settings dialog: run modally, result ignored. Its OK fills the print list, which
// enables print and preview.

void MainWindow::OnReportSettingsup()
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

bool MainWindow::LoadTest(const QString& path, LoadEntrance entrance)
{
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
    if (!MaybeSaveChanges()) {
        m_pFileTree->MarkOpenFile(draw.m_strCurPath);
        return false;
    }
    // The reader leaves the record as it was when it refuses a file; nothing else changes
    // before it has accepted one, so a refused file leaves no trace on screen.
    if (const LoadResult result = draw.m_CurData.Load(path); !result) {
        ShowMessage(result.explained(name));
        return false;
    }
    const QString folder = FolderOf(path);
    if (entrance != LoadEntrance::Tree) {
        if (!folder.isEmpty()) {
            m_pFileTree->ShowFolder(folder);
        } else {
            ShowMessage(QStringLiteral("未有选择文件，请重试！"));
        }
    }
    if (m_pRecentFiles && entrance != LoadEntrance::Document)
        m_pRecentFiles->Add(path);
    SetFileLoaded(1);
    // A test of another folder is shown with that site's processing and reference bolt.
    if (folder != draw.m_strFolder)
        draw.ReadSite(folder);
    ShowLoadedRecord(entrance != LoadEntrance::Document);
    m_pFileTree->MarkOpenFile(path);
    draw.m_strCurPath = path;
    draw.m_strFolder = folder;
    draw.MarkSaved();
    draw.m_pUndo->clear(); // another test, another history
    draw.RepaintAll();
    return true;
}

void MainWindow::OnViewProcessing()
{
    ReportView& draw = *m_pReportView;
    if (m_bFileLoaded != 1)
        return;
    ProcessingDialog dialog(draw.m_Chain, draw.m_CurData.m_nSampleInterval, this);
    if (!m_fnRunProcessing(dialog))
        return;
    bool kept = true;
    draw.EditStep(QStringLiteral("信号处理"),
                  [&] { kept = draw.SetProcessing(dialog.Settings()); });
    if (!kept)
        SetStatusPane(ID_SEPARATOR,
                      QStringLiteral("文件夹无法写入，信号处理设置仅在本次运行中有效"));
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
    const TestRecord& d = draw.m_CurData;
    // The views show exactly the markers this file stores: those of the test shown
    // before go, whichever entrance loaded the file.
    for (int c = 0; c < kChannelCount; ++c) {
        ChannelView& v = *draw.m_pChannelView[c];
        if (resetMagnification)
            v.m_nMagnify = 1;
        v.m_bCursorShown = 0;
        v.m_bEndSet = 0;
        v.m_bFreeEndSet = 0;
        v.m_bBottomSet = 0;
        v.m_bDefectStartSet = 0;
        v.m_bDefectEndSet = 0;
        v.DropSuggestion();
        // The lengths a save writes start as this file's stored ones.
        v.m_fMeasuredL0 = d.m_fMeasured[c][0];
        v.m_fMeasuredLr = d.m_fMeasured[c][1];
        draw.DistributeChannel(c);
    }
    draw.RestoreMarkers();
    draw.m_nActiveChannel = d.m_nReportChannel;
    draw.RefreshInfoPanel(d.m_nReportChannel);
}

} // namespace rovana
