#include "InstrumentFile.h"
#include "ProcessingChain.h"
#include "SignalTestSupport.h"
#include "TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace rovana {
namespace {

using processing::ChainSettings;
using processing::FilterKind;
using processing::GainKind;
using test::CliRun;
using test::RunCli;

// 1500 samples at 10 µs: a quiet lead with an offset, a blow, and a 1 kHz and a 20 kHz sine.
InstrumentRecord StruckRecord(int waveSpeed = 3500)
{
    InstrumentRecord r = test::SampleRecord();
    r.sampleCount = 1500;
    r.sampleInterval = 10;
    r.waveSpeed = waveSpeed;
    const auto low = test::Cosine(2048, 15, 1000, 6000.0);
    const auto high = test::Cosine(2048, 200, 1000, 3000.0);
    for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < 2048; ++i)
            r.samples[c][i] = static_cast<std::int16_t>(
                i < 80 * (c + 1) ? 200 + (i % 3) : low[i] / (c + 1) + high[i] + 200);
    }
    return r;
}

class ProcessCliTest : public ::testing::Test
{
protected:
    QString Write(const InstrumentRecord& record)
    {
        const QString path = m_dir.filePath(QStringLiteral("p%1.mg").arg(m_count++));
        EXPECT_TRUE(test::WriteBytes(path, ComposeInstrumentFile(record)));
        return path;
    }

    // Runs process and checks each channel against the library's chain.
    void ExpectChain(const QStringList& options, const ChainSettings& settings)
    {
        const InstrumentRecord record = StruckRecord();
        const CliRun run = RunCli(QStringList{"process"} + options + QStringList{Write(record)});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        QJsonParseError error;
        const QJsonArray channels = QJsonDocument::fromJson(run.out, &error).array();
        ASSERT_EQ(error.error, QJsonParseError::NoError);
        ASSERT_EQ(channels.size(), 3);
        for (int c = 0; c < 3; ++c) {
            const auto y = processing::ApplyChain(std::span(record.samples[c]).first(1500), 10,
                                                  record.waveSpeed, record.designLength, settings);
            std::vector<std::int16_t> expected(2048, 0);
            processing::ToDisplaySamples(y, expected);
            const QJsonArray listed = channels[c].toArray();
            ASSERT_EQ(listed.size(), 2048);
            for (int i = 0; i < 2048; ++i)
                ASSERT_EQ(listed[i].toInt(), expected[i]) << "channel " << c << " sample " << i;
        }
    }

    QTemporaryDir m_dir;
    int m_count = 0;
};

TEST_F(ProcessCliTest, ListsTheProcessedSamplesOfEachChannel)
{
    ChainSettings band{true, FilterKind::BandPass, 4, 100, 3000, GainKind::Exponential, 8};
    ExpectChain({"--bandpass", "100-3000", "--gain", "exp:8"}, band);
    ExpectChain({"--lowpass", "5000", "--order", "6"},
                {true, FilterKind::LowPass, 6, 0, 5000, GainKind::None, 1});
    ExpectChain({"--gain", "linear:2.5", "--highpass", "300"},
                {true, FilterKind::HighPass, 4, 300, 0, GainKind::Linear, 2.5});
    ExpectChain({}, ChainSettings{});
}

TEST_F(ProcessCliTest, WithoutOptionsListsTheRawSamples)
{
    const InstrumentRecord record = StruckRecord();
    const CliRun run = RunCli({"process", Write(record)});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray first = QJsonDocument::fromJson(run.out).array()[0].toArray();
    EXPECT_EQ(first[0].toInt(), 200);
    EXPECT_EQ(first[1499].toInt(), record.samples[0][1499]);
    EXPECT_EQ(first[1500].toInt(), 0); // past the sample count
    EXPECT_TRUE(run.out.startsWith("[\n  [200,201,202,200,"));
}

// Without options the samples follow the folder's rovana-site.json as in the program;
// --raw ignores it, and options given replace it.
TEST_F(ProcessCliTest, FollowsTheFolderSettingsUnlessRawOrOverridden)
{
    ASSERT_TRUE(test::WriteBytes(m_dir.filePath("rovana-site.json"),
                                 R"({"version": 1, "processing": {"enabled": true,
                                 "filter": "lowpass", "order": 4, "highHz": 3000}})"));
    ExpectChain({}, {true, FilterKind::LowPass, 4, 0, 3000, GainKind::None, 1});
    ExpectChain({"--raw"}, ChainSettings{});
    ExpectChain({"--highpass", "300"}, {true, FilterKind::HighPass, 4, 300, 0, GainKind::None, 1});
}

