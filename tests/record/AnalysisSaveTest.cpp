#include "AnalysisSave.h"
#include "ByteBuffer.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rovana {
namespace {

class AnalysisSaveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_original = ComposeInstrumentFile(test::SampleRecord());
        WriteInt32(m_original, 0, 7); // an earlier count of marked channels
        ASSERT_TRUE(test::WriteBytes(source(), m_original));
    }
    QString source() const { return m_dir.filePath("source.mg"); }
    QString target() const { return m_dir.filePath("copy.mg"); }

    static AnalysisValues EndAndBottomOnChannel2()
    {
        AnalysisValues v;
        ChannelAnalysis& ch = v.channels[1];
        ch.markerSet = {true, false, true, false, false};
        ch.markerPos = {20, 55, 220, 0, 0};
        ch.measuredL0 = 0.69f; // the free end is not set: stored as 0
        ch.measuredLr = 2.81f;
        ch.grade = 0;
        ch.qualityClass = 0;
        ch.anchor = 2.81f;
        v.activeChannel = 1;
        v.waveSpeed = 3600;
        return v;
    }

    QTemporaryDir m_dir;
    QByteArray m_original;
};

TEST_F(AnalysisSaveTest, CopyCarriesTheAnalysisAndTheOriginalStaysUnchanged)
{
    ASSERT_TRUE(SaveAnalysis(source(), target(), EndAndBottomOnChannel2()));
    const QByteArray copy = test::ReadBytes(target());
    ASSERT_EQ(copy.size(), m_original.size());
    EXPECT_EQ(test::ReadBytes(source()), m_original);

    EXPECT_EQ(ReadInt32(copy, 0), 1);
    EXPECT_EQ(ReadInt32(copy, 4 + 4 * 5), 20);  // channel 2 end
    EXPECT_EQ(ReadInt32(copy, 4 + 4 * 6), 0);   // free end not set
    EXPECT_EQ(ReadInt32(copy, 4 + 4 * 7), 220); // bottom
    EXPECT_EQ(ReadInt32(copy, 64 + 12), 0);     // grade A
    EXPECT_EQ(ReadInt32(copy, 64 + 16), 0);     // class I
    EXPECT_EQ(ReadFloat(copy, 64 + 20), 2.81f);
    EXPECT_EQ(ReadInt32(copy, 64), -1); // channel 1 grade as handed over
    EXPECT_EQ(ReadFloat(copy, 100 + 4), 0.0f);
    EXPECT_EQ(ReadFloat(copy, 112 + 4), 2.81f);
    EXPECT_EQ(ReadInt32(copy, 124), 1);
    EXPECT_EQ(ReadInt32(copy, 544), 3600);

    // Nothing outside the analysis words and the wave speed moved.
    for (int pos : test::ChangedBytes(m_original, copy))
        EXPECT_TRUE(pos < 128 || (pos >= 544 && pos < 548)) << "byte " << pos;
}

TEST_F(AnalysisSaveTest, AllMarkersClearedWritesZerosAndKeepsTheMarkedCount)
{
    QByteArray marked = m_original;
    for (int i = 0; i < 15; ++i)
        WriteInt32(marked, 4 + 4 * i, 300 + i);
    ASSERT_TRUE(test::WriteBytes(source(), marked));
    ASSERT_TRUE(SaveAnalysis(source(), target(), AnalysisValues{}));
    const QByteArray copy = test::ReadBytes(target());
    EXPECT_EQ(copy.mid(4, 60), QByteArray(60, '\0'));
    EXPECT_EQ(ReadInt32(copy, 0), 7);
}

TEST_F(AnalysisSaveTest, CountsChannelsWithEndFreeEndOrBottomOnly)
{
    AnalysisValues v;
    v.channels[0].markerSet = {false, true, false, false, false};
    v.channels[0].markerPos = {0, 40, 0, 0, 0};
    v.channels[0].measuredL0 = 0.69f;
    v.channels[1].markerSet = {false, false, false, true, true}; // defect only
    v.channels[1].markerPos = {0, 0, 0, 90, 120};
    v.channels[2].markerSet = {true, true, true, false, false};
    v.channels[2].markerPos = {20, 40, 220, 0, 0};
    ASSERT_TRUE(SaveAnalysis(source(), target(), v));
    const QByteArray copy = test::ReadBytes(target());
    EXPECT_EQ(ReadInt32(copy, 0), 2);
    EXPECT_EQ(ReadFloat(copy, 100), 0.69f);
    EXPECT_EQ(ReadInt32(copy, 4 + 4 * 8), 90);
    EXPECT_EQ(ReadInt32(copy, 4 + 4 * 9), 120);
}

TEST_F(AnalysisSaveTest, SavingOntoTheSourceItselfKeepsItsLength)
{
    ASSERT_TRUE(SaveAnalysis(source(), source(), EndAndBottomOnChannel2()));
    const QByteArray saved = test::ReadBytes(source());
    EXPECT_EQ(saved.size(), m_original.size());
    EXPECT_EQ(ReadInt32(saved, 544), 3600);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(AnalysisSaveTest, UnreadableSourceWritesNothing)
{
    const WriteResult r = SaveAnalysis(m_dir.filePath("missing.mg"), target(), AnalysisValues{});
    EXPECT_EQ(r.status, WriteStatus::CannotRead);
    EXPECT_EQ(r.message(), QStringLiteral("无法读取文件"));
    EXPECT_FALSE(QFile::exists(target()));

    ASSERT_TRUE(test::WriteBytes(source(), m_original.left(5000))); // not a whole test
    EXPECT_EQ(SaveAnalysis(source(), target(), AnalysisValues{}).status, WriteStatus::CannotRead);
    EXPECT_FALSE(QFile::exists(target()));
}

TEST_F(AnalysisSaveTest, TargetThatCannotBeCreatedLeavesAnExistingFileWhole)
{
    const WriteResult r =
        SaveAnalysis(source(), m_dir.filePath("no/such/folder/copy.mg"), AnalysisValues{});
    EXPECT_EQ(r.status, WriteStatus::CannotCreate);
    EXPECT_EQ(r.message(), QStringLiteral("无法创建文件"));

    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.mg"));
    EXPECT_EQ(SaveAnalysis(source(), m_dir.filePath("folder.mg"), AnalysisValues{}).status,
              WriteStatus::CannotCreate);
    EXPECT_EQ(test::ReadBytes(source()), m_original);
}

} // namespace
} // namespace rovana
