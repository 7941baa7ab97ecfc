// The summary window and its command in the main window: table, sorting, double-click,
// statistics, saving, printing, the progress bar, and the menu item.
#include "SummaryWindow.h"
#include "CommandIds.h"
#include "FileTree.h"
#include "MainWindow.h"
#include "ReportView.h"
#include "RowSuggestion.h"
#include "SummaryCsv.h"
#include "SummaryTestFiles.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace rovana {
namespace {

using summary::Column;

int ColumnOf(Column c)
{
    return static_cast<int>(c);
}

class SummaryWindowTest : public ::testing::Test
{
protected:
    SummaryWindowTest() : window(site.Folder())
    {
        window.SetMessageSink([this](const QString& text) { messages << text; });
        EXPECT_TRUE(window.Refresh());
    }
    QAbstractItemModel* model() { return window.Table()->model(); }
    QString Cell(int row, Column c) { return model()->index(row, ColumnOf(c)).data().toString(); }

    test::SiteFolder site;
    SummaryWindow window;
    QStringList messages;
};

TEST_F(SummaryWindowTest, ShowsTheTableSortsByNumberAndOpensTheDoubleClickedFile)
{
    const auto files = test::SiteFiles();
    ASSERT_EQ(model()->rowCount(), static_cast<int>(files.size()));
    for (int r = 0; r < model()->rowCount(); ++r)
        for (int k = 0; k < summary::kColumnCount; ++k)
            EXPECT_EQ(Cell(r, static_cast<Column>(k)),
                      files[static_cast<std::size_t>(r)].expected[static_cast<std::size_t>(k)]);
    EXPECT_TRUE(window.StatisticsTexts().contains(QStringLiteral("66.7")));
    for (const char* text : {"打印", "打印预览", "保存PDF", "保存CSV", "保存Excel"})
        EXPECT_NE(window.Button(QString::fromUtf8(text)), nullptr) << text;

    // 101.3 sorts above 95.5: numbers, not texts.
    window.Table()->sortByColumn(ColumnOf(Column::LengthRatio), Qt::DescendingOrder);
    EXPECT_EQ(Cell(0, Column::File), QStringLiteral("A05.mg"));
    EXPECT_EQ(Cell(1, Column::File), QStringLiteral("A01.mg"));
    window.Table()->sortByColumn(ColumnOf(Column::MeasuredLength), Qt::AscendingOrder);
    for (int r = 0; r < 3; ++r) // A02, A04, A06: nothing measured, empty cells first
        EXPECT_TRUE(Cell(r, Column::MeasuredLength).isEmpty()) << r;
    EXPECT_EQ(Cell(3, Column::File), QStringLiteral("A05.mg")); // 3.24 m

    QSignalSpy opened(&window, &SummaryWindow::OpenFileRequested);
    emit window.Table()->doubleClicked(model()->index(2, ColumnOf(Column::Grade)));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0][0].toString(), site.Path(Cell(2, Column::File)));
}

// A file saved into the folder, a new one and a removed one reach the table by themselves,
// with the sort and the selected bolt kept; the CSV follows the order on screen.
TEST_F(SummaryWindowTest, FollowsTheFolderKeepsSortAndSelectionAndSavesTheScreensOrder)
{
    window.Table()->sortByColumn(ColumnOf(Column::LengthRatio), Qt::DescendingOrder);
    window.Table()->selectRow(1); // A01.mg
    ASSERT_EQ(window.SelectedPath(), site.Path(QStringLiteral("A01.mg")));

    // A02 analysed elsewhere (a rename onto it, as every save of this program does), A07
    // copied in, A06 removed.
    const auto files = test::SiteFiles();
    QByteArray a02 = files[1].bytes;
    test::Analyse(a02, 0, 3500,
                  {test::Channel({20, 60, 220, 0, 0}, 0.7f, 2.8f, 0, 0),
                   test::Channel({0, 0, 0, 0, 0}, 0, 0), test::Channel({0, 0, 0, 0, 0}, 0, 0)});
    ASSERT_TRUE(test::WriteBytes(site.Path(QStringLiteral("A02.tmp")), a02));
    ASSERT_TRUE(QFile::remove(site.Path(QStringLiteral("A02.mg"))));
    ASSERT_TRUE(
        QFile::rename(site.Path(QStringLiteral("A02.tmp")), site.Path(QStringLiteral("A02.mg"))));
    ASSERT_TRUE(test::WriteBytes(site.Path(QStringLiteral("A07.mg")), files[0].bytes));
    ASSERT_TRUE(QFile::remove(site.Path(QStringLiteral("A06.mg"))));
    for (int i = 0; i < 50 && window.Summary().rows.size() != 6; ++i)
        QTest::qWait(100);
    for (int i = 0; i < 10; ++i) // a later event of the same burst
        QTest::qWait(100);

    ASSERT_EQ(model()->rowCount(), 6);
    EXPECT_EQ(window.SelectedPath(), site.Path(QStringLiteral("A01.mg")));
    // Ratios on screen: A05 101.3, A02 100.0 (3.50 of 3.50), A01 95.5, A07 95.5, A03 58.3.
    const QStringList order = {"A05.mg", "A02.mg", "A01.mg", "A07.mg", "A03.mg", "A04.mg"};
    for (int r = 0; r < order.size(); ++r)
        EXPECT_EQ(Cell(r, Column::File), order[r]) << r;
    EXPECT_EQ(Cell(1, Column::Verdict), QStringLiteral("合格"));

    QTemporaryDir out;
    window.SetSaveDialog([&out](const QString&, const QString&, const QString&) {
        return out.filePath(QStringLiteral("site.csv"));
    });
    ASSERT_TRUE(window.OnSaveCsv());
    const QStringList lines =
        QString::fromUtf8(test::ReadBytes(out.filePath(QStringLiteral("site.csv")))).split("\r\n");
    for (int r = 0; r < order.size(); ++r)
        EXPECT_TRUE(lines[r + 1].endsWith(order[r])) << lines[r + 1].toStdString();
}

