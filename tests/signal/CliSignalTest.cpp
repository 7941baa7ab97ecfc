#include "InstrumentFile.h"
#include "LowPass.h"
#include "SignalTestSupport.h"
#include "Spectrum.h"
#include "TestFiles.h"
#include "TestRecord.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace rovana {
namespace {

using test::CliRun;
using test::RunCli;

QJsonArray ParseArray(const CliRun& run)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(run.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return doc.array();
}

// Channel 0 a cosine on bin 10 of 1024 points, channel 1 silent, channel 2 a step.
InstrumentRecord KnownRecord(int sampleCount, int intervalUs)
{
    InstrumentRecord r = test::SampleRecord();
    r.sampleCount = sampleCount;
    r.sampleInterval = intervalUs;
    const auto cosine = test::Cosine(2048, 10, 1024, 8000.0);
    for (int i = 0; i < 2048; ++i) {
        r.samples[0][i] = cosine[static_cast<std::size_t>(i)];
        r.samples[1][i] = 0;
        r.samples[2][i] = static_cast<std::int16_t>(i == 0 ? 0 : 1000);
    }
    return r;
}

class SignalCliTest : public ::testing::Test
{
protected:
    QString Write(const InstrumentRecord& record)
    {
        const QString path = m_dir.filePath(QStringLiteral("t%1.mg").arg(m_count++));
        EXPECT_TRUE(test::WriteBytes(path, ComposeInstrumentFile(record)));
        return path;
    }

