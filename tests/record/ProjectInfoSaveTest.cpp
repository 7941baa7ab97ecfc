#include "ProjectInfoSave.h"
#include "AnsiCodec.h"
#include "ByteBuffer.h"
#include "TestFiles.h"
#include "TestRecord.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace rovana {
namespace {

class ProjectInfoSaveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_original = ComposeInstrumentFile(test::SampleRecord());
        // Old texts and values that a save must overwrite or keep.
        m_original.replace(148, 300, QByteArray(300, 'o'));
        for (int i = 0; i < 12; ++i)
            m_original[148 + 20 * i + 19] = '\0';
        ASSERT_TRUE(test::WriteBytes(path(), m_original));
    }
    QString path() const { return m_dir.filePath("t.mg"); }

    static ProjectInfoValues Filled()
    {
        ProjectInfoValues v;
        v.reportChannel = 2;
        v.exposedLength = "0.69";
        v.anchorLength = "2.81";
        v.waveSpeed = "3600";
        v.boltType = 1;
        v.designGrade = 2;
        v.title = kReportTitle;
        v.itemName = QStringLiteral("边坡锚杆");
        v.boltNo = "B-07";
        v.testDate = "2026-05-12";
        v.testUnit = QStringLiteral("检测中心");
        v.tester = QStringLiteral("王工");
        v.gradeText = "A >=90%";
        v.qualityClass = "I";
        v.testBasis = "JCJ/T 182-2009";
        v.instrument = "TQ-RX";
        v.installDate = "2026-04-01";
        v.projectName = QStringLiteral("城西快速路");
        v.designDiameter = "25";
        v.testDiameter = "22.5";
        return v;
    }

    QTemporaryDir m_dir;
    QByteArray m_original;
};

TEST_F(ProjectInfoSaveTest, SavedInformationLoadsBackAndTheLengthNeverChanges)
{
    ASSERT_TRUE(SaveProjectInfo(path(), Filled()));
    const QByteArray saved = test::ReadBytes(path());
    ASSERT_EQ(saved.size(), m_original.size());
    EXPECT_EQ(ReadInt32(saved, 128), 1);

    TestRecord d;
    ASSERT_TRUE(d.Load(path()));
    EXPECT_EQ(d.m_nReportChannel, 2);
    EXPECT_EQ(d.m_bInfoSaved, 1);
    EXPECT_EQ(d.m_fExposedLength, 0.69f);
    EXPECT_EQ(d.m_fAnchorLength, 2.81f);
    EXPECT_EQ(d.m_nInfoWaveSpeed, 3600);
    EXPECT_EQ(d.m_nBoltType, 1);
    EXPECT_EQ(d.m_strItemName, QStringLiteral("边坡锚杆"));
    EXPECT_EQ(d.m_strTester, QStringLiteral("王工"));
    EXPECT_EQ(d.m_strProjectName, QStringLiteral("城西快速路"));
    EXPECT_EQ(d.m_strTestBasis, "JCJ/T 182-2009");
    EXPECT_EQ(d.m_fDesignDiameter, 25.0f);
    EXPECT_EQ(d.m_fTestDiameter, 22.5f);
    EXPECT_EQ(d.m_nDesignGrade, 2);
    // The instrument's blocks are untouched; old text bytes past the new block stay.
    EXPECT_EQ(saved.mid(512), m_original.mid(512));
    EXPECT_EQ(saved.left(124), m_original.left(124));
}

TEST_F(ProjectInfoSaveTest, TwelveEmptyTextsTakeTwelveBytes)
{
    ProjectInfoValues v;
    v.designDiameter = "25";
    v.testDiameter = "20";
    v.designGrade = 1;
    ASSERT_TRUE(SaveProjectInfo(path(), v));
    const QByteArray saved = test::ReadBytes(path());
    EXPECT_EQ(saved.mid(148, 12), QByteArray(12, '\0'));
    EXPECT_EQ(ReadFloat(saved, 160), 25.0f);
    EXPECT_EQ(ReadFloat(saved, 164), 20.0f);
    EXPECT_EQ(ReadInt32(saved, 168), 1);
    for (int pos : test::ChangedBytes(m_original, saved))
        EXPECT_TRUE(pos >= 124 && pos < 172) << "byte " << pos;

    TestRecord d;
    ASSERT_TRUE(d.Load(path()));
    EXPECT_TRUE(d.m_strItemName.isEmpty());
    EXPECT_TRUE(d.m_strProjectName.isEmpty());
    EXPECT_EQ(d.m_strTitle, kReportTitle);
    EXPECT_EQ(d.m_fDesignDiameter, 25.0f);
    EXPECT_EQ(d.m_nDesignGrade, 1);
}

