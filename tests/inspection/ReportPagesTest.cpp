// The report's pages: the page list for no bolt, one and 37, the contents' page numbers, the
// frame on every page but the cover, and 附录 B as the very pages `rovana-cli sheet` prints.
#include "ReportDocument.h"
#include "ReportFiles.h"

#include "CliRunner.h"
#include "inspection/ReportFolder.h"
#include "report/PdfText.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace rovana::inspection {
namespace {

int PdfPageCount(const QString& pdf)
{
    const QString info = test::RunTool(QStringLiteral("pdfinfo"), {pdf}).out;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

const QStringList kPartTitles = {"封面",
                                 "目　录",
                                 "一、工程概况",
                                 "二、检测依据",
                                 "三、检测方法与仪器",
                                 "四、检测结果",
                                 "五、结论",
                                 "附录 A　锚杆检测结果汇总表",
                                 "附录 B　单根锚杆检测结果表"};

TEST(ReportPagesTest, PageListAndNumberingForNoBoltOneAnd37)
{
    for (const int bolts : {0, 1, 37}) {
        const std::string row = std::to_string(bolts) + " bolts";
        const test::BoltFolder folder(bolts);
        const auto content =
            GatherReport(folder.Folder(), summary::FolderTestFiles(folder.Folder()));
        ASSERT_TRUE(content) << row;
        ReportDocument document(*content);
        const std::vector<ReportPart> parts = LayOutReport(document);
        QStringList titles;
        for (const ReportPart& p : parts)
            titles << p.title;
        ASSERT_EQ(titles, kPartTitles) << row;
        EXPECT_EQ(parts[0], (ReportPart{"封面", 1, 1})) << row;
        EXPECT_EQ(parts[1], (ReportPart{"目　录", 2, 2})) << row;
        EXPECT_EQ(parts[2].first, 3) << row;
        for (std::size_t i = 2; i <= 6; ++i) { // the chapters run on, sharing pages
            EXPECT_LE(parts[i].first, parts[i].last) << row << " " << i;
            if (i > 2) {
                EXPECT_TRUE(parts[i].first == parts[i - 1].last ||
                            parts[i].first == parts[i - 1].last + 1)
                    << row << " " << i;
            }
        }
        const ReportPart& a = parts[7];
        const ReportPart& b = parts[8];
        EXPECT_EQ(a.first, parts[6].last + 1) << row;
        EXPECT_EQ(a.last, a.first + (bolts > 30 ? 1 : 0)) << row; // the summary's pages
        EXPECT_EQ(b.first, a.last + 1) << row;
        EXPECT_EQ(b.last, b.first + bolts - 1) << row; // one sheet per bolt
        EXPECT_EQ(document.PageCount(), std::max(a.last, b.last)) << row;

        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("report.pdf"));
        const ReportFilesResult written = WriteReportFiles(*content, {pdf, {}});
        ASSERT_TRUE(written.written) << row << " " << written.message.toStdString();
        const int pages = document.PageCount();
        ASSERT_EQ(PdfPageCount(pdf), pages) << row;
        EXPECT_EQ(written.pages, pages) << row;

        const QString number = QStringLiteral("报告编号：RV-%1").arg(bolts);
        const QString cover = test::PdfPageText(pdf, 1).out;
        EXPECT_TRUE(cover.contains(kInspectionReportTitle)) << row;
        EXPECT_FALSE(cover.contains(QStringLiteral("页 共"))) << row;
        for (int p = 2; p <= pages; ++p) {
            const QString text = test::PdfPageText(pdf, p).out;
            EXPECT_EQ(text.count(QStringLiteral("页 共")), 1) << row << " page " << p;
            EXPECT_TRUE(text.contains(QStringLiteral("第 %1 页 共 %2 页").arg(p).arg(pages)))
                << row << " page " << p;
            EXPECT_TRUE(text.contains(number)) << row << " page " << p;
            if (p >= b.first) { // each bolt's sheet in table order
                EXPECT_TRUE(text.contains(test::BoltNumber(p - b.first + 1)))
                    << row << " page " << p;
            }
        }
        // The contents give each part its first page; 附录 B without bolts has none.
        const QString contents = test::PdfPageText(pdf, 2).out;
        for (std::size_t i = 2; i < parts.size(); ++i) {
            const QString page = parts[i].last >= parts[i].first ? QString::number(parts[i].first)
                                                                 : QStringLiteral("—");
            // pdftotext gives the ideographic space as a plain one.
            const QString title = QString(parts[i].title).replace(QChar(0x3000), QLatin1Char(' '));
            const QRegularExpression line(QRegularExpression::escape(title) +
                                          QStringLiteral("\\s*") + page + QStringLiteral("\\n"));
            EXPECT_TRUE(contents.contains(line))
                << row << " " << parts[i].title.toStdString() << "\n"
                << contents.toStdString();
        }
    }
}

// 附录 B is the sheet the command line prints for each file, with the folder's amplitude,
// gain and processing; the report only adds its frame in the margins.
TEST(ReportPagesTest, AppendixBHoldsTheVeryPagesTheSheetCommandPrints)
{
    const test::SiteFolder site; // an unreadable file and bolts nobody evaluated among them
    ASSERT_TRUE(SiteStore(site.Folder()).Change([](rovana::SiteFile& s) {
        s.amplitude[1] = {TraceAmplitude::Mode::Fixed, 2400};
        s.growingGain[1] = 10;
        s.chain.enabled = true;
        s.chain.filter = processing::FilterKind::LowPass;
        s.chain.highHz = 2000;
    }));
    const QStringList files = summary::FolderTestFiles(site.Folder());
    QTemporaryDir out;
    const QString report = out.filePath(QStringLiteral("report.pdf"));
    const QString sheets = out.filePath(QStringLiteral("sheets.pdf"));
    const test::CliRun sheet = test::RunCli(QStringList{"sheet", "--pdf", sheets} + files);
    EXPECT_EQ(sheet.exitCode, 1) << sheet.err.toStdString(); // the unreadable file
    const auto content = GatherReport(site.Folder(), files);
    ASSERT_TRUE(content);
    ReportDocument document(*content);
    const std::vector<ReportPart> parts = LayOutReport(document);
    const ReportFilesResult written = WriteReportFiles(*content, {report, {}});
    ASSERT_TRUE(written.written) << written.message.toStdString();
    EXPECT_EQ(written.unreadable, QStringList{site.Path(QStringLiteral("A04.mg"))});
    const int first = parts.back().first;
    // The unreadable file's page says why (A04.mg is the fourth).
    EXPECT_TRUE(
        test::PdfPageText(report, first + 3).out.contains(QStringLiteral("不足 13312 字节")))
        << test::PdfPageText(report, first + 3).out.toStdString();
    for (int k = 0; k < files.size(); ++k) {
        const QString own = test::PdfPageText(sheets, k + 1).out.trimmed();
        const QString inReport = test::PdfPageText(report, first + k).out;
        ASSERT_FALSE(own.isEmpty());
        EXPECT_TRUE(inReport.startsWith(own)) << k << "\n"
                                              << own.toStdString() << "\n---\n"
                                              << inReport.toStdString();
    }
    EXPECT_TRUE(test::PdfPageText(sheets, 2).out.contains(QStringLiteral("信号处理")));
    // Searchable text in the sheet's own face, embedded.
    EXPECT_FALSE(test::EmbeddedFonts(report).filter(QStringLiteral("CJK")).isEmpty())
        << test::EmbeddedFonts(report).join(' ').toStdString();
}

// Lines of a fixed face: every character 10 pixels wide, a line 60 (six characters).
TEST(ReportPagesTest, TextWrapsBetweenCharactersKeepingWordsAndPunctuation)
{
    const sheet::MeasureText measure = [](const QString& text, double) {
        return QSize(10 * static_cast<int>(text.size()), 12);
    };
    struct Row
    {
        const char* text;
        QStringList lines;
    };
    const Row rows[] = {
        {"", {""}},
        {"一二三四五六", {"一二三四五六"}},             // exactly the width
        {"一二三四五六七", {"一二三四五六", "七"}},     // one over
        {"一二三四五六，七", {"一二三四五", "六，七"}}, // no line begins with "，"
        {"一二三四（五）", {"一二三四", "（五）"}},     // nor ends with "（"
        {"一二RV-20", {"一二", "RV-20"}},               // a word moves whole
        {"RV-2026-0815", {"RV-202", "6-0815"}},         // unless it is longer than the line
        {"一二\n三", {"一二", "三"}},
    };
    for (const Row& row : rows) {
        const QString text = QString::fromUtf8(row.text);
        EXPECT_EQ(WrapText(text, 60, 9.0, measure), row.lines) << row.text;
    }
}

} // namespace
} // namespace rovana::inspection
