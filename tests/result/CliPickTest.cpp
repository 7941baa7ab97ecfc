// rovana-cli pick, run as a separate program: what it prints is what SuggestMarkers says
// of the file's channel, and its arguments and failures behave as in every subcommand.
#include "BoltModel.h"
#include "InstrumentFile.h"
#include "SuggestedMarkers.h"
#include "TestFiles.h"
#include "TestRecord.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <utility>

namespace rovana {
namespace {

using test::CliRun;
using test::RunCli;

// A test file whose three channels hold model bolts `seed`, `seed` + 1 and `seed` + 2, all
// recorded with the first one's settings (by default bolts 1, 2 and 3 of the held-out set).
QString WriteModelFile(const QString& path, std::uint64_t seed = 1000001)
{
    const boltmodel::BoltParameters first = boltmodel::DrawBolt(seed);
    InstrumentRecord r = test::SampleRecord();
    r.sampleInterval = first.sampleInterval;
    r.sampleCount = first.sampleCount;
    r.waveSpeed = first.waveSpeed;
    r.designLength = static_cast<float>(first.designLength);
    r.designL0 = static_cast<float>(first.designFreeLength);
    for (int c = 0; c < kChannelCount; ++c) {
        boltmodel::BoltParameters p = boltmodel::DrawBolt(seed + static_cast<std::uint64_t>(c));
        p.sampleInterval = first.sampleInterval;
        p.sampleCount = first.sampleCount;
        p.waveSpeed = first.waveSpeed;
        if (c > 0)
            p.length = std::min(p.length, 0.8 * first.length + 0.5);
        const auto b = boltmodel::Synthesize(p);
        std::fill(r.samples[static_cast<std::size_t>(c)].begin(),
                  r.samples[static_cast<std::size_t>(c)].end(), 0);
        std::copy(b.samples.begin(), b.samples.end(),
                  r.samples[static_cast<std::size_t>(c)].begin());
    }
    EXPECT_TRUE(test::WriteBytes(path, ComposeInstrumentFile(r)));
    return path;
}

QJsonValue Marker(const std::optional<pick::PickedEcho>& e)
{
    return e ? QJsonValue(e->sample) : QJsonValue();
}

// Every key of one printed object against SuggestMarkers of the loaded file.
void ExpectSameAsSuggested(const QJsonObject& o, const QString& file, int channel)
{
    TestRecord record;
    ASSERT_TRUE(record.Load(file));
    const SuggestedMarkers s = SuggestMarkers(record, channel);
    EXPECT_EQ(o["file"].toString(), file);
    EXPECT_EQ(o["channel"].toInt(), channel + 1);
    EXPECT_EQ(o["end"], Marker(s.pick.end));
    EXPECT_EQ(o["freeEnd"], Marker(s.pick.freeEnd));
    EXPECT_EQ(o["bottom"], Marker(s.pick.bottom));
    const QJsonArray defects = o["defects"].toArray();
    ASSERT_EQ(defects.size(), static_cast<qsizetype>(s.pick.defects.size()));
    for (qsizetype i = 0; i < defects.size(); ++i) {
        EXPECT_EQ(defects[i].toArray()[0].toInt(),
                  s.pick.defects[static_cast<std::size_t>(i)].start.sample);
        EXPECT_EQ(defects[i].toArray()[1].toInt(),
                  s.pick.defects[static_cast<std::size_t>(i)].end.sample);
    }
    // Lengths print as the shortest decimal of the float: they read back exactly.
    const std::pair<const char*, std::optional<float>> lengths[] = {
        {"length", s.length}, {"freeLength", s.freeLength}, {"anchorLength", s.anchorLength}};
    for (const auto& [key, value] : lengths) {
        EXPECT_EQ(o[key].isNull(), !value) << key;
        EXPECT_EQ(static_cast<float>(o[key].toDouble()), value.value_or(0.0f)) << key;
    }
    const QJsonObject confidence = o["confidence"].toObject();
    EXPECT_EQ(confidence["bottom"].isNull(), !s.pick.bottom);
    if (s.pick.bottom) {
        EXPECT_EQ(static_cast<float>(confidence["bottom"].toDouble()),
                  static_cast<float>(s.pick.bottom->confidence));
    }
    const QJsonArray defectConfidence = confidence["defects"].toArray();
    ASSERT_EQ(defectConfidence.size(), static_cast<qsizetype>(s.pick.defects.size()));
    for (qsizetype i = 0; i < defectConfidence.size(); ++i) {
        EXPECT_EQ(static_cast<float>(defectConfidence[i].toDouble()),
                  static_cast<float>(s.pick.defects[static_cast<std::size_t>(i)].start.confidence));
    }
    if (s.reasons.isEmpty())
        EXPECT_TRUE(o["reason"].isNull());
    else
        EXPECT_EQ(o["reason"].toString(), s.reasons.join(QStringLiteral("；")));
}

class CliPickTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
};

TEST_F(CliPickTest, OneFileOneObjectAsSuggestMarkersSaysIt)
{
    // Bolt 4 of the held-out set has a void its first channel finds.
    qsizetype defects = 0;
    for (const QString& file : {WriteModelFile(m_dir.filePath("b.mg")),
                                WriteModelFile(m_dir.filePath("v.mg"), 1000004)}) {
        for (int channel : {0, 1, 2}) {
            SCOPED_TRACE(channel);
            // The instrument's fresh file has report channel 0: without --channel, channel 1.
            const QStringList args =
                channel == 0 ? QStringList{"pick", file}
                             : QStringList{"pick", "--channel", QString::number(channel + 1), file};
            const CliRun run = RunCli(args);
            ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
            const QJsonDocument doc = QJsonDocument::fromJson(run.out);
            ASSERT_TRUE(doc.isObject()) << run.out.toStdString();
            ExpectSameAsSuggested(doc.object(), file, channel);
            defects += doc.object()["defects"].toArray().size();
        }
    }
    EXPECT_GT(defects, 0); // a void's confidence is printed with it
}

TEST_F(CliPickTest, SeveralFilesAnArrayAndTheReportChannelByDefault)
{
    const QString model = WriteModelFile(m_dir.filePath("b.mg"));
    const QString silent = m_dir.filePath("silent.mg");
    InstrumentRecord r = test::SampleRecord();
    for (auto& channel : r.samples)
        channel.fill(0);
    ASSERT_TRUE(test::WriteBytes(silent, ComposeInstrumentFile(r)));
    const QString saved = QDir(QStringLiteral(ROVANA_SAMPLES_DIR)).filePath("MG0003.mg");

    const CliRun run = RunCli({"pick", model, silent, saved});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray all = QJsonDocument::fromJson(run.out).array();
    ASSERT_EQ(all.size(), 3);
    ExpectSameAsSuggested(all[0].toObject(), model, 0);
    ExpectSameAsSuggested(all[1].toObject(), silent, 0);
    EXPECT_EQ(all[1].toObject()["reason"].toString(), QStringLiteral("未找到敲击信号"));
    EXPECT_TRUE(all[1].toObject()["end"].isNull());
    ExpectSameAsSuggested(all[2].toObject(), saved, 1); // its report channel is 2
}

// --all-channels: per file the three channels as SuggestAllChannels compares them.
TEST_F(CliPickTest, AllChannelsEachAsSuggestedWithTheChannelsCompared)
{
    const QString file = WriteModelFile(m_dir.filePath("b.mg"));
    const CliRun run = RunCli({"pick", "--all-channels", file});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(o["file"].toString(), file);
    TestRecord record;
    ASSERT_TRUE(record.Load(file));
    const RecordSuggestions all = SuggestAllChannels(record);
    const QJsonArray compared = o["compared"].toArray();
    ASSERT_EQ(compared.size(), static_cast<qsizetype>(all.compared.size()));
    for (qsizetype i = 0; i < compared.size(); ++i)
        EXPECT_EQ(compared[i].toInt(), all.compared[static_cast<std::size_t>(i)] + 1);
    const QJsonArray channels = o["channels"].toArray();
    ASSERT_EQ(channels.size(), kChannelCount);
    for (int c = 0; c < kChannelCount; ++c) {
        SCOPED_TRACE(c);
        QJsonObject channel = channels[c].toObject();
        channel["file"] = file;
        ExpectSameAsSuggested(channel, file, c);
        const QJsonObject agreeing = channel["agreeing"].toObject();
        EXPECT_EQ(agreeing["bottom"].toInt(),
                  all.channels[static_cast<std::size_t>(c)].agreeing.bottom);
        EXPECT_EQ(agreeing["freeEnd"].toInt(),
                  all.channels[static_cast<std::size_t>(c)].agreeing.freeEnd);
    }
    // One channel or all of them, not both.
    const CliRun both = RunCli({"pick", "--all-channels", "--channel", "2", file});
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_TRUE(both.out.isEmpty() && both.err.contains(QStringLiteral("用法")));
}

TEST_F(CliPickTest, UnreadableFileLeftOutWithStatus1)
{
    const QString model = WriteModelFile(m_dir.filePath("b.mg"));
    const CliRun run = RunCli({"pick", m_dir.filePath("missing.mg"), model});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("无法读取文件"))) << run.err.toStdString();
    const QJsonArray all = QJsonDocument::fromJson(run.out).array();
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all[0].toObject()["file"].toString(), model);
}

TEST_F(CliPickTest, ArgumentsAsEverySubcommand)
{
    const QString model = WriteModelFile(m_dir.filePath("b.mg"));
    struct Row
    {
        QStringList args;
        int status;
    };
    const Row rows[] = {
        {{"pick"}, 2},
        {{"pick", "--channel", "0", model}, 2},
        {{"pick", "--channel", "4", model}, 2},
        {{"pick", "--channel", "x", model}, 2},
        {{"pick", "--channel", "1", "--channel", "2", model}, 2},
        {{"pick", model, "--channel"}, 2},
        {{"pick", "--bogus", model}, 2},
        {{"pick", "--help"}, 0},
        {{"pick", "-h", model}, 0},
        {{"pick", "--", model}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const CliRun run = RunCli(row.args);
        EXPECT_EQ(run.exitCode, row.status) << run.err.toStdString();
        if (row.status == 2) {
            EXPECT_TRUE(run.out.isEmpty() && run.err.contains(QStringLiteral("用法")));
        }
    }
    EXPECT_TRUE(RunCli({"pick", "--help"}).out.contains("--channel N"));
    EXPECT_TRUE(RunCli({"--help"}).out.contains("pick [--channel N]"));
}

} // namespace
} // namespace rovana