TEST_F(ProcessCliTest, HelpListsTheOptions)
{
    const CliRun run = RunCli({"process", "--help"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* option : {"--lowpass", "--highpass", "--bandpass", "--order", "--gain"})
        EXPECT_TRUE(run.out.contains(option)) << option;
    EXPECT_TRUE(RunCli({"--help"}).out.contains("process"));
}

TEST_F(ProcessCliTest, RefusesBadOptionsAndSettingsTheFileCannotTake)
{
    struct Row
    {
        QStringList options;
        int status;
        QString message;
    };
    const Row rows[] = {
        {{"--lowpass", "60000"}, 1, "截止频率 60000 Hz 不低于采样频率的一半 50000 Hz"},
        {{"--lowpass", "50000"}, 1, "截止频率 50000 Hz 不低于采样频率的一半 50000 Hz"},
        {{"--lowpass", "600000"}, 2, "不低于采样频率的一半 500000 Hz"},
        {{"--order", "9", "--lowpass", "1000"}, 2, "滤波器阶数 9 不在 2..8 之间"},
        {{"--order", "x", "--lowpass", "1000"}, 2, "--order 的取值无效: x"},
        {{"--order", "4"}, 2, "--order 需要与"},
        {{"--bandpass", "3000-100"}, 2, "带通的下限 3000 Hz 必须低于上限 100 Hz"},
        {{"--bandpass", "3000"}, 2, "--bandpass 需要 LOW-HIGH"},
        {{"--bandpass", "-5-100"}, 2, "截止频率 -5 Hz 必须大于 0"},
        {{"--highpass", "abc"}, 2, "--highpass 的取值无效: abc"},
        {{"--lowpass", "1000", "--highpass", "10"}, 2, "只能给出其中一个"},
        {{"--gain", "log:3"}, 2, "--gain 需要 exp:G 或 linear:G"},
        {{"--gain", "exp:"}, 2, "--gain 需要 exp:G 或 linear:G"},
        {{"--gain", "exp:200"}, 2, "放大倍数 200 不在 1..100 之间"},
        {{"--gain", "exp:2", "--gain", "exp:3"}, 2, "--gain 只能给出一次"},
        {{"--median"}, 2, "未知选项: --median"},
        // What the order cannot realise at this file's 10 µs: the file's path and the limit.
        {{"--lowpass", "49999.999999"}, 1, "低通截止频率不能高于 49992.6 Hz"},
        {{"--highpass", "7.3"}, 1, "高通截止频率不能低于 7.4 Hz"},
        {{"--order", "8", "--bandpass", "9.2-3000"}, 1, "带通下限频率不能低于 9.3 Hz"},
    };
    const QString file = Write(StruckRecord());
    for (const Row& r : rows) {
        const CliRun run = RunCli(QStringList{"process"} + r.options + QStringList{file});
        SCOPED_TRACE(r.options.join(' ').toStdString());
        EXPECT_EQ(run.exitCode, r.status) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(r.message)) << run.err.toStdString();
        EXPECT_EQ(run.err.contains("用法"), r.status == 2);
        EXPECT_TRUE(run.out.isEmpty());
    }
    // The whole of standard error: the path and the reason, nothing from liquid-dsp.
    for (const auto& [options, why] :
         {std::pair{QStringList{"--lowpass", "49999.999999"}, "低通截止频率不能高于 49992.6 Hz"},
          std::pair{QStringList{"--highpass", "7.3"}, "高通截止频率不能低于 7.4 Hz"}}) {
        const CliRun run = RunCli(QStringList{"process"} + options + QStringList{file});
        EXPECT_EQ(run.err.toStdString(), (file + ": " + why + "\n").toStdString());
    }
    // A 2 µs sample: 10 Hz printed every sample at -32768 with status 0.
    const CliRun twoMicro =
        RunCli({"process", "--highpass", "10", ROVANA_SAMPLES_DIR "/MG0005.mg"});
    EXPECT_EQ(twoMicro.exitCode, 1);
    EXPECT_TRUE(twoMicro.out.isEmpty());
    EXPECT_EQ(twoMicro.err.toStdString(),
              ROVANA_SAMPLES_DIR "/MG0005.mg: 高通截止频率不能低于 37 Hz\n");
    const CliRun missingValue = RunCli({"process", file, "--lowpass"});
    EXPECT_EQ(missingValue.exitCode, 2);
    EXPECT_TRUE(missingValue.err.contains("--lowpass 缺少取值"));
    const CliRun noWaveSpeed = RunCli({"process", "--gain", "exp:4", Write(StruckRecord(0))});
    EXPECT_EQ(noWaveSpeed.exitCode, 1);
    EXPECT_TRUE(noWaveSpeed.err.contains("放大需要有效的波速与设计长度"));
    EXPECT_EQ(RunCli({"process", m_dir.filePath("missing.mg")}).exitCode, 1);
    EXPECT_EQ(RunCli({"process"}).exitCode, 2);
}

} // namespace
} // namespace rovana
