#include "TestRecord.h"

#include <QDir>

#include <gtest/gtest.h>

namespace rovana {
namespace {

QStringList SampleFiles()
{
    const QDir dir(QStringLiteral(ROVANA_SAMPLES_DIR));
    QStringList out;
    for (const QString& name : dir.entryList({"*.mg"}, QDir::Files, QDir::Name))
        out.append(dir.filePath(name));
    return out;
}

TEST(SamplesTest, EveryShippedSampleLoadsAsAPlausibleTest)
{
    const QStringList files = SampleFiles();
    ASSERT_GE(files.size(), 5);
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        TestRecord d;
        ASSERT_TRUE(d.Load(path));
        EXPECT_GT(d.m_nSampleCount, 100);
        EXPECT_GE(d.m_nWaveSpeed, 3000);
        EXPECT_LE(d.m_nWaveSpeed, 5000);
        EXPECT_GT(d.m_fDesignLength, d.m_fDesignL0);
        EXPECT_GT(d.m_nSampleInterval, 0);
        // The blow shows in channel 1 within the valid samples.
        int peak = 0;
        for (int i = 0; i < d.m_nSampleCount; ++i)
            peak = std::max(peak, std::abs(int(d.m_nSamples[0][i])));
        EXPECT_GT(peak, 500);
    }
}

TEST(SamplesTest, OneSampleCarriesSavedAnalysisAndChineseProjectInformation)
{
    TestRecord d;
    ASSERT_TRUE(d.Load(QStringLiteral(ROVANA_SAMPLES_DIR "/MG0003.mg")));
    EXPECT_EQ(d.m_bInfoSaved, 1);
    EXPECT_EQ(d.m_nMarkedChannels, 2);
    EXPECT_EQ(d.m_nReportChannel, 1);
    EXPECT_EQ(d.m_strProjectName, QStringLiteral("城西快速路边坡支护工程"));
    EXPECT_EQ(d.m_strProject, QStringLiteral("边坡支护"));
    EXPECT_GT(d.m_nMarkers[1][2], d.m_nMarkers[1][1]);
}

} // namespace
} // namespace rovana
