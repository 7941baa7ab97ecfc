#include "ByteBuffer.h"
#include "TestFiles.h"
#include "TestRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "CliRunner.h"

#include <gtest/gtest.h>

namespace rovana {
namespace {

using test::CliRun;
using test::RunCli;

TEST(CliInfoTest, PrintsTheRecordWithTheFieldNamesAndShapes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.mg");
    QByteArray b = ComposeInstrumentFile(test::SampleRecord());
    WriteFloat(b, 72, 0.1f); // channel 1 anchorage: no short decimal is exact
    ASSERT_TRUE(test::WriteBytes(path, b));
    const CliRun run = RunCli({"info", path});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(run.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();

    EXPECT_EQ(o["m_nSampleCount"].toInt(), 1024);
    EXPECT_EQ(o["m_strProject"].toString(), QStringLiteral("隧道K12"));
    EXPECT_EQ(o["m_strTitle"].toString(), QStringLiteral("单根锚杆检测结果表"));
    EXPECT_EQ(o["m_tTestDate"].toString(), "2026-05-12");
    EXPECT_EQ(static_cast<float>(o["m_fPanelAnchor"].toArray()[0].toDouble()), 0.1f);
    EXPECT_EQ(static_cast<float>(o["m_fDesignLength"].toDouble()), 3.5f);
    const QJsonArray markers = o["m_nMarkers"].toArray();
    ASSERT_EQ(markers.size(), 3);
    EXPECT_EQ(markers[2].toArray().size(), 5);
    const QJsonArray measured = o["m_fMeasured"].toArray();
    ASSERT_EQ(measured.size(), 3);
    EXPECT_EQ(measured[0].toArray().size(), 2);
    const QJsonArray samples = o["m_nSamples"].toArray();
    ASSERT_EQ(samples.size(), 3);
    ASSERT_EQ(samples[1].toArray().size(), 2048);
    EXPECT_EQ(samples[1].toArray()[2047].toInt(), test::SampleRecord().samples[1][2047]);
    EXPECT_EQ(o["m_nReserved"].toArray().size(), 4);
    EXPECT_EQ(o["m_nGrade"].toArray()[0].toInt(), -1);
    // Every field of the record, in declaration order, then the bolt's result.
    EXPECT_EQ(o.keys().size(), 40);
    EXPECT_EQ(o["result"].toObject()["verdict"].toString(), QStringLiteral("未评定"));
    EXPECT_TRUE(o["result"].toObject()["length"].isNull());
    EXPECT_TRUE(run.out.startsWith("{\n  \"m_nHighPass\""));
}

TEST(CliInfoTest, FailuresGoToStandardErrorWithStatus1)
{
    QTemporaryDir dir;
    CliRun run = RunCli({"info", dir.filePath("missing.mg")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err.trimmed(),
              dir.filePath("missing.mg") + QStringLiteral(": 无法读取文件（文件不存在）"));

    const QString bad = dir.filePath("bad.mg");
    InstrumentRecord r = test::SampleRecord();
    r.month = 13;
    ASSERT_TRUE(test::WriteBytes(bad, ComposeInstrumentFile(r)));
    run = RunCli({"info", bad});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("日期"))) << run.err.toStdString();

    const QString shortFile = dir.filePath("short.mg");
    ASSERT_TRUE(test::WriteBytes(shortFile, QByteArray(100, 'x')));
    run = RunCli({"info", shortFile});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        run.err.startsWith(shortFile + QStringLiteral(": 无法读取文件（文件长度 100 字节")));
}

TEST(CliInfoTest, HelpDocumentsTheSubcommands)
{
    const CliRun run = RunCli({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("info FILE.mg"));
    EXPECT_NE(RunCli({"nonsense"}).exitCode, 0);
}

TEST(CliInfoTest, WorksOnEverySample)
{
    const QDir dir(QStringLiteral(ROVANA_SAMPLES_DIR));
    const QStringList names = dir.entryList({"*.mg"}, QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        const CliRun run = RunCli({"info", dir.filePath(name)});
        EXPECT_EQ(run.exitCode, 0) << name.toStdString() << run.err.toStdString();
        EXPECT_TRUE(QJsonDocument::fromJson(run.out).isObject()) << name.toStdString();
    }
}

} // namespace
} // namespace rovana
