// The rows of a summary kept for its outputs: read back in any range from memory and from
// the temporary file, and a spool that cannot write says so.
#include "SummaryRows.h"
#include "SummaryCsv.h"
#include "SummaryPainter.h"
#include "SummaryXlsx.h"

#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

namespace rovana::summary {
namespace {

// Rows that differ in every field the spool keeps: every optional both ways, unreadable
// rows, texts of any length and script.
std::vector<SummaryRow> VariedRows(int count)
{
    std::vector<SummaryRow> rows(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        SummaryRow& r = rows[static_cast<std::size_t>(i)];
        r.index = i + 1;
        r.path = QStringLiteral("/现场/%1.mg").arg(i);
        r.fileName = QStringLiteral("%1.mg").arg(i);
        r.readable = i % 7 != 3;
        r.loadMessage = r.readable ? QString() : QStringLiteral("无法读取文件");
        r.boltNo = QString(i % 11, QChar(u'锚'));
        r.testDate = QStringLiteral("2026-09-%1").arg(i % 28 + 1, 2, 10, QLatin1Char('0'));
        r.designLength = 0.5f * static_cast<float>(i % 13);
        r.measuredLength = r.designLength * 1.01f;
        r.freeLength = 0.001f * static_cast<float>(i);
        r.anchorLength = -0.0f;
        if (i % 2 == 0)
            r.lengthRatio = 100.0 + i / 3.0;
        if (i % 3 == 0)
            r.defect = DefectRange{0.25f * i, 0.25f * i + 0.1f, i % 6 == 0};
        r.grade = i % 4 == 0 ? QString() : QStringLiteral("B级");
        r.qualityClass = i % 5 == 0 ? QString() : QStringLiteral("II");
        r.verdict = static_cast<Verdict>(i % 3);
        if (i % 4 != 1)
            r.suggestedLength = 1.0f / static_cast<float>(i + 1);
        r.review = i % 9 == 0;
        if (r.review && i % 2 == 1)
            r.reviewReason = QStringLiteral("底部反射不明显");
        r.projectName = QStringLiteral("工程 %1").arg(i % 2);
        r.testUnit = i % 10 == 0 ? QStringLiteral("单位\n第二行") : QString();
    }
    return rows;
}

std::vector<SummaryRow> Visited(const SummaryRows& rows, int first, int count)
{
    std::vector<SummaryRow> seen;
    EXPECT_TRUE(rows.Visit(first, count, [&seen](const SummaryRow& r) { seen.push_back(r); }))
        << rows.ErrorString().toStdString();
    return seen;
}

TEST(RowSpoolTest, RowsComeBackInAnyRangeFromMemoryAndFromTheFile)
{
    const std::vector<SummaryRow> rows = VariedRows(300);
    for (const qsizetype memory : {qsizetype(1) << 20, qsizetype(2000)}) {
        RowSpool spool(memory);
        for (const SummaryRow& row : rows)
            ASSERT_TRUE(spool.Append(row)) << spool.ErrorString().toStdString();
        EXPECT_EQ(spool.InFile(), memory < 4000);
        ASSERT_EQ(spool.Count(), 300);
        struct Range
        {
            int first, count;
        };
        // Whole, inside one index step, across steps, from a step's start, past the end,
        // before the start, empty.
        for (const Range range : {Range{0, 300}, Range{5, 3}, Range{60, 10}, Range{128, 64},
                                  Range{290, 50}, Range{-5, 7}, Range{10, 0}}) {
            const int from = std::max(range.first, 0);
            const int to = std::min(range.first + range.count, 300);
            const std::vector<SummaryRow> expected(rows.begin() + from,
                                                   rows.begin() + std::max(from, to));
            EXPECT_EQ(Visited(spool, range.first, range.count), expected)
                << memory << " " << range.first << "+" << range.count;
            EXPECT_EQ(Visited(RowSpan(rows), range.first, range.count), expected);
        }
        // Appending goes on after a visit.
        ASSERT_TRUE(spool.Append(rows.front()));
        EXPECT_EQ(Visited(spool, 299, 2), std::vector<SummaryRow>({rows.back(), rows.front()}));
    }
}

TEST(RowSpoolTest, AFileSizeLimitIsReportedNotPassedOver)
{
    // A real write failure: the spool's temporary file may not grow past 4 KiB.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    RowSpool spool(1024);
    bool appended = true;
    int count = 0;
    for (const SummaryRow& row : VariedRows(400)) {
        appended = spool.Append(row);
        if (!appended)
            break;
        ++count;
    }
    const bool visited = spool.VisitAll([](const SummaryRow&) {});
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(appended);
    EXPECT_LT(count, 400);
    EXPECT_FALSE(visited);
    EXPECT_TRUE(spool.ErrorString().startsWith(QStringLiteral("无法写入临时文件")))
        << spool.ErrorString().toStdString();
}

// Rows that cannot be read back, as a spool whose temporary file went bad.
class UnreadableRows final : public SummaryRows
{
public:
    int Count() const override { return 3; }
    bool Visit(int, int, const RowVisitor&) const override { return false; }
    QString ErrorString() const override { return QStringLiteral("无法读取临时文件：坏了"); }
};

TEST(RowSpoolTest, RowsThatCannotBeReadBackFailEveryOutputAndSayWhy)
{
    const UnreadableRows rows;
    const SummaryStatistics statistics;
    const SummaryHeader header;
    const std::vector<std::pair<const char*, ContentWriter>> writers = {
        {"csv", WriteSummaryCsv}, {"xlsx", WriteSummaryXlsx}, {"pdf", WriteSummaryPdf}};
    for (const auto& [name, write] : writers) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QString why;
        EXPECT_FALSE(write({rows, statistics, header}, out, &why)) << name;
        EXPECT_EQ(why, rows.ErrorString()) << name;
    }
}

TEST(ReadRowBatchesTest, BatchesComeInTableOrderAndATakerCanStop)
{
    // Over two batches' worth of files (empty ones: each is a row that says why it could
    // not be read), read while the batch before is taken.
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < 600; ++i) {
        files << dir.filePath(QStringLiteral("%1.mg").arg(i, 4, 10, QLatin1Char('0')));
        ASSERT_TRUE(test::WriteBytes(files.back(), QByteArray()));
    }
    for (const int stopAfter : {1, 2, 99}) {
        std::vector<SummaryRow> rows;
        int batches = 0;
        const bool done = ReadRowBatches(files, [&](std::vector<SummaryRow>& batch) {
            rows.insert(rows.end(), batch.begin(), batch.end());
            return ++batches < stopAfter;
        });
        EXPECT_EQ(done, stopAfter > 3);
        EXPECT_EQ(batches, std::min(stopAfter, 3));
        ASSERT_EQ(rows.size(), stopAfter >= 3 ? 600u : 256u * static_cast<unsigned>(stopAfter));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i].index, static_cast<int>(i) + 1);
            ASSERT_EQ(rows[i].path, files[static_cast<qsizetype>(i)]);
            ASSERT_FALSE(rows[i].readable);
        }
    }
}

} // namespace
} // namespace rovana::summary
