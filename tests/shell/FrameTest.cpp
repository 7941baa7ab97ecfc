// Menus, identifiers, enable and check rules, toolbar, accelerators, status
// bar, splitter, caption, About box, fonts.
#include "AboutDialog.h"
#include "BitmapFile.h"
#include "EvaluationPanel.h"
#include "Fonts.h"
#include "ShellTestSupport.h"

#include <QDialogButtonBox>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace rovana {
namespace {

using test::FrameTest;

struct Item
{
    int id; // -1 for a separator
    QString text;
};

std::vector<Item> ItemsOf(const QMenu* menu)
{
    std::vector<Item> out;
    for (const QAction* a : menu->actions())
        out.push_back(a->isSeparator() ? Item{-1, QString()} : Item{a->data().toInt(), a->text()});
    return out;
}

QMenu* MenuTitled(MainWindow& frame, const QString& title)
{
    for (QAction* a : frame.menuBar()->actions())
        if (a->text() == title)
            return a->menu();
    return nullptr;
}

void ExpectItems(const QMenu* menu, const std::vector<Item>& expected)
{
    ASSERT_NE(menu, nullptr);
    const std::vector<Item> items = ItemsOf(menu);
    ASSERT_EQ(items.size(), expected.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].id, expected[i].id) << "item " << i;
        EXPECT_EQ(items[i].text, expected[i].text) << "item " << i;
    }
}

TEST_F(FrameTest, MenuBarHasFileEditViewAndHelpMenus)
{
    QStringList titles;
    for (QAction* a : frame->menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{"文件(&F)", "编辑(&E)", "视图(&V)", "帮助(&H)"}));
}

TEST_F(FrameTest, FileMenuItemsWithExactTextsAndIdentifiers)
{
    ExpectItems(MenuTitled(*frame, "文件(&F)"), {{57600, QStringLiteral("新建(&N)\tCtrl+N")},
                                                 {57601, QStringLiteral("打开(&O)...\tCtrl+O")},
                                                 {57603, QStringLiteral("保存(&S)\tCtrl+S")},
                                                 {32815, QStringLiteral("保存图片(&C)   \tCtrl+C")},
                                                 {-1, {}},
                                                 {57607, QStringLiteral("打印(&P)...\tCtrl+P")},
                                                 {57609, QStringLiteral("打印预览(&V)")},
                                                 {57606, QStringLiteral("打印设置(&R)...")},
                                                 {32860, QStringLiteral("检测结果汇总")},
                                                 {32895, QStringLiteral("检测报告设置...")},
                                                 {32896, QStringLiteral("生成检测报告...")},
                                                 {-1, {}},
                                                 {57616, QStringLiteral("最近的文件")},
                                                 {-1, {}},
                                                 {57665, QStringLiteral("退出(&X)")}});
}

TEST_F(FrameTest, ViewMenuItemsWithExactTextsAndIdentifiers)
{
    ExpectItems(MenuTitled(*frame, "视图(&V)"), {{32795, QStringLiteral("时    域     \tF7")},
                                                 {32794, QStringLiteral("频    谱    \tF8")},
                                                 {32847, QStringLiteral("相    位    \tF9")},
                                                 {32849, QStringLiteral("瞬时能量    \tF10")},
                                                 {-1, {}},
                                                 {32843, QStringLiteral("滤    波")},
                                                 {32845, QStringLiteral("填    充")},
                                                 {32854, QStringLiteral("压    缩")},
                                                 {-1, {}},
                                                 {32870, QStringLiteral("自动识别\tF4")},
                                                 {32873, QStringLiteral("信号处理...")},
                                                 {32876, QStringLiteral("恢复原始放大\tCtrl+0")},
                                                 {32877, QStringLiteral("适合幅值\tCtrl+F")},
                                                 {-1, {}},
                                                 {32890, QStringLiteral("下一个测试\tPage Down")},
                                                 {32891, QStringLiteral("上一个测试\tPage Up")}});
}

