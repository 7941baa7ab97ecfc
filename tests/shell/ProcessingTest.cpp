// "信号处理": the folder's chain reaches the time-domain traces, is kept in the site file
// and comes back with the next test of that folder; refused settings change nothing.
#include "ShellTestSupport.h"

#include "ProcessingDialog.h"
#include "SiteStore.h"

#include <QStatusBar>

namespace rovana::test {
namespace {

class ProcessingTest : public FrameTest
{
protected:
    // Runs the dialog's OK with `chain` set in it; false when the dialog refused it.
    bool Process(const processing::ChainSettings& chain)
    {
        bool accepted = false;
        frame->m_fnRunProcessing = [&](ProcessingDialog& dialog) {
            dialog.SetSettings(chain);
            dialog.m_fnRefuse = [this](const QString& text) { messages << text; };
            accepted = dialog.Apply();
            return accepted;
        };
        frame->Action(ID_VIEW_PROCESSING)->trigger();
        return accepted;
    }
};

TEST_F(ProcessingTest, TheChainReachesTheTracesAndTheSiteFile)
{
    Open(WriteRecord(QStringLiteral("MG0001.mg")));
    const auto plain = View(0).m_nWave;
    processing::ChainSettings low;
    low.enabled = true;
    low.filter = processing::FilterKind::LowPass;
    low.highHz = 2000.0;
    ASSERT_TRUE(Process(low));

    // The views show the chain's output of the raw samples.
    std::array<std::int16_t, 10240> expected{};
    processing::ToDisplaySamples(
        processing::ApplyChain(std::span(View(0).m_nRaw.data(), 1024), 10, 3500, 3.5, low),
        expected);
    EXPECT_EQ(View(0).m_nWave, expected);
    EXPECT_NE(View(0).m_nWave, plain);
    EXPECT_EQ(SiteStore(m_strFolder).Site().chain.highHz, 2000.0);

    // Another test of the folder comes with it; switched off, the traces are as before.
    Open(WriteRecord(QStringLiteral("MG0002.mg")));
    EXPECT_EQ(View(0).m_nWave, expected);
    ASSERT_TRUE(Process({}));
    EXPECT_EQ(View(0).m_nWave, plain);
    EXPECT_FALSE(SiteStore(m_strFolder).Site().chain.enabled);
}

TEST_F(ProcessingTest, ACutOffAtHalfTheSamplingRateIsRefusedAndChangesNothing)
{
    Open(WriteRecord(QStringLiteral("MG0001.mg")));
    const auto plain = View(0).m_nWave;
    processing::ChainSettings high;
    high.enabled = true;
    high.filter = processing::FilterKind::LowPass;
    high.highHz = 50000.0; // 10 µs: half the sampling rate
    EXPECT_FALSE(Process(high));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("50000"))) << messages[0].toStdString();
    EXPECT_EQ(View(0).m_nWave, plain);
    EXPECT_FALSE(QFile::exists(m_strFolder + QLatin1Char('/') + kSiteFileName));
}

// A cut-off below what the order can realise at the test's sampling interval is refused
// with the limit, and nothing changes; on the limit it is taken.
TEST_F(ProcessingTest, AHighPassBelowItsLimitIsRefusedWithTheLimit)
{
    Open(WriteRecord(QStringLiteral("MG0001.mg")));
    const auto plain = View(0).m_nWave;
    processing::ChainSettings high;
    high.enabled = true;
    high.filter = processing::FilterKind::HighPass;
    high.order = 8;
    high.lowHz = 9.0; // 10 µs, order 8: at least 9.3 Hz
    EXPECT_FALSE(Process(high));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("高通截止频率不能低于 9.3 Hz"));
    EXPECT_EQ(View(0).m_nWave, plain);
    EXPECT_FALSE(QFile::exists(m_strFolder + QLatin1Char('/') + kSiteFileName));
    high.lowHz = 10.0;
    EXPECT_TRUE(Process(high));
    EXPECT_NE(View(0).m_nWave, plain);
    for (const std::int16_t v : View(0).m_nWave)
        ASSERT_GT(v, INT16_MIN);
}

} // namespace
} // namespace rovana::test
