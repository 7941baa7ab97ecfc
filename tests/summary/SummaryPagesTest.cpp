// The printed summary: which row lands on which page, the header row and footer on every
// page, the statistics at the end; and the PDF read back with pdftotext.
#include "SummaryLayout.h"
#include "SummaryPainter.h"
#include "SummaryTestFiles.h"

#include <QHash>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace rovana::summary {
namespace {

// A4 at 600 dpi, as the PDF writer's page.
const sheet::SheetDevice kA4{4958, 7017, 600};

// A measure without a display: every character 40 px wide (CJK 80), lines 100 px high.
sheet::MeasureText FixedMeasure()
{
    return [](const QString& text, double pointSize) {
        int w = 0;
        for (const QChar c : text)
            w += c.unicode() >= 0x2E80 ? 80 : 40;
        return QSize(static_cast<int>(w * pointSize / 10.0), static_cast<int>(10 * pointSize));
    };
}

SiteSummary SyntheticSite(int rows)
{
    SiteSummary s;
    for (int i = 0; i < rows; ++i) {
        SummaryRow r;
        r.index = i + 1;
        r.fileName = QStringLiteral("K%1.mg").arg(i + 1, 4, 10, QLatin1Char('0'));
        r.path = QStringLiteral("/site/") + r.fileName;
        r.readable = i % 7 != 3;
        r.boltNo = QStringLiteral("M-%1").arg(i + 1);
        r.testDate = QStringLiteral("2026-06-01");
        r.designLength = 4.0f;
        r.measuredLength = 3.0f + static_cast<float>(i % 10) / 10.0f;
        r.qualityClass = i % 4 == 0 ? QStringLiteral("III") : QString();
        r.verdict = i % 4 == 0 ? Verdict::Pass : Verdict::NotEvaluated;
        r.projectName = QStringLiteral("北线");
        s.rows.push_back(r);
    }
    s.statistics = ComputeStatistics(s.rows);
    s.header = HeaderOf(s.rows);
    return s;
}

std::vector<const PageItem*> ItemsOf(const SummaryPage& page, PageRole role)
{
    std::vector<const PageItem*> out;
    for (const PageItem& item : page.items)
        if (item.role == role)
            out.push_back(&item);
    return out;
}

TEST(SummaryLayoutTest, RowsFillThePagesInOrderWithHeaderAndFooterOnEach)
{
    struct Case
    {
        int rows;
        int pages;              // in all
        bool statisticsOwnPage; // the statistics do not fit below the last rows
    };
    // With the fixed measure a page holds 50 rows of 7 pt; the statistics (two columns of
    // nine lines and a gap) fit below at most 34 rows.
    const std::vector<Case> cases = {{0, 1, false}, {1, 1, false},  {34, 1, false}, {35, 2, true},
                                     {50, 2, true}, {51, 2, false}, {135, 4, true}};
    for (const Case& c : cases) {
        const SiteSummary site = SyntheticSite(c.rows);
        const std::vector<SummaryPage> pages = LayoutSummaryPages(site, kA4, FixedMeasure());
        ASSERT_EQ(static_cast<int>(pages.size()), c.pages) << c.rows << " rows";
        int next = 0;
        for (std::size_t p = 0; p < pages.size(); ++p) {
            const SummaryPage& page = pages[p];
            const auto footer = ItemsOf(page, PageRole::Footer);
            ASSERT_EQ(footer.size(), 1u);
            EXPECT_EQ(footer[0]->text, QStringLiteral("第 %1 页 共 %2 页").arg(p + 1).arg(c.pages));
            EXPECT_EQ(ItemsOf(page, PageRole::Title).size(), 1u);
            ASSERT_EQ(ItemsOf(page, PageRole::HeaderInfo).size(), 2u);
            EXPECT_TRUE(
                ItemsOf(page, PageRole::HeaderInfo)[0]->text.endsWith(QStringLiteral("北线")) ||
                c.rows == 0);
            if (!page.hasTable) {
                EXPECT_TRUE(ItemsOf(page, PageRole::ColumnHeader).empty());
                continue;
            }
            // The header row: every column's lines.
            EXPECT_EQ(ItemsOf(page, PageRole::ColumnHeader).size(), 24u); // 9 headers on two lines
            EXPECT_EQ(page.firstRow, next);
            for (const PageItem* cell : ItemsOf(page, PageRole::Cell)) {
                EXPECT_GE(cell->row, page.firstRow);
                EXPECT_LT(cell->row, page.firstRow + page.rowCount);
                EXPECT_EQ(cell->text, CellOf(site.rows[static_cast<std::size_t>(cell->row)],
                                             static_cast<Column>(cell->column))
                                          .text);
            }
            next += page.rowCount;
        }
        EXPECT_EQ(next, c.rows);
        EXPECT_TRUE(pages.back().hasStatistics);
        EXPECT_EQ(pages.back().hasTable, !c.statisticsOwnPage) << c.rows << " rows";
        for (std::size_t p = 0; p + 1 < pages.size(); ++p)
            EXPECT_FALSE(pages[p].hasStatistics);
        EXPECT_EQ(ItemsOf(pages.back(), PageRole::StatisticsValue).size(),
                  StatisticsLines(site.statistics).size());
    }
}

TEST(SummaryLayoutTest, ColumnsFillTheWidthAndLongTextsAreCut)
{
    SiteSummary site = SyntheticSite(3);
    site.rows[1].boltNo = QString(200, QLatin1Char('X'));
    const int width = 4000;
    const auto widths = ColumnWidths(site, width, 10, FixedMeasure());
    int sum = 0;
    for (int w : widths)
        sum += w;
    EXPECT_EQ(sum, width);
    // The bolt number gave way, the others kept their texts' width.
    const auto measure = FixedMeasure();
    const int boltW = widths[static_cast<std::size_t>(Column::BoltNo)];
    EXPECT_LT(boltW, measure(site.rows[1].boltNo, kSummaryTablePointSize).width());
    EXPECT_GE(widths[static_cast<std::size_t>(Column::TestDate)],
              measure(QStringLiteral("2026-06-01"), kSummaryTablePointSize).width() + 20);

    const QString cut = Elided(site.rows[1].boltNo, 500, kSummaryTablePointSize, measure);
    EXPECT_TRUE(cut.endsWith(QStringLiteral("…")));
    EXPECT_LE(measure(cut, kSummaryTablePointSize).width(), 500);
    EXPECT_GT(measure(cut + QStringLiteral("X"), kSummaryTablePointSize).width(), 500);
    EXPECT_EQ(Elided(QStringLiteral("short"), 500, kSummaryTablePointSize, measure),
              QStringLiteral("short"));
}

// Each radical of the CJK Radicals Supplement and the ideograph it stands for, from
// Unicode's EquivalentUnifiedIdeograph.txt.
const char32_t kSupplementRadicals[] =
    U"⺁厂⺂乛⺃乚⺄乙⺅亻⺆冂⺇𠘨⺈刀⺉刂⺊卜⺋㔾⺎兀⺏尣⺐尢⺑𡯂⺒巳⺓幺⺔彑⺕𫜹⺖忄⺗心"
    U"⺘"
    U"扌"
    U"⺙"
    U"攵⺛旡"
    U"⺜日⺝月⺞歺⺟母⺠民⺡氵⺢氺⺣灬⺦丬⺧牛⺨犭⺩王⺪𤴔⺫目⺬示⺭礻⺮𥫗⺯糹⺰纟⺱罓⺲罒⺳㓁⺴冗"
    U"⺵𦉫"
    U"⺶羊⺷𦍌⺸𦍋⺹耂⺺肀⺻聿⺼肉⺽𦥑⻁虎⻂衤⻃覀⻄西⻅见⻆角⻇𧢲⻈讠⻉贝⻊𧾷⻋车⻏邑⻐钅⻑長⻒镸"
    U"⻓长"
    U"⻔门⻕𨸏⻖阝⻗雨⻘青⻙韦⻚页⻛风⻜飞⻝食⻞𩙿⻟飠⻠饣⻡𩠐⻢马⻣骨⻤鬼⻥鱼⻦鸟⻧卤⻨麦⻩黄⻪黾"
    U"⻫斉"
    U"⻬齐⻭歯⻮齿⻯竜⻰龙⻱龜⻲亀⻳龟";

// The PDF writer's text map names, for a glyph that a radical and an ideograph share, the
// radical (the lower code point): pdftotext then gives "⼯程" for "工程". Turns such
// radicals back into the ideographs.
QString Unified(const QString& text)
{
    static const QHash<char32_t, char32_t> supplement = [] {
        QHash<char32_t, char32_t> map;
        for (const char32_t* p = kSupplementRadicals; p[0] && p[1]; p += 2)
            map.insert(p[0], p[1]);
        return map;
    }();
    QString out;
    for (const char32_t c : text.toUcs4()) {
        if (c >= 0x2F00 && c <= 0x2FDF) // Kangxi radicals decompose to their ideographs
            out += QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KC);
        else if (const char32_t u = supplement.value(c, c); true)
            out += QString::fromUcs4(&u, 1);
    }
    return out;
}