TEST_F(FrameTest, HelpMenuHasTheManualAndTheAboutItem)
{
    ExpectItems(MenuTitled(*frame, "帮助(&H)"),
                {{57670, QStringLiteral("使用说明\tF1")},
                 {57664, QStringLiteral("关于Veltra-Orvik(&A)...")}});
}

TEST_F(FrameTest, EveryActionCarriesItsIdentifierAsDataAndObjectName)
{
    for (int id :
         {57600, 57601, 57603, 57606, 57607, 57609, 32815, 57665, 32795, 32794, 32847, 32849,
          32819, 59410, 32820, 32821, 32843, 32845, 32854, 32827, 32826, 57664, 57680, 57681}) {
        QAction* a = frame->Action(id);
        ASSERT_NE(a, nullptr) << id;
        EXPECT_EQ(a->data().toInt(), id);
        EXPECT_EQ(a->objectName(), QString::number(id));
        EXPECT_EQ(frame->findChild<QAction*>(QString::number(id)), a);
    }
}

TEST_F(FrameTest, StartUpEnableAndCheckRules)
{
    EXPECT_EQ(frame->m_nDisplayMode, ID_VIEW_TIMEDOMAIN);
    EXPECT_FALSE(frame->Action(32795)->isEnabled());
    EXPECT_TRUE(frame->Action(32794)->isEnabled());
    EXPECT_TRUE(frame->Action(32847)->isEnabled());
    EXPECT_TRUE(frame->Action(32849)->isEnabled());

    for (int id : {32843, 32845, 32854})
        EXPECT_TRUE(frame->Action(id)->isCheckable()) << id;
    EXPECT_TRUE(frame->Action(32843)->isChecked());
    EXPECT_FALSE(frame->Action(32845)->isChecked());
    EXPECT_TRUE(frame->Action(32854)->isChecked());

    for (int id : {57603, 57606, 32815, 32827})
        EXPECT_FALSE(frame->Action(id)->isEnabled()) << id;
    for (int id : {57607, 57609, 32826})
        EXPECT_FALSE(frame->Action(id)->isEnabled()) << id;
    for (int id : {57600, 57601, 57665, 57664})
        EXPECT_TRUE(frame->Action(id)->isEnabled()) << id;

    EXPECT_EQ(frame->m_bFilter, 1);
    EXPECT_EQ(frame->m_bFill, 0);
    EXPECT_EQ(frame->m_bCompress, 1);
    EXPECT_EQ(frame->m_bCompressUsed, 0);
    EXPECT_EQ(frame->m_fPeakFrequency, 0.0f);
    EXPECT_EQ(frame->m_fBinWidth, 0.0f);
    EXPECT_EQ(frame->m_bSplitterReady, 1);
    EXPECT_EQ(frame->m_bPrintMode, 0);
    EXPECT_EQ(frame->m_bFileLoaded, 0);
    EXPECT_EQ(frame->m_bPrintList, 0);
    EXPECT_EQ(frame->m_pEvaluationPanel, frame->Pane(2));
    EXPECT_TRUE(frame->m_PrintList.isEmpty());
    EXPECT_TRUE(frame->m_strLastItemName.isEmpty());
    EXPECT_TRUE(frame->m_strLastTester.isEmpty());
}

TEST_F(FrameTest, RulesAfterALoadAndAfterThePrintListIsFilled)
{
    Open(WriteRecord("MG0001.mg"));
    ASSERT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
    for (int id : {57603, 57606, 32815, 32827})
        EXPECT_TRUE(frame->Action(id)->isEnabled()) << id;
    for (int id : {57607, 57609, 32826})
        EXPECT_FALSE(frame->Action(id)->isEnabled()) << id;
    // The mode and the toggles persist across loads.
    EXPECT_FALSE(frame->Action(32795)->isEnabled());
    EXPECT_TRUE(frame->Action(32843)->isChecked());

    frame->SetPrintList({QStringLiteral("MG0001.mg")});
    EXPECT_EQ(frame->m_bPrintList, 1);
    for (int id : {57607, 57609, 32826})
        EXPECT_TRUE(frame->Action(id)->isEnabled()) << id;
}

