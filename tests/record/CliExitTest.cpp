// rovana-cli: one set of exit statuses for every subcommand, input that is no regular
// file, output that cannot be written, and arguments whose bytes are not UTF-8.
#include "CliRunner.h"
#include "InstrumentFile.h"
#include "PosixTestSupport.h"
#include "TestFiles.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace rovana {
namespace {

using test::CliRun;
using test::RunCli;

class CliExitTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_file = m_dir.filePath("t.mg");
        ASSERT_TRUE(test::WriteBytes(m_file, ComposeInstrumentFile(test::SampleRecord())));
        m_fifo = m_dir.filePath("x.mg");
        ASSERT_EQ(::mkfifo(m_fifo.toUtf8().constData(), 0644), 0);
        ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.mg"));
        ASSERT_TRUE(test::WriteBytes(m_dir.filePath("-dash.mg"),
                                     ComposeInstrumentFile(test::SampleRecord())));
    }

    QTemporaryDir m_dir;
    QString m_file, m_fifo;
};

TEST_F(CliExitTest, EverySubcommandGivesTheSameStatuses)
{
    struct Row
    {
        QStringList args; // after the subcommand
        int status;
        const char* err; // expected in standard error; empty: nothing asked
    };
    const Row rows[] = {
        {{"--help"}, 0, ""},
        {{"-h"}, 0, ""},
        {{m_file}, 0, ""},
        {{"--", m_dir.filePath("-dash.mg")}, 0, ""},
        {{}, 2, "用法"},
        {{m_file, m_file}, 2, "用法"},
        {{"--bogus", m_file}, 2, "未知选项: --bogus"},
        {{m_dir.filePath("missing.mg")}, 1, "无法读取文件"},
        {{m_fifo}, 1, "无法读取文件"},
        {{m_dir.filePath("folder.mg")}, 1, "无法读取文件"},
        {{"/dev/zero"}, 1, "无法读取文件"},
    };
    for (const char* command : {"info", "spectrum", "filter"}) {
        for (const Row& row : rows) {
            const CliRun run = RunCli(QStringList{command} + row.args);
            SCOPED_TRACE(::testing::Message() << command << " " << row.args.join(' ').toStdString()
                                              << ": " << run.err.toStdString());
            EXPECT_EQ(run.exitCode, row.status);
            EXPECT_TRUE(run.err.contains(QString::fromUtf8(row.err)));
            // Refusing a FIFO takes no wait for a writer.
            EXPECT_LT(run.milliseconds, 10000);
            if (row.args.value(0) == "--help" || row.args.value(0) == "-h") {
                EXPECT_TRUE(run.out.startsWith(QByteArray("用法: rovana-cli ") + command));
            } else if (row.status != 0) {
                EXPECT_TRUE(run.out.isEmpty());
            }
        }
    }
    EXPECT_EQ(RunCli({}).exitCode, 2);
    EXPECT_EQ(RunCli({"nonsense"}).exitCode, 2);
}

TEST_F(CliExitTest, EverySubcommandPrintsItsHelp)
{
    for (const char* command : {"info", "spectrum", "filter", "sheet", "summary"}) {
        for (const QStringList& args :
             {QStringList{"--help"}, QStringList{"-h"}, QStringList{m_dir.path(), "--help"}}) {
            const CliRun run = RunCli(QStringList{command} + args);
            SCOPED_TRACE(::testing::Message() << command << " " << args.join(' ').toStdString());
            EXPECT_EQ(run.exitCode, 0);
            EXPECT_TRUE(run.out.startsWith(QByteArray("用法: rovana-cli ") + command));
            EXPECT_FALSE(run.err.contains(QStringLiteral("用法"))) << run.err.toStdString();
        }
    }
}

TEST_F(CliExitTest, StandardOutputThatCannotBeWrittenIsAnError)
{
    for (const QStringList& args :
         {QStringList{"info", m_file}, QStringList{"spectrum", m_file},
          QStringList{"filter", m_file}, QStringList{"--help"}, QStringList{"info", "--help"}}) {
        const CliRun run = test::RunCliInto(args, QStringLiteral("/dev/full"));
        EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("无法写入标准输出"))) << run.err.toStdString();
    }
    // The same output to a file that can take it succeeds.
    EXPECT_EQ(test::RunCliInto({"info", m_file}, m_dir.filePath("out.json")).exitCode, 0);
}

TEST_F(CliExitTest, OpensFilesNamedInCodePage936FromTheirBytes)
{
    InstrumentRecord r = test::SampleRecord();
    r.waveSpeed = 4321;
    const QByteArray gbk = m_dir.path().toUtf8() + "/\xB2\xE2\xCA\xD4.mg"; // "测试.mg"
    const QByteArray bytes = ComposeInstrumentFile(r);
    const int fd = ::open(gbk.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.constData(), bytes.size()), bytes.size());
    ::close(fd);

    const CliRun run = test::RunCliRaw({"info", gbk}, m_dir.path().toUtf8() + "/run");
    ::unlink(gbk.constData()); // QTemporaryDir cannot remove it
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(run.out).object()["m_nWaveSpeed"].toInt(), 4321);
}

} // namespace
} // namespace rovana
