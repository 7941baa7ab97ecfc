// rovana-cli report: the report's content as JSON, its exit statuses as `summary` has them,
// and the outputs it refuses.
#include "ReportContent.h"

#include "CliRunner.h"
#include "inspection/ReportFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace rovana::inspection {
namespace {

QJsonObject JsonOf(const test::CliRun& run)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(run.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    return doc.object();
}

// The JSON: the settings as the report prints them (prefilled where the files agree), the
// statistics with the keys and values of `summary`, the conclusion, the named bolts, the
// question and the page list. An unreadable file makes the status 1 and is named.
TEST(ReportCliTest, JsonHoldsSettingsStatisticsConclusionAndPages)
{
    const test::SiteFolder site;
    const test::CliRun run = test::RunCli({"report", site.Folder()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(site.Path("A04.mg") + QStringLiteral(": 无法读取文件")))
        << run.err.toStdString();
    const QJsonObject report = JsonOf(run);
    const QJsonObject summary = JsonOf(test::RunCli({"summary", site.Folder()}));
    const QJsonObject statistics = report["statistics"].toObject();
    for (const QString& key : summary["statistics"].toObject().keys())
        EXPECT_EQ(statistics[key], summary["statistics"].toObject()[key]) << key.toStdString();
    EXPECT_EQ(statistics["bolts"].toInt(), 6);
    EXPECT_EQ(statistics["classCounts"].toObject()["IV"].toInt(), 1);
    // A01, A03 and A05 carry two project names: marked, not prefilled; one testing unit.
    EXPECT_EQ(report["settings"].toObject()["projectName"].toString(), QString());
    EXPECT_EQ(report["settings"].toObject()["testUnit"].toString(), QStringLiteral("岩土检测中心"));
    EXPECT_EQ(report["disagreeing"].toArray(), QJsonArray{"projectName"});
    EXPECT_EQ(report["prefilled"].toArray(), QJsonArray{"testUnit"});
    EXPECT_EQ(
        report["conclusion"].toString(),
        QStringLiteral("本次共检测锚杆 6 根，其中 I 类 1 根、II 类 1 根、III 类 0 根、IV 类 1 "
                       "根，合格率 66.7 %。"));
    EXPECT_EQ(report["notEvaluated"].toArray(), (QJsonArray{"MG0002", "MG0006"}));
    EXPECT_EQ(report["review"].toArray(), QJsonArray{"B-03"});
    EXPECT_EQ(report["unreadable"].toArray(), QJsonArray{"A04.mg"});
    EXPECT_EQ(report["question"].toString(),
              QStringLiteral("1 个文件无法读取，2 根未评定，1 根请复核，仍然生成？"));
    const QJsonArray pages = report["pages"].toArray();
    ASSERT_EQ(pages.size(), 9);
    EXPECT_EQ(pages[8].toObject()["title"].toString(),
              QStringLiteral("附录 B　单根锚杆检测结果表"));
    EXPECT_EQ(pages[8].toObject()["last"].toInt() - pages[8].toObject()["first"].toInt(), 5);
    EXPECT_EQ(report["pageCount"].toInt(), pages[8].toObject()["last"].toInt());
}

// Exit statuses as `summary`: 0 done, 1 for a folder that cannot be read (nothing written),
// 2 for wrong arguments and refused outputs.
TEST(ReportCliTest, ExitStatusesAndRefusedOutputs)
{
    const test::BoltFolder folder(2);
    QTemporaryDir out;
    const QString pdf = out.filePath("r.pdf");
    const QString mg = folder.Path("B001.mg");
    const QByteArray mgBytes = test::ReadBytes(mg);
    struct Row
    {
        const char* name;
        QStringList args;
        int status;
        const char* message; // in standard error
    };
    const Row rows[] = {
        {"done", {"report", folder.Folder()}, 0, ""},
        {"pdf and odt",
         {"report", folder.Folder(), "--pdf", pdf, "--odt", out.filePath("r.odt")},
         0,
         ""},
        {"no folder", {"report"}, 2, "需要一个文件夹"},
        {"two folders", {"report", folder.Folder(), out.path()}, 2, "只能给出一个文件夹"},
        {"unknown option", {"report", folder.Folder(), "--xlsx", pdf}, 2, "未知选项: --xlsx"},
        {"onto a test file", {"report", folder.Folder(), "--pdf", mg}, 2, ""},
        {"onto a test file as odt", {"report", folder.Folder(), "--odt", mg}, 2, ""},
        {"onto a device", {"report", folder.Folder(), "--pdf", "/dev/full"}, 2, ""},
        {"same file twice",
         {"report", folder.Folder(), "--pdf", pdf, "--odt", pdf},
         2,
         "同一个文件"},
        {"missing folder",
         {"report", out.filePath("none"), "--pdf", out.filePath("n.pdf")},
         1,
         "文件夹不存在"},
    };
    for (const Row& row : rows) {
        const test::CliRun run = test::RunCli(row.args);
        EXPECT_EQ(run.exitCode, row.status) << row.name << " " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(row.message)))
            << row.name << " " << run.err.toStdString();
    }
    EXPECT_EQ(test::ReadBytes(mg), mgBytes);
    EXPECT_FALSE(QFile::exists(out.filePath("n.pdf")));
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(test::RunCli({"report", "--help"}).exitCode, 0);
    const test::CliRun full = test::RunCliInto({"report", folder.Folder()}, "/dev/full");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_TRUE(full.err.contains(QStringLiteral("无法写入标准输出"))) << full.err.toStdString();
}

} // namespace
} // namespace rovana::inspection
