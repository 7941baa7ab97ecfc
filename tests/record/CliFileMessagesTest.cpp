// rovana-cli: every subcommand's failure for one file begins with that file's path and
// says what is wrong ("文件不存在" for a missing one); a header outside every instrument's
// range gives no lengths and the reason, never a number made of it.
#include "CliRunner.h"
#include "MgLayout.h"
#include "TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

namespace rovana {
namespace {

class CliFileMessagesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!m_cli.WhyNot().isEmpty())
            GTEST_SKIP() << m_cli.WhyNot().toStdString();
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_EQ(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
        m_site = m_dir.filePath(QStringLiteral("site"));
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("site")));
        m_out = m_dir.filePath(QStringLiteral("out")); // where the runs may write
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("out")));
        ASSERT_EQ(::chmod(QFile::encodeName(m_out).constData(), 0777), 0);
        const QByteArray measured = test::ReadBytes(ROVANA_SAMPLES_DIR "/MG0003.mg");
        ASSERT_EQ(measured.size(), mg::kFileSize);
        ASSERT_TRUE(test::WriteBytes(Path("ok.mg"), measured));
        ASSERT_TRUE(test::WriteBytes(Path("truncated.mg"), measured.left(100)));
        ASSERT_TRUE(test::WriteBytes(Path("unreadable.mg"), measured));
        ASSERT_EQ(::chmod(QFile::encodeName(Path("unreadable.mg")).constData(), 0), 0);
        ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo.mg")).constData(), 0644), 0);
        // A saved analysis whose lengths an interval of 2147483647 µs would make 755377344 m.
        QByteArray range = measured;
        const qint32 interval = 2147483647;
        std::memcpy(range.data() + mg::kSampleInterval, &interval, sizeof interval);
        ASSERT_TRUE(test::WriteBytes(Path("range.mg"), range));
    }

    QString Path(const char* name) const { return m_site + QLatin1Char('/') + name; }

    test::CliAsAnotherUser m_cli;
    QTemporaryDir m_dir;
    QString m_site, m_out;
};

// The first line of standard error, which names the file.
QString FirstLine(const QString& err)
{
    return err.section(QLatin1Char('\n'), 0, 0);
}

TEST_F(CliFileMessagesTest, EverySubcommandNamesTheFileThatFails)
{
    const std::pair<const char*, const char*> failures[] = {
        {"missing.mg", "无法读取文件（文件不存在）"},
        {"truncated.mg", "无法读取文件（文件长度 100 字节，不足 13312 字节）"},
        {"fifo.mg", "无法读取文件（不是普通文件）"},
        {"unreadable.mg", "无法读取文件（没有读取权限）"},
    };
    const QString pdf = m_out + QStringLiteral("/out.pdf");
    const std::pair<const char*, QStringList> commands[] = {
        {"info", {}}, {"spectrum", {}},          {"filter", {}}, {"process", {"--lowpass", "2000"}},
        {"pick", {}}, {"sheet", {"--pdf", pdf}},
    };
    for (const auto& [command, options] : commands) {
        for (const auto& [name, why] : failures) {
            const test::CliRun run =
                m_cli.Run(QStringList{command} + options + QStringList{Path(name)});
            SCOPED_TRACE(std::string(command) + " " + name + ": " + run.err.toStdString());
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(FirstLine(run.err).toStdString(),
                      (Path(name) + QStringLiteral(": ") + why).toStdString());
        }
        // Several files: each failure on its own line, the good file's result printed.
        if (std::strcmp(command, "pick") == 0) {
            const test::CliRun run =
                m_cli.Run({"pick", Path("ok.mg"), Path("truncated.mg"), Path("missing.mg")});
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(run.err.toStdString(),
                      (Path("truncated.mg") + QStringLiteral(": ") + failures[1].second +
                       QLatin1Char('\n') + Path("missing.mg") + QStringLiteral(": ") +
                       failures[0].second + QLatin1Char('\n'))
                          .toStdString());
            EXPECT_EQ(QJsonDocument::fromJson(run.out).array().size(), 1);
        }
    }
}

