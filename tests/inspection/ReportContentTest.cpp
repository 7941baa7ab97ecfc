// The inspection report's content: its statistics, conclusion and named bolts against the
// summary of the same folder, the question before writing, and the settings' prefill from
// the report information the files carry.
#include "ReportContent.h"
#include "ReportText.h"

#include "inspection/ReportFolder.h"

#include <gtest/gtest.h>

namespace rovana::inspection {
namespace {

std::vector<summary::SummaryRow> SpooledRows(const ReportContent& content)
{
    std::vector<summary::SummaryRow> rows;
    EXPECT_TRUE(content.summary.rows.VisitAll(
        [&rows](const summary::SummaryRow& row) { rows.push_back(row); }));
    return rows;
}

QStringList Numbers(const std::vector<BoltMention>& bolts)
{
    QStringList out;
    for (const BoltMention& b : bolts)
        out << b.boltNo + QLatin1Char('|') + b.fileName;
    return out;
}

// The folder with a class IV bolt, two bolts nobody evaluated, one marked 请复核 and a file
// that cannot be read: the report's numbers are the summary's, to the row.
TEST(ReportContentTest, StatisticsConclusionAndNamedBoltsAreTheSummarysOfTheSameFolder)
{
    const test::SiteFolder site;
    const QStringList files = summary::FolderTestFiles(site.Folder());
    const std::unique_ptr<ReportContent> content = GatherReport(site.Folder(), files);
    ASSERT_TRUE(content);
    const std::optional<summary::SiteSummary> summary = summary::SummarizeFolder(site.Folder());
    ASSERT_TRUE(summary);
    EXPECT_EQ(content->summary.statistics, summary->statistics);
    EXPECT_EQ(content->summary.statistics, test::SiteStatistics());
    EXPECT_EQ(SpooledRows(*content), summary->rows);

    EXPECT_EQ(
        content->Conclusion(),
        QStringLiteral("本次共检测锚杆 6 根，其中 I 类 1 根、II 类 1 根、III 类 0 根、IV 类 1 "
                       "根，合格率 66.7 %。"));
    EXPECT_EQ(Numbers(content->notEvaluated), (QStringList{"MG0002|A02.mg", "MG0006|A06.mg"}));
    EXPECT_EQ(Numbers(content->review), QStringList{"B-03|A03.mg"});
    EXPECT_EQ(Numbers(content->unreadable), QStringList{"|A04.mg"});
    EXPECT_TRUE(content->unreadable.front().why.contains(QStringLiteral("不足 13312 字节")));
    EXPECT_EQ(QuestionBeforeWriting(content->summary.statistics),
              QStringLiteral("1 个文件无法读取，2 根未评定，1 根请复核，仍然生成？"));

    // The conclusion chapter says it and names them; the results chapter counts them.
    const std::vector<Chapter> chapters = Chapters(*content);
    ASSERT_EQ(chapters.size(), 5u);
    QStringList said;
    for (const Block& b : chapters[4].blocks)
        said << b.text + (b.fields.empty() ? QString() : b.fields.front().second);
    EXPECT_EQ(said, (QStringList{content->Conclusion(), "未评定的锚杆（2 根）：MG0002、MG0006",
                                 "请复核的锚杆（1 根）：B-03", "无法读取的文件（1 个）：A04.mg"}));
    const std::vector<std::pair<QString, QString>>& results = chapters[3].blocks.front().fields;
    const auto value = [&results](const QString& label) {
        for (const auto& [l, v] : results)
            if (l == label)
                return v;
        return QStringLiteral("(none)");
    };
    EXPECT_EQ(value(QStringLiteral("锚固质量等级 IV类")), QStringLiteral("1（33.3%）"));
    EXPECT_EQ(value(QStringLiteral("合格率(%)")), QStringLiteral("66.7"));
    EXPECT_EQ(value(QStringLiteral("请复核")), QStringLiteral("1"));
    // The ratio chart's series holds each evaluated or measured bolt's ratio in table order.
    const RatioSeries& ratios = content->ratios;
    ASSERT_EQ(ratios.Slots().size(), 6u);
    EXPECT_EQ(ratios.Slots()[0].least, 95.5);
    EXPECT_EQ(ratios.Slots()[2].least, 58.3);
    EXPECT_FALSE(ratios.Slots()[3].least); // unreadable
    EXPECT_EQ(ratios.Least(), 58.3);
    EXPECT_EQ(ratios.Greatest(), 101.3);
}

// The conclusion: the engineer's own text when given, else worded from the statistics; the
// question names only what applies.
TEST(ReportContentTest, ConclusionAndQuestionFromTheStatistics)
{
    struct Row
    {
        const char* name;
        summary::SummaryStatistics statistics;
        const char* conclusion;
        const char* question;
    };
    summary::SummaryStatistics none;
    summary::SummaryStatistics clean;
    clean.bolts = clean.evaluated = 40;
    clean.classCounts = {25, 10, 4, 1};
    clean.passRate = 97.5;
    summary::SummaryStatistics notEvaluated = clean;
    notEvaluated.bolts = 43;
    notEvaluated.notEvaluated = 3;
    summary::SummaryStatistics review = clean;
    review.review = 2;
    summary::SummaryStatistics both = notEvaluated;
    both.review = 2;
    const Row rows[] = {
        {"no bolts", none,
         "本次共检测锚杆 0 根，其中 I 类 0 根、II 类 0 根、III 类 0 根、IV 类 0 根，合格率 — %。",
         ""},
        {"all evaluated", clean,
         "本次共检测锚杆 40 根，其中 I 类 25 根、II 类 10 根、III 类 4 根、IV 类 1 根，合格率 97.5 "
         "%。",
         ""},
        {"not evaluated", notEvaluated,
         "本次共检测锚杆 43 根，其中 I 类 25 根、II 类 10 根、III 类 4 根、IV 类 1 根，合格率 97.5 "
         "%。",
         "3 根未评定，仍然生成？"},
        {"review", review,
         "本次共检测锚杆 40 根，其中 I 类 25 根、II 类 10 根、III 类 4 根、IV 类 1 根，合格率 97.5 "
         "%。",
         "2 根请复核，仍然生成？"},
        {"both", both,
         "本次共检测锚杆 43 根，其中 I 类 25 根、II 类 10 根、III 类 4 根、IV 类 1 根，合格率 97.5 "
         "%。",
         "3 根未评定，2 根请复核，仍然生成？"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DefaultConclusion(row.statistics), QString::fromUtf8(row.conclusion)) << row.name;
        EXPECT_EQ(QuestionBeforeWriting(row.statistics), QString::fromUtf8(row.question))
            << row.name;
    }
    ReportContent content;
    content.summary.statistics = clean;
    content.prefill.settings[ReportField::Conclusion] = QStringLiteral(" \n ");
    EXPECT_EQ(content.Conclusion(), DefaultConclusion(clean)); // blank is not given
    content.prefill.settings[ReportField::Conclusion] = QStringLiteral("经检测，合格。");
    EXPECT_EQ(content.Conclusion(), QStringLiteral("经检测，合格。"));
}

// The report information of the files, written with a distinct value per field from a stem
// ("甲" gives 项目甲, 单位甲, 依据甲, 仪器甲, 人员甲); an empty stem saves none.
QByteArray CarryingFile(int i, const QString& stem)
{
    QByteArray bytes = test::EvaluatedBolt(i);
    if (stem.isEmpty())
        return test::Instrument(10, 3500, 4.0f, QStringLiteral("MG%1").arg(i), 3);
    ProjectInfoValues p;
    p.title = QStringLiteral("单根锚杆检测结果表");
    p.boltNo = test::BoltNumber(i);
    p.projectName = QStringLiteral("项目") + stem;
    p.testUnit = QStringLiteral("单位") + stem;
    p.testBasis = QStringLiteral("依据") + stem;
    p.instrument = QStringLiteral("仪器") + stem;
    p.tester = QStringLiteral("人员") + stem;
    EXPECT_TRUE(PatchProjectInfo(bytes, p));
    return bytes;
}

// Empty fields take the value every file carrying one agrees on; where they disagree the
// field stays empty and is marked; a field given in the site file is the engineer's.
TEST(ReportContentTest, SettingsArePrefilledWhereTheFilesAgreeAndMarkedWhereTheyDoNot)
{
    const std::array<std::pair<ReportField, const char*>, 5> carried = {{
        {ReportField::ProjectName, "项目"},
        {ReportField::TestUnit, "单位"},
        {ReportField::Basis, "依据"},
        {ReportField::Instrument, "仪器"},
        {ReportField::Testers, "人员"},
    }};
    struct Row
    {
        const char* name;
        QStringList stems; // per file
        QString given;     // every carried field's value in the site file
        QString expected;  // the stem every field takes; empty: none
        bool prefilled;
        bool disagreeing;
    };
    const Row rows[] = {
        {"all agree", {"甲", "甲", "甲"}, "", "甲", true, false},
        {"one disagrees", {"甲", "乙", "甲"}, "", "", false, true},
        {"given over disagreeing files", {"甲", "乙"}, "自定", "=自定", false, false},
        {"given over agreeing files", {"甲", "甲"}, "自定", "=自定", false, false},
        {"blank given is not given", {"甲"}, "  ", "甲", true, false},
        {"a file without information does not count", {"甲", ""}, "", "甲", true, false},
        {"none carries", {"", ""}, "", "", false, false},
        {"no files", {}, "", "", false, false},
    };
    for (const Row& row : rows) {
        QTemporaryDir dir;
        for (int i = 0; i < row.stems.size(); ++i)
            ASSERT_TRUE(test::WriteBytes(dir.filePath(QStringLiteral("F%1.mg").arg(i)),
                                         CarryingFile(i + 1, row.stems[i])));
        if (!row.given.isEmpty()) {
            ASSERT_TRUE(SiteStore(dir.path()).Change([&](rovana::SiteFile& s) {
                for (const auto& [field, prefix] : carried)
                    s.report[field] = row.given;
            }));
        }
        const auto content = GatherReport(dir.path(), summary::FolderTestFiles(dir.path()));
        ASSERT_TRUE(content) << row.name;
        const ReportPrefill& p = content->prefill;
        for (const auto& [field, prefix] : carried) {
            const auto f = static_cast<std::size_t>(field);
            QString expected;
            if (row.expected.startsWith(QLatin1Char('=')))
                expected = row.expected.mid(1);
            else if (!row.expected.isEmpty())
                expected = QString::fromUtf8(prefix) + row.expected;
            EXPECT_EQ(p.settings[field].trimmed(), expected) << row.name << " " << prefix;
            EXPECT_EQ(p.prefilled[f], row.prefilled) << row.name << " " << prefix;
            EXPECT_EQ(p.disagreeing[f], row.disagreeing) << row.name << " " << prefix;
        }
        // What no file carries is never prefilled.
        for (ReportField f : {ReportField::Client, ReportField::ReportNo, ReportField::Reviewer,
                              ReportField::Conclusion}) {
            EXPECT_TRUE(p.settings[f].isEmpty()) << row.name;
            EXPECT_FALSE(p.prefilled[static_cast<std::size_t>(f)]) << row.name;
        }
    }
}

} // namespace
} // namespace rovana::inspection
