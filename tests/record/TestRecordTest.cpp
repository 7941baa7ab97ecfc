#include "TestRecord.h"
#include "NameTables.h"

#include <gtest/gtest.h>

namespace rovana {
namespace {

TEST(TestRecordTest, ConstructionGivesTheDocumentedDefaults)
{
    const TestRecord d;
    EXPECT_EQ(d.m_strProject, "Project");
    EXPECT_EQ(d.m_strFile, "File");
    EXPECT_EQ(d.m_strTitle, QStringLiteral("单根锚杆检测结果表"));
    EXPECT_EQ(d.m_nSampleCount, 0);
    EXPECT_EQ(d.m_tTestDate, 0);
    EXPECT_EQ(d.m_nBoltType, 0);
    EXPECT_EQ(d.m_nDesignGrade, 0);
    EXPECT_EQ(d.m_nReportChannel, 0);
    EXPECT_EQ(d.m_bInfoSaved, 0);
    EXPECT_TRUE(d.m_strItemName.isEmpty());
    for (int c = 0; c < kChannelCount; ++c) {
        EXPECT_EQ(d.m_nGrade[c], -1);
        EXPECT_EQ(d.m_nQualityClass[c], -1);
        EXPECT_EQ(d.m_fPanelAnchor[c], 0.0f);
        const std::array<int, 5> unset{-1, -1, -1, 0, 0};
        EXPECT_EQ(d.m_nMarkers[c], unset);
        EXPECT_EQ(d.m_fMeasured[c][0], 0.0f);
        EXPECT_EQ(d.m_fMeasured[c][1], 0.0f);
        for (int i = 0; i < kSampleBlockSize; ++i)
            ASSERT_EQ(d.m_nSamples[c][i], 0) << "channel " << c << " sample " << i;
    }
}

TEST(NameTablesTest, IndicesOutsideTheTablesGiveEmptyText)
{
    EXPECT_EQ(NameAt(kGradeNames, 0), "A >=90%");
    EXPECT_EQ(NameAt(kGradeNames, 3), "D <75%");
    EXPECT_EQ(NameAt(kQualityClassNames, 3), "IV");
    EXPECT_EQ(NameAt(kBoltTypeNames, 4), QStringLiteral("永久性锚杆"));
    EXPECT_TRUE(NameAt(kGradeNames, -1).isEmpty());
    EXPECT_TRUE(NameAt(kGradeNames, 4).isEmpty());
    EXPECT_TRUE(NameAt(kQualityClassNames, 1000).isEmpty());
}

} // namespace
} // namespace rovana