TEST_F(FrameTest, DisplayModeItemIsDisabledWhileCurrent)
{
    frame->Action(ID_VIEW_PHASE)->trigger();
    EXPECT_EQ(frame->m_nDisplayMode, ID_VIEW_PHASE);
    EXPECT_TRUE(frame->Action(32795)->isEnabled());
    EXPECT_TRUE(frame->Action(32794)->isEnabled());
    EXPECT_FALSE(frame->Action(32847)->isEnabled());
    EXPECT_TRUE(frame->Action(32849)->isEnabled());
    frame->Action(ID_VIEW_ENERGY)->trigger();
    EXPECT_EQ(frame->m_nDisplayMode, ID_VIEW_ENERGY);
    EXPECT_FALSE(frame->Action(32849)->isEnabled());
    frame->Action(ID_VIEW_TIMEDOMAIN)->trigger();
    EXPECT_EQ(frame->m_nDisplayMode, ID_VIEW_TIMEDOMAIN);
}

TEST_F(FrameTest, AcceleratorsOfTable128)
{
    EXPECT_EQ(frame->Action(57600)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(frame->Action(57601)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(frame->Action(57603)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(frame->Action(57607)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(frame->Action(57680)->shortcut(), QKeySequence(Qt::Key_F6));
    EXPECT_EQ(frame->Action(57681)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    EXPECT_EQ(frame->Action(32819)->shortcut(), QKeySequence(Qt::Key_F7));
    EXPECT_EQ(frame->Action(59410)->shortcut(), QKeySequence(Qt::Key_F8));
    EXPECT_EQ(frame->Action(32820)->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(frame->Action(32821)->shortcut(), QKeySequence(Qt::Key_F10));
    // The keys act from every pane of the window.
    for (int id : {57601, 57680, 57681, 32819, 59410, 32820, 32821})
        EXPECT_NE(frame->Action(id)->shortcutContext(), Qt::WidgetShortcut) << id;
    // The Ctrl+C written next to "保存图片" is not a working key.
    EXPECT_TRUE(frame->Action(32815)->shortcut().isEmpty());
    // The menu items of the modes carry no key of their own: F7..F10 are the separate
    // accelerator commands, enabled in every mode.
    EXPECT_TRUE(frame->Action(32795)->shortcut().isEmpty());
    for (int id : {32819, 59410, 32820, 32821})
        EXPECT_TRUE(frame->Action(id)->isEnabled()) << id;
}

TEST_F(FrameTest, ToolbarButtonsInOrderWithTooltips)
{
    const auto bars = frame->findChildren<QToolBar*>();
    ASSERT_EQ(bars.size(), 1);
    EXPECT_EQ(bars[0]->objectName(), QString::number(0xE800));
    std::vector<int> ids;
    QStringList tips;
    for (QAction* a : bars[0]->actions()) {
        ids.push_back(a->isSeparator() ? -1 : a->data().toInt());
        if (!a->isSeparator())
            tips << a->toolTip();
    }
    EXPECT_EQ(
        ids, (std::vector<int>{57601, 57603, -1, 32827, 32826, 57607, 32860, 32870, 32873, 57664}));
    EXPECT_EQ(tips, (QStringList{"打开", "保存", "打印设置", "打印预览", "打印", "检测结果汇总",
                                 "自动识别", "信号处理", "关于"}));
    EXPECT_EQ(bars[0]->iconSize(), QSize(16, 15));
    // The toolbar buttons follow the same rules as the menu items.
    EXPECT_FALSE(frame->Action(32827)->isEnabled());
    EXPECT_FALSE(frame->Action(32826)->isEnabled());
}

TEST_F(FrameTest, StatusBarHasNinePanesWithTheirInitialTexts)
{
    EXPECT_EQ(frame->statusBar()->objectName(), QString::number(0xE801));
    const std::vector<std::pair<int, QString>> panes = {
        {59142, "项目："}, {59143, "文件："}, {59144, "采样点数："}, {59145, "采样间隔："},
        {59146, "高通："}, {59147, "低通："}, {59148, "时间："},     {59149, " "}};
    ASSERT_NE(frame->StatusPane(ID_SEPARATOR), nullptr); // the message pane
    for (const auto& [id, text] : panes)
        EXPECT_EQ(frame->StatusPaneText(id), text) << id;
    const auto labels = frame->statusBar()->findChildren<QLabel*>();
    EXPECT_EQ(labels.size(), 9);
}

TEST_F(FrameTest, StatusBarTextsAfterLoadingASample)
{
    ShowFrame();
    const QString sample = QStringLiteral(ROVANA_SAMPLES_DIR "/MG0003.mg");
    TestRecord expected;
    ASSERT_TRUE(expected.Load(sample));
    Open(sample);
    ASSERT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
    Draw().repaint();
    test::Settle();
    EXPECT_EQ(frame->StatusPaneText(59142), "项目;" + expected.m_strProject);
    EXPECT_EQ(frame->StatusPaneText(59143), "文件;" + expected.m_strFile);
    EXPECT_EQ(frame->StatusPaneText(59144),
              QStringLiteral("采样点数;%1").arg(expected.m_nSampleCount));
    EXPECT_EQ(frame->StatusPaneText(59145),
              QStringLiteral("采样间隔;%1 us").arg(expected.m_nSampleInterval));
    EXPECT_EQ(frame->StatusPaneText(59146), QStringLiteral("高通;%1 Hz").arg(expected.m_nHighPass));
    EXPECT_EQ(frame->StatusPaneText(59147), QStringLiteral("低通;%1 Hz").arg(expected.m_nLowPass));
    EXPECT_TRUE(frame->StatusPaneText(59148).startsWith("时间;"));
    EXPECT_EQ(frame->StatusPaneText(59148).size(), 3 + 10); // "时间;YYYY-MM-DD"
    EXPECT_EQ(frame->StatusPaneText(59149), " ");
}

TEST_F(FrameTest, StatusTextsStayUntilAFileIsLoaded)
{
    ShowFrame();
    Draw().repaint();
    test::Settle();
    EXPECT_EQ(frame->StatusPaneText(59142), "项目：");
    EXPECT_EQ(frame->StatusPaneText(59148), "时间：");
}

TEST_F(FrameTest, CaptionAndPanes)
{
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Veltra - Orvik 锚杆无损检测仪分析软件"));
    EXPECT_EQ(frame->Pane(0), frame->TreePane());
    EXPECT_EQ(frame->Pane(1), frame->ReportPane());
    EXPECT_NE(qobject_cast<EvaluationPanel*>(frame->Pane(2)), nullptr);
    EXPECT_EQ(frame->Pane(3), nullptr);
    const auto* splitter = qobject_cast<QSplitter*>(frame->centralWidget());
    ASSERT_NE(splitter, nullptr);
    EXPECT_EQ(splitter->orientation(), Qt::Horizontal);
    EXPECT_EQ(splitter->count(), 3);
}

TEST_F(FrameTest, RightPaneKeepsItsWidthAndTheReportViewTakesTheRest)
{
    ShowFrame();
    frame->resize(1200, 800);
    test::Settle();
    EXPECT_EQ(frame->Pane(2)->width(), 280);
    const int tree = frame->Pane(0)->width();
    const int draw = frame->Pane(1)->width();

    frame->resize(1500, 800);
    test::Settle();
    EXPECT_EQ(frame->Pane(2)->width(), 280);
    EXPECT_EQ(frame->Pane(0)->width(), tree);
    EXPECT_EQ(frame->Pane(1)->width(), draw + 300);
    // The right pane stands at the right edge.
    const auto* splitter = qobject_cast<QSplitter*>(frame->centralWidget());
    EXPECT_EQ(frame->Pane(2)->geometry().right(), splitter->width() - 1);

    frame->resize(1000, 700);
    test::Settle();
    EXPECT_EQ(frame->Pane(2)->width(), 280);
    EXPECT_EQ(frame->Pane(1)->width(), draw - 200);
}

TEST_F(FrameTest, TreePaneStartsAtASixthOfTheWidthItWasCreatedWith)
{
    const int created = frame->width();
    ShowFrame();
    EXPECT_NEAR(frame->Pane(0)->width(), created / 6, 1);
}

TEST_F(FrameTest, AboutBoxCaptionTextAndOkButton)
{
    AboutDialog dlg;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("关于Veltra-Orvik"));
    const auto* text = dlg.findChild<QLabel*>(QStringLiteral("description"));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->text().contains(QStringLiteral("Orvik 锚杆无损检测仪分析软件")));
    EXPECT_TRUE(text->text().contains(QStringLiteral("版")));
    const auto* icon = dlg.findChild<QLabel*>(QStringLiteral("icon"));
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    const auto* buttons = dlg.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->buttons().size(), 1);
}

TEST_F(FrameTest, AboutCommandShowsTheAboutBoxModally)
{
    QString caption;
    QTimer::singleShot(0, [&caption] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            caption = w->windowTitle();
            w->close();
        }
    });
    frame->Action(ID_APP_ABOUT)->trigger();
    EXPECT_EQ(caption, QStringLiteral("关于Veltra-Orvik"));
}

TEST_F(FrameTest, SavePrintAndPictureCommandsReachTheReportView)
{
    Open(WriteRecord("MG0001.mg"));
    frame->SetPrintList({QStringLiteral("MG0001.mg")});
    messages.clear();
    ReportView* view = frame->ReportPane();
    QStringList asked;
    view->m_fnAskSavePath = [&](const QString& name) {
        asked << "save " + QFileInfo(name).fileName();
        return QString();
    };
    view->m_fnPrintDialog = [&](QPrinter&) {
        asked << "print";
        return false;
    };
    view->m_fnPreview = [&](QPrinter&, const std::function<void(QPrinter&)>&) {
        asked << "preview";
    };
    view->m_fnMessage = [&](const QString& text) { asked << text; };
    for (int id : {57603, 57607, 57609, 32826})
        frame->Action(id)->trigger();
    EXPECT_EQ(asked, (QStringList{"save MG0001.mg", "print", "preview", "preview"}));
    EXPECT_EQ(frame->m_bPrintMode, 0);
    EXPECT_EQ(frame->m_PrintList.size(), 1); // cancelled print, preview: the list stays

    asked.clear();
    frame->Action(32815)->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].startsWith(QStringLiteral("图片已保存至"))) << asked[0].toStdString();
    EXPECT_TRUE(QFile::exists(PicturePathFor(view->m_strCurPath)));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FrameTest, PanelFollowsTheReportViewsSelectedChannelAndRecord)
{
    // The sample with a saved analysis: channel 2 is the report channel, with end, free end
    // and bottom set and grade B; its markers measure 5.98 m against the 6 m design, so the
    // class follows the grade: II.
    Open(Write("MG0003.mg", test::ReadBytes(QStringLiteral(ROVANA_SAMPLES_DIR "/MG0003.mg"))));
    EvaluationPanel* panel = frame->m_pEvaluationPanel;
    ASSERT_EQ(frame->ReportPane()->m_nActiveChannel, 1);
    EXPECT_EQ(panel->ShownGrade(), 1);
    EXPECT_EQ(panel->ShownClass(), 1);
    EXPECT_EQ(panel->ShownAnchor(), "5.00");
    panel->ClickCriterion(0); // grading reaches the selected channel
    EXPECT_EQ(frame->ReportPane()->m_Edit.Marks(1).grade, 0);
}

TEST(FontTest, SongIsMappedToAnInstalledCjkSerifFace)
{
    const QFont song(QStringLiteral("宋体"), 11);
    const QString family = QFontInfo(song).family();
    // Debian's fonts-noto-cjk, which the set-up installs, provides the first choice.
    EXPECT_EQ(family, QStringLiteral("Noto Serif CJK SC"));
    // Qt keeps the substitutes in lower case.
    QStringList expected;
    for (const QString& face : SongFaceSubstitutes())
        expected << face.toLower();
    EXPECT_EQ(QFont::substitutes(QStringLiteral("宋体")), expected);
    EXPECT_EQ(QFont::substitutes(QStringLiteral("SimSun")), expected);
}

} // namespace
} // namespace rovana