TEST_F(SummaryWindowTest, SavesCsvExcelAndPdfAndNeverOntoAnInput)
{
    QTemporaryDir out;
    QString chosen;
    window.SetSaveDialog(
        [&chosen](const QString&, const QString&, const QString&) { return chosen; });

    chosen = out.filePath(QStringLiteral("site")); // the suffix is added
    EXPECT_TRUE(window.OnSaveCsv());
    EXPECT_EQ(test::ReadBytes(out.filePath(QStringLiteral("site.csv"))),
              summary::SummaryCsv(window.Summary()));
    EXPECT_TRUE(window.OnSaveExcel());
    EXPECT_TRUE(test::ReadBytes(out.filePath(QStringLiteral("site.xlsx"))).startsWith("PK"));
    EXPECT_TRUE(window.OnSavePdf());
    EXPECT_TRUE(test::ReadBytes(out.filePath(QStringLiteral("site.pdf"))).startsWith("%PDF"));
    EXPECT_EQ(messages, QStringList(3, QStringLiteral("已保存！")));

    const QByteArray input = test::ReadBytes(site.Path(QStringLiteral("A01.mg")));
    chosen = site.Path(QStringLiteral("A01.mg")) + QStringLiteral(".csv");
    ASSERT_TRUE(QFile::link(site.Path(QStringLiteral("A01.mg")), chosen));
    EXPECT_FALSE(window.OnSaveCsv());
    EXPECT_TRUE(messages.back().startsWith(QStringLiteral("无法创建文件")));
    EXPECT_EQ(test::ReadBytes(site.Path(QStringLiteral("A01.mg"))), input);

    chosen.clear(); // Cancel
    messages.clear();
    EXPECT_FALSE(window.OnSaveCsv());
    EXPECT_TRUE(messages.isEmpty());
}

// The overwrite question is about the file that will be written, the suffix added; "no"
// brings the dialog back with that name (Cancel there).
TEST_F(SummaryWindowTest, AsksAboutReplacingTheFileItWillWrite)
{
    QTemporaryDir out;
    ASSERT_TRUE(test::WriteBytes(out.filePath("MG0002.mg"), "a test file"));
    const std::tuple<const char*, bool, bool> rows[] = {
        // typed name, the file to write exists, the answer
        {"MG0002.mg", false, true}, // writes MG0002.mg.csv and asks nothing about MG0002.mg
        {"site", true, false},
        {"site", true, true},
    };
    for (const auto& [command, suffix] : {std::pair{&SummaryWindow::OnSaveCsv, ".csv"},
                                          {&SummaryWindow::OnSaveExcel, ".xlsx"},
                                          {&SummaryWindow::OnSavePdf, ".pdf"}}) {
        for (const auto& [typed, exists, answer] : rows) {
            const QString written = out.filePath(typed + QString(suffix));
            ASSERT_TRUE(!exists || test::WriteBytes(written, "old"));
            QStringList proposed, asked;
            window.SetSaveDialog([&](const QString&, const QString&, const QString& p) {
                proposed << p;
                return proposed.size() == 1 ? out.filePath(typed) : QString();
            });
            window.SetConfirmReplace([&](const QString& path) {
                asked << path;
                return answer;
            });
            EXPECT_EQ((window.*command)(), !exists || answer) << written.toStdString();
            EXPECT_EQ(asked, exists ? QStringList{written} : QStringList{});
            EXPECT_EQ(test::ReadBytes(written) == "old", exists && !answer);
            EXPECT_EQ(proposed.value(1), exists && !answer ? written : QString());
            QFile::remove(written);
        }
    }
    EXPECT_EQ(test::ReadBytes(out.filePath("MG0002.mg")), "a test file");
}

