// rovana-cli calibrate: the speed of a bolt of known length, written into its folder
// through the journal and taken back; and the site file's warning on every command that
// reads it.
#include "CliRunner.h"
#include "PosixTestSupport.h"
#include "site/HostileSite.h"
#include "site/MarkedFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rovana {
namespace {

class CliCalibrateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::WriteBytes(Path("a.mg"), test::MarkedFile()));
        ASSERT_TRUE(
            test::WriteBytes(Path("b.mg"), test::MarkedFileAt(4200, {15, 60, 300, 0, 0}, 1)));
        m_a = test::ReadBytes(Path("a.mg"));
        m_b = test::ReadBytes(Path("b.mg"));
    }
    QString Path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    std::string Quoted(const char* name) const { return "\"" + Path(name).toStdString() + "\""; }
    bool Unchanged() const
    {
        return test::ReadBytes(Path("a.mg")) == m_a && test::ReadBytes(Path("b.mg")) == m_b;
    }

    QTemporaryDir m_dir;
    QByteArray m_a, m_b;
};

TEST_F(CliCalibrateTest, WrongArgumentsAreUsageErrorsAndWriteNothing)
{
    const QString a = Path("a.mg");
    const struct
    {
        QStringList args;
        const char* why;
    } rows[] = {
        {{"calibrate", a}, "需要 --known-length METRES"},
        {{"calibrate", "--known-length", a}, "--known-length 需要且只能给出"},
        {{"calibrate", "--known-length", "0", a}, "--known-length 需要且只能给出"},
        {{"calibrate", "--known-length", "-3.5", a}, "--known-length 需要且只能给出"},
        {{"calibrate", "--known-length", "6.5m", a}, "--known-length 需要且只能给出"},
        {{"calibrate", "--known-length", "inf", a}, "--known-length 需要且只能给出"},
        {{"calibrate", "--known-length", "3", "--known-length", "4", a}, "只能给出"},
        {{"calibrate", "--known-length", "3.5", "--channel", "4", a}, "--channel"},
        {{"calibrate", "--known-length", "3.5"}, "需要一个 .mg 文件路径"},
        {{"calibrate", "--known-length", "3.5", a, a}, "需要一个 .mg 文件路径"},
        {{"calibrate", "--known-length", "3.5", "--fast", a}, "未知选项: --fast"},
        {{"calibrate", "--restore"}, "--restore 需要一个文件夹路径"},
        {{"calibrate", "--restore", "--known-length", "3.5", m_dir.path()}, "不能与其他选项"},
        {{"calibrate", "--restore", "--apply-to-folder", m_dir.path()}, "不能与其他选项"},
    };
    const QStringList entries = test::FolderEntries(m_dir.path());
    for (const auto& row : rows) {
        const test::CliRun run = test::RunCli(row.args);
        EXPECT_EQ(run.exitCode, 2) << row.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(row.why))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_EQ(test::FolderEntries(m_dir.path()), entries);
    EXPECT_TRUE(Unchanged());
    EXPECT_EQ(test::RunCli({"calibrate", "--help"}).exitCode, 0);
}

TEST_F(CliCalibrateTest, TheSpeedOfAKnownLengthIsPrintedAndNothingWritten)
{
    const QStringList entries = test::FolderEntries(m_dir.path());
    test::CliRun run = test::RunCli({"calibrate", "--known-length", "3.675", Path("a.mg")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(),
              "{\"file\": " + Quoted("a.mg") +
                  ", \"channel\": 1, \"speed\": 3675, \"previousSpeed\": 3500}\n");
    // Channel 2 has no markers; a file that is no test cannot be calibrated.
    run = test::RunCli({"calibrate", "--known-length", "3.675", "--channel", "2", Path("a.mg")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, Path("a.mg") + QStringLiteral(": 请先设置端部和底部\n"));
    ASSERT_TRUE(test::WriteBytes(Path("junk.txt"), "junk"));
    EXPECT_EQ(test::RunCli({"calibrate", "--known-length", "3", Path("junk.txt")}).exitCode, 1);
    QFile::remove(Path("junk.txt"));
    EXPECT_EQ(test::FolderEntries(m_dir.path()), entries);
    EXPECT_TRUE(Unchanged());
}

TEST_F(CliCalibrateTest, AppliedToTheFolderAndTakenBack)
{
    ASSERT_TRUE(test::WriteBytes(Path("junk.mg"), QByteArray(100, 'j')));
    test::CliRun run =
        test::RunCli({"calibrate", "--known-length", "3.675", "--apply-to-folder", Path("a.mg")});
    EXPECT_EQ(run.exitCode, 1); // junk.mg could not be read
    EXPECT_TRUE(run.err.startsWith(Path("junk.mg") + QStringLiteral(": 无法读取文件")))
        << run.err.toStdString();
    const std::string out = run.out.toStdString();
    EXPECT_EQ(out.substr(0, out.find(", \"unchanged\"")),
              "{\"speed\": 3675, \"changed\": [" + Quoted("a.mg") + ", " + Quoted("b.mg") + "]");
    EXPECT_NE(out.find("\"unchanged\": [{\"file\": " + Quoted("junk.mg") +
                       ", \"reason\": \"无法读取文件（"),
              std::string::npos)
        << out;
    TestRecord r;
    ASSERT_TRUE(r.Load(Path("b.mg")));
    EXPECT_EQ(r.m_nWaveSpeed, 3675);

    run = test::RunCli({"calibrate", "--restore", m_dir.path()});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(), "{\"restored\": [" + Quoted("a.mg") + ", " + Quoted("b.mg") +
                                         "], \"unchanged\": []}\n");
    EXPECT_TRUE(Unchanged());
    run = test::RunCli({"calibrate", "--restore", m_dir.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, m_dir.path() + QStringLiteral(": 没有可恢复的波速标定\n"));
}

// A site file that cannot be read: calibrate writes nothing; every command that reads the
// site says so, naming the file, and goes on without its settings.
TEST_F(CliCalibrateTest, ASiteFileThatCannotBeReadIsNamedOnStandardError)
{
    for (const test::HostileSite& hostile : test::HostileSites()) {
        QTemporaryDir dir;
        const QString test = dir.filePath("MG0001.mg");
        ASSERT_TRUE(test::WriteBytes(test, test::MarkedFile()));
        ASSERT_TRUE(hostile.make(dir.path()));
        const QMap<QString, QByteArray> folder = test::FolderImage(dir.path());
        const QString warning =
            test::SitePath(dir.path()) + ": " + test::SiteWarning(hostile.reason) + "\n";

        test::CliRun run =
            test::RunCli({"calibrate", "--known-length", "4", "--apply-to-folder", test});
        EXPECT_EQ(run.exitCode, 1) << hostile.name;
        EXPECT_EQ(run.err, warning) << hostile.name;
        EXPECT_EQ(test::FolderImage(dir.path()), folder) << hostile.name;

        run = test::RunCli({"process", test});
        EXPECT_EQ(run.exitCode, 0) << hostile.name;
        EXPECT_EQ(run.err, warning) << hostile.name;
        EXPECT_EQ(run.out, test::RunCli({"process", "--raw", test}).out) << hostile.name;
    }
}

} // namespace
} // namespace rovana