TEST_F(CliFileMessagesTest, AHeaderOutOfRangeGivesNoLengthsButTheReason)
{
    const QString why = QStringLiteral("采样间隔 2147483647 µs 超出仪器范围（1–1000 µs）");
    const QJsonObject result = QJsonDocument::fromJson(m_cli.Run({"info", Path("range.mg")}).out)
                                   .object()["result"]
                                   .toObject();
    for (const char* key : {"length", "freeLength", "anchorLength", "lengthRatio", "grade"})
        EXPECT_TRUE(result[key].isNull()) << key;
    EXPECT_EQ(result["verdict"].toString(), QStringLiteral("未评定"));
    EXPECT_EQ(result["reason"].toString(), why);
    // The same file with its own interval is measured.
    const QJsonObject ok = QJsonDocument::fromJson(m_cli.Run({"info", Path("ok.mg")}).out)
                               .object()["result"]
                               .toObject();
    EXPECT_GT(ok["length"].toDouble(), 5.0);
    EXPECT_TRUE(ok["reason"].isNull());

    const test::CliRun pick = m_cli.Run({"pick", Path("range.mg")});
    EXPECT_EQ(pick.exitCode, 0) << pick.err.toStdString();
    const QJsonObject picked = QJsonDocument::fromJson(pick.out).object();
    // The samples are read (an interval no instrument records leaves the picker nothing to
    // time the blow with); no lengths either way.
    for (const char* key : {"length", "freeLength", "anchorLength"})
        EXPECT_TRUE(picked[key].isNull()) << key;
    EXPECT_TRUE(picked["reason"].toString().startsWith(why)) << pick.out.toStdString();

    // The commands that draw or transform the samples take such a file without a length.
    for (const QStringList& args :
         {QStringList{"spectrum", Path("range.mg")}, QStringList{"filter", Path("range.mg")},
          QStringList{"sheet", "--pdf", m_out + QStringLiteral("/range.pdf"), Path("range.mg")}})
        EXPECT_EQ(m_cli.Run(args).exitCode, 0) << args.join(' ').toStdString();
}

TEST_F(CliFileMessagesTest, TheSummaryNamesEachUnreadableFileAndEachHeaderOutOfRange)
{
    const test::CliRun run = m_cli.Run({"summary", m_site});
    EXPECT_EQ(run.exitCode, 1);
    // The FIFO is no test file of the folder; the others are rows, in name order. Where the
    // user may not write into the folder, a last line says the suggestion cache was not kept.
    QString err = run.err;
    err.remove(Path("rovana-suggestions.cache") +
               QStringLiteral(": 建议缓存文件无法写入（没有写入权限，无法创建文件），未作修改\n"));
    EXPECT_EQ(err.toStdString(),
              (Path("truncated.mg") +
               QStringLiteral(": 无法读取文件（文件长度 100 字节，不足 13312 字节）\n") +
               Path("unreadable.mg") + QStringLiteral(": 无法读取文件（没有读取权限）\n"))
                  .toStdString());
    const QJsonArray bolts = QJsonDocument::fromJson(run.out).object()["bolts"].toArray();
    ASSERT_EQ(bolts.size(), 4);
    const QJsonObject ok = bolts[0].toObject(), range = bolts[1].toObject();
    ASSERT_EQ(range["file"].toString(), QStringLiteral("range.mg"));
    EXPECT_GT(ok["measuredLength"].toDouble(), 5.0);
    for (const char* key : {"measuredLength", "freeLength", "anchorLength", "lengthRatio",
                            "suggestedLength", "grade"})
        EXPECT_TRUE(range[key].isNull()) << key;
    EXPECT_EQ(range["review"].toString(),
              QStringLiteral("请复核（采样间隔 2147483647 µs 超出仪器范围（1–1000 µs））"));
    EXPECT_EQ(bolts[3].toObject()["verdict"].toString(), QStringLiteral("无法读取文件"));
}

} // namespace
} // namespace rovana
