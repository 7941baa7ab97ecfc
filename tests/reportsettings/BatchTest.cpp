// The typical batch use on a copy of the sample folder: complete the first file, save
// with carry-over, select and save the next files, check three, OK.
#include "BoltResult.h"
#include "ReportSettingsTestSupport.h"

#include "TestDate.h"

#include <QFile>

namespace rovana::test {
namespace {

class BatchTest : public ReportSettingsTest
{
protected:
    void SetUp() override
    {
        ReportSettingsTest::SetUp();
        const QDir samples(QStringLiteral(ROVANA_SAMPLES_DIR));
        for (const QString& name : samples.entryList({QStringLiteral("*.mg")}, QDir::Files)) {
            ASSERT_TRUE(QFile::copy(samples.filePath(name), m_strFolder + '/' + name));
            original[name] = ReadBytes(m_strFolder + '/' + name);
        }
        ASSERT_EQ(original.size(), 6u);
    }

    TestRecord Reread(const QString& name)
    {
        TestRecord d;
        EXPECT_TRUE(d.Load(m_strFolder + '/' + name)) << name.toStdString();
        return d;
    }

    std::map<QString, QByteArray> original;
};

TEST_F(BatchTest, CompleteAFolderAndChooseThreeFilesToPrint)
{
    Open(m_strFolder + QStringLiteral("/MG0001.mg"));
    auto dlg = OpenDialog();
    ASSERT_EQ(dlg->FieldText(IDC_STATIC_FILE), QStringLiteral("MG0001.mg"));

    // The first file: the project values typed once.
    EditOf(*dlg, IDC_EDIT_PROJECT)->setText(QStringLiteral("城西快速路边坡支护工程"));
    EditOf(*dlg, IDC_EDIT_INSTALLDATE)->setText(QStringLiteral("2026-05-01"));
    EditOf(*dlg, IDC_EDIT_TESTUNIT)->setText(QStringLiteral("华东岩土工程检测中心"));
    EditOf(*dlg, IDC_EDIT_TESTER)->setText(QStringLiteral("王工"));
    EditOf(*dlg, IDC_EDIT_DESIGNDIAMETER)->setText(QStringLiteral("25.00"));
    EditOf(*dlg, IDC_EDIT_TESTDIAMETER)->setText(QStringLiteral("25.00"));
    Find<QComboBox>(*dlg, IDC_COMBO_BOLTTYPE)->setCurrentIndex(1);
    Click(*dlg, IDC_BUTTON_SAVE);
    EXPECT_EQ(frame->m_strLastTestUnit, QStringLiteral("华东岩土工程检测中心"));

    // The next files arrive pre-filled with the carried-over values.
    for (const QString& name : {QStringLiteral("MG0002.mg"), QStringLiteral("MG0004.mg")}) {
        SelectRow(*dlg, name);
        EXPECT_EQ(dlg->FieldText(IDC_EDIT_INSTALLDATE), QStringLiteral("2026-05-01"))
            << name.toStdString();
        EXPECT_EQ(dlg->FieldText(IDC_EDIT_TESTUNIT), QStringLiteral("华东岩土工程检测中心"));
        EXPECT_EQ(dlg->FieldText(IDC_EDIT_TESTER), QStringLiteral("王工"));
        EXPECT_EQ(dlg->FieldText(IDC_EDIT_PROJECT), QStringLiteral("城西快速路边坡支护工程"));
        // Diameters and bolt type are each file's own: adjusted before saving.
        EXPECT_EQ(dlg->FieldText(IDC_EDIT_DESIGNDIAMETER), QStringLiteral("0.00"));
        EditOf(*dlg, IDC_EDIT_DESIGNDIAMETER)->setText(QStringLiteral("25.00"));
        Find<QComboBox>(*dlg, IDC_COMBO_BOLTTYPE)->setCurrentIndex(1);
        Click(*dlg, IDC_BUTTON_SAVE);
    }
    EXPECT_EQ(messages, QStringList(3, QStringLiteral("已保存！")));

    for (const char* name : {"MG0001.mg", "MG0002.mg", "MG0004.mg"})
        List(*dlg)->SetCheck(List(*dlg)->FindExact(QString::fromUtf8(name)), 1);
    Click(*dlg, IDOK);
    EXPECT_EQ(frame->m_PrintList, (QStringList{"MG0001.mg", "MG0002.mg", "MG0004.mg"}));
    EXPECT_EQ(frame->m_bPrintList, 1);
    EXPECT_TRUE(frame->Action(ID_FILE_PRINT_PREVIEW)->isEnabled());
    EXPECT_EQ(Draw().m_CurData, Reread(QStringLiteral("MG0001.mg")));

    // The three files: same length, project information in place, the rest untouched.
    const std::map<QString, std::pair<QString, QString>> headers = {
        {QStringLiteral("MG0001.mg"), {QStringLiteral("SD-K12"), QStringLiteral("MG0001")}},
        {QStringLiteral("MG0002.mg"), {QStringLiteral("隧道左线"), QStringLiteral("MG0002")}},
        {QStringLiteral("MG0004.mg"), {QStringLiteral("K15+200"), QStringLiteral("MG0004")}},
    };
    for (const auto& [name, header] : headers) {
        const QByteArray bytes = ReadBytes(m_strFolder + '/' + name);
        ASSERT_EQ(bytes.size(), original[name].size());
        EXPECT_EQ(bytes.left(mg::kReportChannel), original[name].left(mg::kReportChannel));
        EXPECT_EQ(bytes.mid(mg::kAnalysisEnd), original[name].mid(mg::kAnalysisEnd));
        const TestRecord d = Reread(name);
        EXPECT_EQ(d.m_bInfoSaved, 1);
        EXPECT_EQ(d.m_strItemName, header.first);
        EXPECT_EQ(d.m_strBoltNo, header.second);
        EXPECT_EQ(d.m_strProjectName, QStringLiteral("城西快速路边坡支护工程"));
        EXPECT_EQ(d.m_strInstallDate, QStringLiteral("2026-05-01"));
        EXPECT_EQ(d.m_strTestUnit, QStringLiteral("华东岩土工程检测中心"));
        EXPECT_EQ(d.m_strTester, QStringLiteral("王工"));
        EXPECT_EQ(d.m_strTestBasis, QStringLiteral("JCJ/T 182-2009"));
        EXPECT_EQ(d.m_strInstrument, QStringLiteral("TQ-RX"));
        EXPECT_EQ(d.m_nBoltType, 1);
        EXPECT_EQ(d.m_nReportChannel, 0);
        EXPECT_FLOAT_EQ(d.m_fDesignDiameter, 25.0f);
        // The copies of the report channel's analysis.
        const ChannelResult analysis = ChannelResultOf(d, d.m_nReportChannel);
        EXPECT_FLOAT_EQ(d.m_fExposedLength, analysis.freeLength);
        EXPECT_FLOAT_EQ(d.m_fAnchorLength, analysis.anchorLength);
        EXPECT_EQ(d.m_strGradeText, ResultOf(d).GradeText());
        EXPECT_EQ(d.m_strQualityClass, ResultOf(d).ClassText());
        EXPECT_EQ(d.m_nInfoWaveSpeed, d.m_nWaveSpeed);
        EXPECT_EQ(d.m_strTestDate, FormatDate(d.m_tTestDate));
    }
    for (const char* name : {"MG0003.mg", "MG0005.mg", "MG0006.mg"})
        EXPECT_EQ(ReadBytes(m_strFolder + '/' + name), original[QString::fromUtf8(name)]) << name;
}

} // namespace
} // namespace rovana::test