    QTemporaryDir m_dir;
    int m_count = 0;
};

TEST_F(SignalCliTest, SpectrumListsWhatTheLibraryComputesForEachChannel)
{
    const InstrumentRecord record = KnownRecord(1000, 10);
    const CliRun run = RunCli({"spectrum", Write(record)});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray channels = ParseArray(run);
    ASSERT_EQ(channels.size(), 3);
    for (int c = 0; c < 3; ++c) {
        std::array<std::int16_t, kSpectrumLength> spectrum = record.samples[c];
        std::array<std::int32_t, kPhaseLength> phase{};
        const SpectrumResult expected = ComputeSpectrum(spectrum, phase, 10.0f, 1000);
        const QJsonObject o = channels[c].toObject();
        EXPECT_EQ(o.keys().size(), 6);
        EXPECT_EQ(o["channel"].toInt(), c);
        EXPECT_EQ(o["transformSize"].toInt(), 1024);
        EXPECT_EQ(static_cast<float>(o["binWidth"].toDouble()), 97.65625f);
        EXPECT_EQ(static_cast<float>(o["peakFrequency"].toDouble()), expected.peakFrequency);
        const QJsonArray listedSpectrum = o["spectrum"].toArray();
        const QJsonArray listedPhase = o["phase"].toArray();
        ASSERT_EQ(listedSpectrum.size(), 2048);
        ASSERT_EQ(listedPhase.size(), 1024);
        for (int i = 0; i < 2048; ++i)
            ASSERT_EQ(listedSpectrum[i].toInt(), spectrum[i]) << "channel " << c << " entry " << i;
        for (int i = 0; i < 1024; ++i)
            ASSERT_EQ(listedPhase[i].toInt(), phase[i]) << "channel " << c << " phase " << i;
    }
    const QJsonObject cosine = channels[0].toObject();
    EXPECT_EQ(static_cast<float>(cosine["peakFrequency"].toDouble()), 976.5625f);
    EXPECT_EQ(channels[1].toObject()["spectrum"].toArray()[500].toInt(), -16383);
    EXPECT_TRUE(run.out.startsWith("[\n  {\"channel\": 0, \"transformSize\": 1024"));
}

// A peak frequency with no short decimal: written so that it reads back as the same float.
TEST_F(SignalCliTest, SpectrumFrequenciesRoundTripAsSinglePrecision)
{
    const InstrumentRecord record = KnownRecord(2048, 3);
    const CliRun run = RunCli({"spectrum", Write(record)});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject o = ParseArray(run)[0].toObject();
    const float binWidth = (1000000.0f / 2048.0f) / 3.0f;
    EXPECT_EQ(static_cast<float>(o["binWidth"].toDouble()), binWidth);
    EXPECT_EQ(static_cast<float>(o["peakFrequency"].toDouble()), binWidth * 20.0f);
    EXPECT_TRUE(run.out.contains("\"binWidth\": 162.76042,")) << run.out.left(200).toStdString();
}

TEST_F(SignalCliTest, SpectrumOfATooShortChannelListsTheCopiedSamples)
{
    const InstrumentRecord record = KnownRecord(1, 10);
    const CliRun run = RunCli({"spectrum", Write(record)});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject o = ParseArray(run)[0].toObject();
    EXPECT_EQ(o["transformSize"].toInt(), 0);
    EXPECT_EQ(o["peakFrequency"].toDouble(), 0.0);
    EXPECT_TRUE(o["phase"].toArray().isEmpty());
    const QJsonArray spectrum = o["spectrum"].toArray();
    ASSERT_EQ(spectrum.size(), 2048);
    for (int i = 0; i < 2048; ++i)
        ASSERT_EQ(spectrum[i].toInt(), record.samples[0][i]) << i;
}

TEST_F(SignalCliTest, FilterListsTheFilteredDisplayOfEachChannel)
{
    const InstrumentRecord record = KnownRecord(1500, 10);
    const CliRun run = RunCli({"filter", Write(record)});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray channels = ParseArray(run);
    ASSERT_EQ(channels.size(), 3);
    for (int c = 0; c < 3; ++c) {
        std::vector<std::int16_t> expected(2048, 0);
        LowPass(expected, record.samples[c], 10, 1500);
        const QJsonArray listed = channels[c].toArray();
        ASSERT_EQ(listed.size(), 2048);
        for (int i = 0; i < 2048; ++i)
            ASSERT_EQ(listed[i].toInt(), expected[i]) << "channel " << c << " sample " << i;
    }
    const QJsonArray step = channels[2].toArray();
    EXPECT_EQ(step[1].toInt(), 628);
    EXPECT_EQ(step[2].toInt(), 861);
    EXPECT_EQ(step[1500].toInt(), 0) << "past the sample count the display stays cleared";
}

TEST_F(SignalCliTest, FailuresGoToStandardErrorWithStatus1)
{
    InstrumentRecord badDate = KnownRecord(1000, 10);
    badDate.day = 32;
    const QString bad = Write(badDate);
    const QString shortFile = m_dir.filePath(QStringLiteral("short.mg"));
    ASSERT_TRUE(test::WriteBytes(shortFile, QByteArray(100, 'x')));
    for (const char* command : {"spectrum", "filter"}) {
        CliRun run = RunCli({command, m_dir.filePath(QStringLiteral("missing.mg"))});
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_TRUE(run.out.isEmpty()) << command;
        EXPECT_EQ(run.err.trimmed(), m_dir.filePath(QStringLiteral("missing.mg")) +
                                         QStringLiteral(": 无法读取文件（文件不存在）"))
            << command;

        run = RunCli({command, shortFile});
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_TRUE(run.err.startsWith(shortFile + QStringLiteral(": 无法读取文件"))) << command;

        run = RunCli({command, bad});
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_TRUE(run.out.isEmpty()) << command;
        EXPECT_TRUE(run.err.contains(QStringLiteral("日期"))) << run.err.toStdString();

        EXPECT_EQ(RunCli({command}).exitCode, 2) << command << " without a file: a usage error";
    }
}

TEST(SignalCliHelpTest, DocumentsBothSubcommands)
{
    const CliRun run = RunCli({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("spectrum FILE.mg"));
    EXPECT_TRUE(run.out.contains("filter FILE.mg"));
}

TEST(SignalCliSamplesTest, EverySampleGivesThreeChannels)
{
    const QDir dir(QStringLiteral(ROVANA_SAMPLES_DIR));
    const QStringList names = dir.entryList({"*.mg"}, QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        TestRecord data;
        ASSERT_TRUE(data.Load(dir.filePath(name))) << name.toStdString();
        const CliRun spectrum = RunCli({"spectrum", dir.filePath(name)});
        ASSERT_EQ(spectrum.exitCode, 0) << name.toStdString() << spectrum.err.toStdString();
        const QJsonArray channels = ParseArray(spectrum);
        ASSERT_EQ(channels.size(), 3) << name.toStdString();
        const int points = channels[2].toObject()["transformSize"].toInt();
        EXPECT_EQ(channels[2].toObject()["phase"].toArray().size(), points);
        const CliRun filter = RunCli({"filter", dir.filePath(name)});
        ASSERT_EQ(filter.exitCode, 0) << name.toStdString() << filter.err.toStdString();
        const QJsonArray traces = ParseArray(filter);
        ASSERT_EQ(traces.size(), 3) << name.toStdString();
        EXPECT_EQ(traces[0].toArray()[0].toInt(), data.m_nSamples[0][0]) << name.toStdString();
    }
}

} // namespace
} // namespace rovana
