// The rules that fill the report settings dialog's fields, without a dialog.
#include "ReportSettingsFill.h"
#include "ReportSettingsIds.h"
#include "TestDate.h"
#include "TestRecord.h"

#include <gtest/gtest.h>

namespace rovana {
namespace {

using namespace reportsettings;

TEST(ReportSettingsFillTest, ChannelOnSelection)
{
    EXPECT_EQ(ChannelOnSelection(0), 0);
    EXPECT_EQ(ChannelOnSelection(1), 1);
    EXPECT_EQ(ChannelOnSelection(2), 2);
    EXPECT_EQ(ChannelOnSelection(3), std::nullopt);
    EXPECT_EQ(ChannelOnSelection(-1), std::nullopt);
}

TestRecord Record()
{
    TestRecord d;
    d.m_strProject = QStringLiteral("隧道K12");
    d.m_strFile = QStringLiteral("MG0001");
    d.m_nSampleInterval = 10;
    d.m_nWaveSpeed = 3500;
    d.m_fDesignLength = 3.5f;
    d.m_fDesignL0 = 0.5f;
    d.m_tTestDate = *LocalMidnight(2026, 5, 12);
    d.m_fMeasured = {{{0.25f, 2.75f}, {1.0f, 3.25f}, {0.0f, 0.0f}}};
    d.m_fDesignDiameter = 25.0f;
    d.m_fTestDiameter = 24.5f;
    d.m_nDesignGrade = 1;
    d.m_strProjectName = QStringLiteral("城西工程");
    d.m_strItemName = QStringLiteral("边坡");
    d.m_strBoltNo = QStringLiteral("B-7");
    d.m_strTestDate = QStringLiteral("六月三日");
    d.m_strTestUnit = QStringLiteral("检测中心");
    d.m_strTester = QStringLiteral("王工");
    d.m_strTestBasis = QStringLiteral("GB 50086");
    d.m_strInstrument = QStringLiteral("RX-2");
    d.m_strInstallDate = QStringLiteral("2026-05-01");
    d.m_nGrade = {0, 3, -1};
    d.m_nQualityClass = {1, 2, -1};
    d.m_nMarkedChannels = 2;
    d.m_nMarkers[0] = {20, 30, 200, 0, 0};
    d.m_nMarkers[1] = {20, 60, 250, 0, 0};
    // Copies that disagree with the analysis: never shown.
    d.m_strGradeText = QStringLiteral("B 90%~80%");
    d.m_strQualityClass = QStringLiteral("IV");
    d.m_fExposedLength = 9.0f;
    return d;
}

const CarryOverValues kLast{QStringLiteral("上一项目"), QStringLiteral("2026-01-02"),
                            QStringLiteral("2025-12-30"), QStringLiteral("某检测站"),
                            QStringLiteral("李工")};

TEST(ReportSettingsFillTest, FileWithoutSavedInformation)
{
    const FieldFill f = FillInstrumentInfo(Record(), 1, kLast);
    const std::map<int, QString> expected = {
        {IDC_EDIT_ITEM, QStringLiteral("隧道K12")},
        {IDC_EDIT_BOLTNO, QStringLiteral("MG0001")},
        {IDC_EDIT_EXPOSED, QStringLiteral("1.00")},   // channel 2's L0
        {IDC_EDIT_ANCHORAGE, QStringLiteral("3.25")}, // channel 2's Lr
        {IDC_EDIT_TOTAL, QStringLiteral("3.75")},     // design L0 0.5 + 3.25
        {IDC_EDIT_TESTLENGTH, QStringLiteral("4.25")},
        {IDC_EDIT_DESIGNLENGTH, QStringLiteral("3.50")},
        {IDC_EDIT_DESIGNDIAMETER, QStringLiteral("25.00")},
        {IDC_EDIT_TESTDIAMETER, QStringLiteral("24.50")},
        {IDC_EDIT_WAVESPEED, QStringLiteral("3500")},
        {IDC_EDIT_TESTDATE, QStringLiteral("2026-05-12")},
        {IDC_EDIT_TITLE, QStringLiteral("单根锚杆检测结果表")},
        {IDC_EDIT_GRADE, QStringLiteral("D <75%")}, // channel 2's analysis
        {IDC_EDIT_QUALITY, QStringLiteral("III")},
        {IDC_EDIT_INSTALLDATE, kLast.installDate},
        {IDC_EDIT_TESTUNIT, kLast.testUnit},
        {IDC_EDIT_TESTER, kLast.tester},
    };
    EXPECT_EQ(f.texts, expected); // 1045, 1040 and 1041 are not touched
    EXPECT_EQ(f.designGrade, 1);
    EXPECT_EQ(f.testDate, QStringLiteral("2026-05-12"));
}

TEST(ReportSettingsFillTest, EmptyHeaderProjectTakesTheCarriedItemName)
{
    TestRecord d = Record();
    d.m_strProject.clear();
    EXPECT_EQ(FillInstrumentInfo(d, 0, kLast).texts.at(IDC_EDIT_ITEM), kLast.itemName);
    // Without a carried-over value the field is empty.
    EXPECT_EQ(FillInstrumentInfo(d, 0, {}).texts.at(IDC_EDIT_ITEM), QString());
}

TEST(ReportSettingsFillTest, FileWithSavedInformation)
{
    const FieldFill f = FillSavedInfo(Record(), 0);
    const std::map<int, QString> expected = {
        {IDC_EDIT_TITLE, QStringLiteral("单根锚杆检测结果表")},
        {IDC_EDIT_PROJECT, QStringLiteral("城西工程")},
        {IDC_EDIT_ITEM, QStringLiteral("边坡")},
        {IDC_EDIT_BOLTNO, QStringLiteral("B-7")},
        {IDC_EDIT_WAVESPEED, QStringLiteral("3500")},
        {IDC_EDIT_TESTDATE, QStringLiteral("六月三日")},
        {IDC_EDIT_TESTUNIT, QStringLiteral("检测中心")},
        {IDC_EDIT_TESTER, QStringLiteral("王工")},
        {IDC_EDIT_GRADE, QStringLiteral("A >=90%")},
        {IDC_EDIT_QUALITY, QStringLiteral("II")},
        {IDC_EDIT_EXPOSED, QStringLiteral("0.25")},
        {IDC_EDIT_ANCHORAGE, QStringLiteral("2.75")},
        {IDC_EDIT_TESTLENGTH, QStringLiteral("3.00")},
        {IDC_EDIT_BASIS, QStringLiteral("GB 50086")},
        {IDC_EDIT_INSTRUMENT, QStringLiteral("RX-2")},
        {IDC_EDIT_INSTALLDATE, QStringLiteral("2026-05-01")},
        {IDC_EDIT_DESIGNLENGTH, QStringLiteral("3.50")},
        {IDC_EDIT_DESIGNDIAMETER, QStringLiteral("25.00")},
        {IDC_EDIT_TESTDIAMETER, QStringLiteral("24.50")},
    };
    EXPECT_EQ(f.texts, expected); // the total (1037) is not touched
    EXPECT_EQ(f.designGrade, 1);
    EXPECT_EQ(f.testDate, std::nullopt); // the dialog's own date text stays
}

} // namespace
} // namespace rovana