TEST_F(SummaryWindowTest, PrintsOnePageForThisSite)
{
    QTemporaryDir out;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(QStringLiteral("printed.pdf")));
    EXPECT_EQ(window.RenderOnPrinter(printer), 1);
    EXPECT_GT(QFileInfo(out.filePath(QStringLiteral("printed.pdf"))).size(), 1000);
}

TEST(SummaryWindowProgressTest, LargeFoldersShowAProgressBarThatCancels)
{
    QTemporaryDir dir;
    for (int i = 0; i < SummaryWindow::kProgressFromFiles; ++i)
        ASSERT_TRUE(test::WriteBytes(
            dir.filePath(QStringLiteral("F%1.mg").arg(i, 4, 10, QLatin1Char('0'))), "tiny"));
    SummaryWindow window(dir.path());
    bool shown = false;
    QTimer::singleShot(0, &window, [&] {
        if (auto* progress = window.findChild<QProgressDialog*>()) {
            shown = true;
            progress->cancel();
        }
    });
    EXPECT_FALSE(window.Refresh());
    EXPECT_TRUE(shown);
    EXPECT_EQ(window.Table()->model()->rowCount(), 0);
    EXPECT_TRUE(window.Refresh()); // not cancelled this time
    EXPECT_EQ(window.Table()->model()->rowCount(), SummaryWindow::kProgressFromFiles);
}

TEST(SummaryCommandTest, MenuItemFollowsTheTreeAndRowsOpenInTheMainWindow)
{
    const test::SiteFolder site;
    MainWindow frame;
    frame.SetMessageSink([](const QString&) {});
    frame.SetUnsavedQuestion([](const QString&) { return MainWindow::UnsavedAnswer::Discard; });
    QAction* action = frame.Action(ID_FILE_SITE_SUMMARY);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QStringLiteral("检测结果汇总"));
    EXPECT_FALSE(action->isEnabled());

    frame.TreePane()->m_strFolder = site.Folder();
    frame.TreePane()->RefreshTree();
    EXPECT_TRUE(action->isEnabled());

    action->trigger();
    auto* window = frame.findChild<SummaryWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    QAbstractItemModel* m = window->Table()->model();
    ASSERT_EQ(m->rowCount(), 6);
    emit window->Table()->doubleClicked(m->index(4, 0)); // A05.mg
    EXPECT_EQ(frame.ReportPane()->m_strCurPath, site.Path(QStringLiteral("A05.mg")));
    EXPECT_EQ(frame.ReportPane()->m_CurData.m_nReportChannel, 2);
    window->close();
}

// The window's summary keeps the picker's values in the folder's cache and takes them from
// there for a file whose bytes are unchanged.
TEST_F(SummaryWindowTest, TakesThePickersValuesFromTheFoldersCache)
{
    const std::unique_ptr<SuggestionCache> cache = summary::OpenSuggestionCache(site.Folder());
    ASSERT_EQ(cache->FileState(), SuggestionCache::State::Read);
    for (const QString& path : summary::FolderTestFiles(site.Folder())) {
        const QString name = QFileInfo(path).fileName();
        const std::optional<KeptSuggestion> kept = cache->Lookup(name);
        if (!kept)
            continue; // A04.mg cannot be read: nothing kept
        cache->Keep(name, HashContent(test::ReadBytes(path)),
                    name == QStringLiteral("A01.mg")
                        ? summary::EncodeRowSuggestion({99.5f, {}})
                        : kept->value);
    }
    ASSERT_TRUE(cache->Finish());
    ASSERT_TRUE(window.Refresh());
    EXPECT_EQ(Cell(0, Column::File), QStringLiteral("A01.mg"));
    EXPECT_EQ(Cell(0, Column::SuggestedLength), QStringLiteral("99.50"));
}

} // namespace
} // namespace rovana
