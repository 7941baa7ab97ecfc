// The main window's commands: its actions, menus and toolbar, and the View menu's
// display commands.
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
    connect(a, &QAction::triggered, this, &MainWindow::OnReportSettings);
    a->setStatusTip(QStringLiteral("更改打印机选项"));

    a = AddAction(ID_TOOL_PRINT_SETUP, QStringLiteral("打印设置"));
    connect(a, &QAction::triggered, this, &MainWindow::OnReportSettings);
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

    a = AddAction(ID_FILE_REPORT_SETTINGS, QStringLiteral("检测报告设置..."));
    a->setStatusTip(
        QStringLiteral("本文件夹检测报告的报告编号、工程与各方单位、检测依据、签字人与结论"));
    connect(a, &QAction::triggered, this, &MainWindow::OnInspectionReportSettings);

    a = AddAction(ID_FILE_INSPECTION_REPORT, QStringLiteral("生成检测报告..."));
    a->setStatusTip(QStringLiteral("由本文件夹全部测试生成锚杆锚固质量无损检测报告（PDF 或 ODT）"));
    connect(a, &QAction::triggered, this, &MainWindow::OnInspectionReport);

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
    m_pFileMenu->addAction(Action(ID_FILE_REPORT_SETTINGS));
    m_pFileMenu->addAction(Action(ID_FILE_INSPECTION_REPORT));
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
    view->addAction(Action(ID_VIEW_FIT_AMPLITUDE));

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
    const TestRecord& d = m_pReportView->CurrentRecord();
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
    const TestRecord& d = m_pReportView->CurrentRecord();
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

} // namespace rovana
