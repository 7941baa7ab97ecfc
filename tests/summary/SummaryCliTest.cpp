// rovana-cli summary: the JSON keys and values, the three outputs, refused targets, folders
// that cannot be read, and a write that fails for real under a file-size limit.
#include "CliRunner.h"
#include "PosixTestSupport.h"
#include "SummaryCsv.h"
#include "SummaryTestFiles.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rovana::summary {
namespace {

using test::RunCli;

const QStringList kBoltKeys = {"index",           "boltNo",     "testDate",     "designLength",
                               "measuredLength",  "freeLength", "anchorLength", "lengthRatio",
                               "defect",          "grade",      "qualityClass", "verdict",
                               "suggestedLength", "review",     "file"};

QStringList SortedKeys(const QJsonObject& o)
{
    QStringList keys = o.keys();
    keys.sort();
    return keys;
}

TEST(SummaryCliTest, JsonHasTheBoltsAndStatisticsAsTheTableShowsThem)
{
    const test::SiteFolder site;
    const test::CliRun run = RunCli({QStringLiteral("summary"), site.Folder()});
    ASSERT_EQ(run.exitCode, 1) << run.err.toStdString();     // complete, but A04.mg is unreadable
    EXPECT_TRUE(run.err.contains(QStringLiteral("A04.mg"))); // the unreadable file is noted
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(run.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject root = doc.object();
    EXPECT_EQ(SortedKeys(root), (QStringList{"bolts", "statistics"}));

    QStringList boltKeys = kBoltKeys;
    boltKeys.sort();
    const QJsonArray bolts = root.value("bolts").toArray();
    const auto files = test::SiteFiles();
    ASSERT_EQ(bolts.size(), static_cast<qsizetype>(files.size()));
    for (qsizetype r = 0; r < bolts.size(); ++r) {
        const QJsonObject bolt = bolts[r].toObject();
        EXPECT_EQ(SortedKeys(bolt), boltKeys);
        for (int k = 0; k < kColumnCount; ++k) {
            const QString& expected =
                files[static_cast<std::size_t>(r)].expected[static_cast<std::size_t>(k)];
            const QJsonValue v = bolt.value(kBoltKeys[k]);
            if (expected.isEmpty())
                EXPECT_TRUE(v.isNull()) << kBoltKeys[k].toStdString();
            else if (IsNumberColumn(static_cast<Column>(k)))
                EXPECT_TRUE(v.isDouble() && v.toDouble() == expected.toDouble())
                    << kBoltKeys[k].toStdString() << " " << expected.toStdString();
            else
                EXPECT_EQ(v.toString(), expected) << kBoltKeys[k].toStdString();
        }
    }

    const QJsonObject s = root.value("statistics").toObject();
    EXPECT_EQ(SortedKeys(s), (QStringList{"bolts", "classCounts", "evaluated", "gradeCounts",
                                          "maxLength", "meanRatio", "minLength", "notEvaluated",
                                          "passRate", "review", "unreadable"}));
    const SummaryStatistics e = test::SiteStatistics();
    EXPECT_EQ(s.value("bolts").toInt(), e.bolts);
    EXPECT_EQ(s.value("evaluated").toInt(), e.evaluated);
    EXPECT_EQ(s.value("notEvaluated").toInt(), e.notEvaluated);
    EXPECT_EQ(s.value("unreadable").toInt(), e.unreadable);
    const QJsonObject classes = s.value("classCounts").toObject();
    const QJsonObject grades = s.value("gradeCounts").toObject();
    EXPECT_EQ(SortedKeys(classes), (QStringList{"I", "II", "III", "IV"}));
    EXPECT_EQ(SortedKeys(grades), (QStringList{"A", "B", "C", "D"}));
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(classes.value(QStringList{"I", "II", "III", "IV"}[k]).toInt(), e.classCounts[k]);
        EXPECT_EQ(grades.value(QStringList{"A", "B", "C", "D"}[k]).toInt(), e.gradeCounts[k]);
    }
    EXPECT_EQ(s.value("passRate").toDouble(), *e.passRate);
    EXPECT_EQ(s.value("minLength").toDouble(), *e.minLength);
    EXPECT_EQ(s.value("maxLength").toDouble(), *e.maxLength);
    EXPECT_EQ(s.value("meanRatio").toDouble(), *e.meanRatio);
}

TEST(SummaryCliTest, WritesCsvExcelAndPdfAndRefusesUnsafeTargets)
{
    const test::SiteFolder site;
    QTemporaryDir out;
    const QString csv = out.filePath("site.csv"), xlsx = out.filePath("site.xlsx"),
                  pdf = out.filePath("site.pdf");
    const test::CliRun run =
        RunCli({"summary", site.Folder(), "--csv", csv, "--xlsx", xlsx, "--pdf", pdf});
    ASSERT_EQ(run.exitCode, 1) << run.err.toStdString(); // written whole; A04.mg unreadable
    const std::optional<SiteSummary> summary = SummarizeFolder(site.Folder());
    ASSERT_TRUE(summary.has_value());
    EXPECT_EQ(test::ReadBytes(csv), SummaryCsv(*summary));
    EXPECT_TRUE(test::ReadBytes(xlsx).startsWith("PK"));
    EXPECT_TRUE(test::ReadBytes(pdf).startsWith("%PDF"));

    const QByteArray input = test::ReadBytes(site.Path("A01.mg"));
    const QString fresh = out.filePath("fresh.csv");
    struct Case
    {
        QStringList args;
        int exitCode;
    };
    const std::vector<Case> cases = {
        {{"summary", site.Folder(), "--csv", site.Path("A01.mg")}, 2}, // an input
        {{"summary", site.Folder(), "--csv", fresh, "--pdf", out.filePath("x.Mg")}, 2},
        {{"summary", site.Folder(), "--xlsx", "/dev/full"}, 2}, // not a regular file
        {{"summary", out.filePath("missing")}, 1},
        {{"summary", site.Folder(), "--csv", fresh, "--xlsx", fresh}, 2}, // one file twice
        {{"summary", site.Folder(), "--csv"}, 2},
        {{"summary"}, 2},
    };
    for (const Case& c : cases) {
        const test::CliRun refused = RunCli(c.args);
        EXPECT_EQ(refused.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_FALSE(refused.err.isEmpty());
    }
    EXPECT_EQ(test::ReadBytes(site.Path("A01.mg")), input);
    EXPECT_FALSE(QFileInfo::exists(fresh)); // every target is checked before any is written
    struct stat st
    {};
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(SummaryCliTest, AFolderThatCannotBeListedIsAnErrorAndWritesNothing)
{
    // As nobody when the tests run as the superuser, whom permissions do not stop.
    const test::CliAsAnotherUser cli;
    if (!cli.WhyNot().isEmpty())
        GTEST_SKIP() << cli.WhyNot().toStdString();
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    for (const char* folder : {"locked", "empty"})
        ASSERT_TRUE(QDir(dir.path()).mkdir(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.filePath("locked")).constData(), 0333), 0);
    ASSERT_TRUE(test::WriteBytes(dir.filePath("file.mg"), "x"));
    const std::pair<const char*, const char*> rows[] = {
        {"locked", "没有读取权限，无法读取文件夹"},
        {"missing", "文件夹不存在"},
        {"file.mg", "不是文件夹"},
        {"empty", nullptr}, // a site without bolts: status 0, the header line
    };
    for (const auto& [folder, why] : rows) {
        const test::CliRun run =
            cli.Run({"summary", dir.filePath(folder), "--csv", dir.filePath("s.csv")});
        EXPECT_EQ(run.exitCode, why ? 1 : 0) << folder << run.err.toStdString();
        EXPECT_TRUE(!why || run.err.contains(QString(why) + ": " + dir.filePath(folder)));
        EXPECT_EQ(test::ReadBytes(dir.filePath("s.csv")), why ? "" : SummaryCsv(SiteSummary{}));
        QFile::remove(dir.filePath("s.csv"));
    }
}

// A folder another user made with mode 744 (or one's own with mode 644): its names can be
// listed but its files not opened. Each test it lists is a row that cannot be read, with
// the reason, and the run ends with status 1; the outputs are written whole.
TEST(SummaryCliTest, AFolderThatCanBeListedButNotEnteredHasUnreadableRows)
{
    const test::CliAsAnotherUser cli;
    if (!cli.WhyNot().isEmpty())
        GTEST_SKIP() << cli.WhyNot().toStdString();
    const test::SiteFolder site;
    QTemporaryDir out;
    ASSERT_EQ(::chmod(QFile::encodeName(out.path()).constData(), 0777), 0);
    const QByteArray folder = QFile::encodeName(site.Folder());
    const QStringList files = QDir(site.Folder()).entryList({"*.mg"}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 3);
    ASSERT_EQ(::chmod(folder.constData(), ::geteuid() == 0 ? 0744 : 0644), 0);
    const test::CliRun json = cli.Run({"summary", site.Folder()});
    const test::CliRun csv = cli.Run({"summary", site.Folder(), "--csv", out.filePath("s.csv")});
    ASSERT_EQ(::chmod(folder.constData(), 0755), 0);

    QString expected;
    for (const QString& name : files)
        expected += site.Folder() + '/' + name + QStringLiteral(": 无法读取文件（没有读取权限）\n");
    for (const test::CliRun* run : {&json, &csv}) {
        EXPECT_EQ(run->exitCode, 1);
        EXPECT_EQ(run->err.toStdString(), expected.toStdString());
    }
    const QJsonObject summary = QJsonDocument::fromJson(json.out).object();
    const QJsonArray bolts = summary["bolts"].toArray();
    ASSERT_EQ(bolts.size(), files.size());
    for (int i = 0; i < bolts.size(); ++i) {
        EXPECT_EQ(bolts[i].toObject()["file"].toString(), files[i]);
        EXPECT_EQ(bolts[i].toObject()["verdict"].toString(), QStringLiteral("无法读取文件"));
    }
    EXPECT_EQ(summary["statistics"].toObject()["unreadable"].toInt(), files.size());
    EXPECT_EQ(test::ReadBytes(out.filePath("s.csv")).count("无法读取文件"), files.size());
}

TEST(SummaryCliTest, AWriteBeyondTheFileSizeLimitLeavesTheOldFileAndNoTemporary)
{
    const test::SiteFolder site;
    // Each output is written as it is made; the PDF writer itself never hears of a failed
    // write, so the program must.
    for (const char* kind : {"csv", "xlsx", "pdf"}) {
        QTemporaryDir out;
        const QString target = out.filePath(QStringLiteral("site.") + kind);
        ASSERT_TRUE(test::WriteBytes(target, "old contents"));
        QProcess p;
        p.setChildProcessModifier([] {
            const rlimit limit{200, 200}; // every output is longer
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        p.start(QStringLiteral(ROVANA_CLI_PATH),
                {"summary", site.Folder(), QStringLiteral("--") + kind, target});
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << kind;
        EXPECT_EQ(p.exitCode(), 1) << kind;
        EXPECT_TRUE(
            QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("无法创建文件")))
            << kind;
        EXPECT_EQ(test::ReadBytes(target), QByteArray("old contents")) << kind;
        EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                  QStringList{QStringLiteral("site.") + kind});
    }
}

} // namespace
} // namespace rovana::summary