// pdftotext drops the spaces between CJK and other characters: compare without spaces.
bool HasText(const QString& text, const QString& expected)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return QString(text).remove(space).contains(QString(expected).remove(space));
}

QString PdfText(const QString& pdf, int page = 0)
{
    QStringList args = {QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
             << QString::number(page);
    args << pdf << QStringLiteral("-");
    QProcess p;
    p.start(QStringLiteral("pdftotext"), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return Unified(QString::fromUtf8(p.readAllStandardOutput()));
}

int PdfPages(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(p.waitForFinished(60000));
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

TEST(SummaryPdfTest, PdftotextGivesBackTheTableAndStatistics)
{
    const test::SiteFolder folder;
    const std::optional<SiteSummary> site = SummarizeFolder(folder.Folder());
    ASSERT_TRUE(site.has_value());
    QString why;
    const std::optional<QByteArray> pdf = SummaryPdf(*site, &why);
    ASSERT_TRUE(pdf.has_value()) << why.toStdString();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("site.pdf"));
    ASSERT_TRUE(test::WriteBytes(path, *pdf));
    EXPECT_EQ(PdfPages(path), 1);

    const QString text = PdfText(path);
    for (const QString& expected :
         {kSummaryTitle, QStringLiteral("工程名称：隧道左线等"),
          QStringLiteral("检测单位：岩土检测中心"), QStringLiteral("第 1 页 共 1 页"),
          QStringLiteral("锚杆总数"), QStringLiteral("66.7"), QStringLiteral("锚固质量"),
          QStringLiteral("(m)")})
        EXPECT_TRUE(HasText(text, expected)) << expected.toStdString() << "\n"
                                             << text.toStdString();
    for (const test::SiteFile& f : test::SiteFiles())
        for (const QString& cell : f.expected)
            EXPECT_TRUE(HasText(text, cell)) << cell.toStdString();
}

TEST(SummaryPdfTest, EveryPageOfALongTableStartsWithItsFirstRow)
{
    const SiteSummary site = SyntheticSite(150);
    const std::optional<QByteArray> pdf = SummaryPdf(site);
    ASSERT_TRUE(pdf.has_value());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.pdf"));
    ASSERT_TRUE(test::WriteBytes(path, *pdf));
    const int pages = PdfPages(path);
    ASSERT_GE(pages, 2);

    // The bolt numbers of all pages, read in page order, are the readable rows in order.
    QList<int> seen;
    static const QRegularExpression bolt(QStringLiteral("\\bM-(\\d+)\\b"));
    for (int p = 1; p <= pages; ++p) {
        const QString text = PdfText(path, p);
        EXPECT_TRUE(HasText(text, QStringLiteral("第 %1 页 共 %2 页").arg(p).arg(pages)));
        const qsizetype before = seen.size();
        for (const auto& m : bolt.globalMatch(text))
            seen << m.captured(1).toInt();
        if (p < pages) { // the last page may hold the statistics alone
            EXPECT_TRUE(text.contains(QStringLiteral("锚杆编号"))) << "header row on page " << p;
            EXPECT_GT(seen.size(), before) << "rows on page " << p;
        } else {
            EXPECT_TRUE(text.contains(QStringLiteral("锚杆总数")));
        }
    }
    QList<int> expected;
    for (const SummaryRow& r : site.rows)
        if (r.readable)
            expected << r.index;
    EXPECT_EQ(seen, expected);
}

} // namespace
} // namespace rovana::summary