TEST_F(ProjectInfoSaveTest, NoSelectionAndLenientNumbers)
{
    ProjectInfoValues v;
    v.boltType = -1; // a bolt type typed by hand
    v.designGrade = -1;
    v.exposedLength = "abc";
    v.anchorLength = "";
    v.waveSpeed = "3600m/s";
    v.designDiameter = "-";
    ASSERT_TRUE(SaveProjectInfo(path(), v));
    const QByteArray saved = test::ReadBytes(path());
    EXPECT_EQ(ReadInt32(saved, 144), -1);
    EXPECT_EQ(ReadInt32(saved, 168), -1);
    EXPECT_EQ(ReadFloat(saved, 132), 0.0f);
    EXPECT_EQ(ReadFloat(saved, 136), 0.0f);
    EXPECT_EQ(ReadInt32(saved, 140), 3600);
    EXPECT_EQ(ReadFloat(saved, 160), 0.0f);
}

TEST_F(ProjectInfoSaveTest, TextsThatDoNotFitAreRefusedAndNothingIsWritten)
{
    struct Row
    {
        const char* name;
        std::function<void(ProjectInfoValues&)> change;
        bool fits;
    };
    const QString twoBytes = QStringLiteral("锚");
    const std::vector<Row> rows = {
        {"255 bytes", [](auto& v) { v.itemName = QString(255, 'a'); }, true},
        {"256 bytes", [](auto& v) { v.itemName = QString(256, 'a'); }, false},
        {"128 Chinese characters", [&](auto& v) { v.tester = twoBytes.repeated(128); }, false},
        {"127 Chinese characters", [&](auto& v) { v.tester = twoBytes.repeated(127); }, true},
        // 352 bytes of texts and terminators fill bytes 148..499; the trailer ends at 511.
        {"block ends at byte 511",
         [](auto& v) {
             v.itemName = QString(200, 'a');
             v.boltNo = QString(140, 'b');
         },
         true},
        {"block one byte too long",
         [](auto& v) {
             v.itemName = QString(200, 'a');
             v.boltNo = QString(141, 'b');
         },
         false},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(test::WriteBytes(path(), m_original));
        ProjectInfoValues v;
        row.change(v);
        const WriteResult r = SaveProjectInfo(path(), v);
        EXPECT_EQ(static_cast<bool>(r), row.fits) << row.name;
        const QByteArray after = test::ReadBytes(path());
        EXPECT_EQ(after.size(), m_original.size()) << row.name;
        if (!row.fits) {
            EXPECT_EQ(r.status, WriteStatus::TextTooLong) << row.name;
            EXPECT_FALSE(r.message().isEmpty());
            EXPECT_EQ(after, m_original) << row.name;
        } else {
            EXPECT_EQ(after.mid(512), m_original.mid(512)) << row.name;
        }
    }
}

TEST_F(ProjectInfoSaveTest, UnreadableFileGivesTheReadMessage)
{
    const WriteResult r = SaveProjectInfo(m_dir.filePath("missing.mg"), Filled());
    EXPECT_EQ(r.status, WriteStatus::CannotRead);
    EXPECT_EQ(r.message(), QStringLiteral("无法读取文件"));
    EXPECT_FALSE(QFile::exists(m_dir.filePath("missing.mg")));

    if (geteuid() != 0) { // permissions do not stop the superuser
        QFile::setPermissions(path(), QFileDevice::ReadOwner);
        EXPECT_EQ(SaveProjectInfo(path(), Filled()).status, WriteStatus::CannotRead);
        EXPECT_EQ(test::ReadBytes(path()), m_original);
    }
}

TEST(BuildTextBlockTest, EncodesInCodePage936AndSaysWhatIsTooLong)
{
    ProjectInfoValues v;
    v.title = kReportTitle;
    const auto block = BuildTextBlock(v);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->size(), 18 + 1 + 11 + 12);
    EXPECT_EQ(block->left(18), ToAnsi(kReportTitle));

    v.projectName = QString(300, 'x');
    QString why;
    EXPECT_FALSE(BuildTextBlock(v, &why));
    EXPECT_TRUE(why.contains(QStringLiteral("工程名称")));
}

} // namespace
} // namespace rovana
