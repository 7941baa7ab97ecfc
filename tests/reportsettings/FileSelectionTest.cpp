// The file list of the report settings dialog: filling, selecting another file, check
// marks, the print list and the carried-over values.
#include "ReportSettingsTestSupport.h"

#include <QFile>
#include <QTest>

namespace rovana::test {
namespace {

TEST_F(ReportSettingsTest, ListHoldsTheTreeLeavesSortedAndSelectsTheCurrentFile)
{
    for (const char* name : {"b2.mg", "A1.mg", "c3.mg"})
        Write(QString::fromUtf8(name), Fresh());
    Open(m_strFolder + QStringLiteral("/c3.mg"));
    auto dlg = OpenDialog();
    CheckList* list = List(*dlg);
    QStringList rows;
    for (int r = 0; r < list->count(); ++r)
        rows << list->item(r)->text();
    EXPECT_EQ(rows, (QStringList{"A1.mg", "b2.mg", "c3.mg"}));
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_TRUE(list->CheckedTexts().isEmpty());
    EXPECT_EQ(dlg->m_strFileName, QStringLiteral("c3.mg"));
    EXPECT_EQ(dlg->m_strFilePath, m_strFolder + QStringLiteral("/c3.mg"));
}

TEST_F(ReportSettingsTest, NameNotAmongTheLeavesSelectsNoRowAndStillSaves)
{
    Open(Write("A.mg", Fresh()));
    // The current test lies in another folder than the tree shows.
    const QString other = m_Dir.path() + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QDir().mkpath(other));
    const QString path = other + QStringLiteral("/Z.mg");
    ASSERT_TRUE(WriteBytes(path, Fresh()));
    Draw().m_strCurPath = path;

    auto dlg = OpenDialog();
    EXPECT_TRUE(List(*dlg)->selectedItems().isEmpty());
    EXPECT_EQ(dlg->FieldText(IDC_STATIC_FILE), QString());
    Click(*dlg, IDC_BUTTON_SAVE);
    EXPECT_EQ(messages, QStringList{QStringLiteral("已保存！")});
    EXPECT_EQ(ReadInt32(ReadBytes(path), mg::kInfoSaved), 1);
}

TEST_F(ReportSettingsTest, SelectAllThenUnselectAll)
{
    for (const char* name : {"A.mg", "B.mg", "C.mg"})
        Write(QString::fromUtf8(name), Fresh());
    Open(m_strFolder + QStringLiteral("/A.mg"));
    auto dlg = OpenDialog();
    List(*dlg)->SetCheck(1, 1);
    Click(*dlg, IDC_CHECK_ALL);
    EXPECT_EQ(List(*dlg)->CheckedTexts(), (QStringList{"A.mg", "B.mg", "C.mg"}));
    Click(*dlg, IDC_CHECK_ALL);
    EXPECT_TRUE(List(*dlg)->CheckedTexts().isEmpty());
}

TEST_F(ReportSettingsTest, CheckMarkClickDoesNotSelectTheRow)
{
    for (const char* name : {"A.mg", "B.mg"})
        Write(QString::fromUtf8(name), Fresh());
    Open(m_strFolder + QStringLiteral("/A.mg"));
    auto dlg = OpenDialog();
    dlg->show();
    CheckList* list = List(*dlg);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->CheckRect(1).center());
    EXPECT_EQ(list->GetCheck(1), 1);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(dlg->FieldText(IDC_STATIC_FILE), QStringLiteral("A.mg"));

    const QRect text = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(text.right() - 4, text.center().y()));
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(list->GetCheck(1), 1);
    EXPECT_EQ(dlg->FieldText(IDC_STATIC_FILE), QStringLiteral("B.mg"));
}

TEST_F(ReportSettingsTest, SelectingAFileWithoutInformationKeepsTheEngineeringName)
{
    InstrumentRecord r = SampleRecord();
    r.project = QStringLiteral("K15");
    r.file = QStringLiteral("MG0009");
    Write("B.mg", ComposeInstrumentFile(r));
    Open(Write("A.mg", Fresh()));
    auto dlg = OpenDialog();
    EditOf(*dlg, IDC_EDIT_PROJECT)->setText(QStringLiteral("城西工程"));
    EditOf(*dlg, IDC_EDIT_BASIS)->setText(QStringLiteral("GB 50086"));
    SelectRow(*dlg, QStringLiteral("B.mg"));

    EXPECT_EQ(dlg->FieldText(IDC_STATIC_FILE), QStringLiteral("B.mg"));
    EXPECT_EQ(dlg->m_strFilePath, m_strFolder + QStringLiteral("/B.mg"));
    EXPECT_EQ(dlg->m_strFileName, QStringLiteral("A.mg")); // not changed by a selection
    EXPECT_EQ(Draw().m_CurData.m_strFile, QStringLiteral("MG0001")); // the test on screen
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_PROJECT), QStringLiteral("城西工程"));
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_BASIS), QStringLiteral("GB 50086"));
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_ITEM), QStringLiteral("K15"));
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_BOLTNO), QStringLiteral("MG0009"));
}

TEST_F(ReportSettingsTest, SelectingASavedFileWithReportChannel1ChecksOnlyChannel2)
{
    Write("B.mg", WithSavedInfo(Fresh(), {.reportChannel = 1}));
    Open(Write("A.mg", Fresh()));
    auto dlg = OpenDialog();
    ASSERT_EQ(Channels(*dlg), (std::array{true, false, false}));
    SelectRow(*dlg, QStringLiteral("B.mg"));
    EXPECT_EQ(Channels(*dlg), (std::array{false, true, false}));
    // A saved file shows its lengths whatever the free-end marker says, and its own grade.
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_EXPOSED), QStringLiteral("1.75"));
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_ANCHORAGE), QStringLiteral("3.50"));
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_GRADE), QStringLiteral("B 90%~80%"));
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_QUALITY), QStringLiteral("II"));
    EXPECT_EQ(Find<QComboBox>(*dlg, IDC_COMBO_BOLTTYPE)->currentIndex(), 1);
}

TEST_F(ReportSettingsTest, SelectingASavedFileWithChannelOutOfRangeKeepsTheBoxes)
{
    Write("B.mg", WithSavedInfo(Fresh(), {.reportChannel = 5}));
    Open(Write("A.mg", Fresh()));
    auto dlg = OpenDialog();
    Click(*dlg, IDC_CHECK_CHANNEL2);
    SelectRow(*dlg, QStringLiteral("B.mg"));
    EXPECT_EQ(Channels(*dlg), (std::array{false, true, false}));
}

TEST_F(ReportSettingsTest, UnreadableSelectionSaysSoAndCannotBeSaved)
{
    Write("B.mg", QByteArray(100, '\0'));
    Open(Write("A.mg", Fresh())); // too short to be a test
    auto dlg = OpenDialog();
    const TestRecord record = Draw().m_CurData;
    SelectRow(*dlg, QStringLiteral("B.mg"));
    EXPECT_EQ(messages, QStringList{QStringLiteral("无法读取文件")});
    EXPECT_EQ(Draw().m_CurData, record);
    messages.clear();
    Click(*dlg, IDC_BUTTON_SAVE);
    EXPECT_EQ(messages, QStringList{QStringLiteral("无法读取文件")});
    EXPECT_EQ(ReadBytes(m_strFolder + QStringLiteral("/B.mg")), QByteArray(100, '\0'));
}

// Every file, the one on screen too, shows the grade and class its own analysis holds,
// or nothing, never the panel's.
TEST_F(ReportSettingsTest, EveryFileShowsItsOwnAnalysisNeverThePanels)
{
    QByteArray graded = Fresh();
    WriteInt32(graded, mg::kEvaluation, 3);     // channel 1: D
    WriteInt32(graded, mg::kEvaluation + 4, 3); // IV
    WriteInt32(graded, mg::kMarkers, 20);       // its end and bottom
    WriteInt32(graded, mg::kMarkers + 8, 250);
    WriteInt32(graded, mg::kMarkedChannels, 1);
    Write("B.mg", graded);
    const QString never = Write("C.mg", Fresh());
    Open(Write("A.mg", Fresh()));
    Draw().m_Edit.SetGrade(0, 1);
    auto dlg = OpenDialog();
    const struct
    {
        const char* file;
        const char* grade;
        const char* qualityClass;
    } rows[] = {
        {"A.mg", "", ""}, // at opening: the test on screen, never analysed
        {"B.mg", "D <75%", "IV"}, {"C.mg", "", ""}, {"A.mg", "", ""}, {"C.mg", "", ""},
    };
    for (const auto& r : rows) {
        if (&r != &rows[0])
            SelectRow(*dlg, QString::fromUtf8(r.file));
        SCOPED_TRACE(r.file);
        EXPECT_EQ(dlg->FieldText(IDC_EDIT_GRADE), QString::fromUtf8(r.grade));
        EXPECT_EQ(dlg->FieldText(IDC_EDIT_QUALITY), QString::fromUtf8(r.qualityClass));
    }
    Click(*dlg, IDC_BUTTON_SAVE);
    TestRecord saved;
    ASSERT_TRUE(saved.Load(never));
    EXPECT_EQ(saved.m_bInfoSaved, 1);
    EXPECT_TRUE(saved.m_strGradeText.isEmpty());
    EXPECT_TRUE(saved.m_strQualityClass.isEmpty());
}

// A file the reader refuses leaves the previous file in the record: the fields go empty
// and a save is refused, so that no other bolt's values reach it.
TEST_F(ReportSettingsTest, ARefusedSelectionShowsNothingAndIsNotSaved)
{
    InstrumentRecord bad = SampleRecord();
    bad.month = 13;
    const QString badPath = Write("B.mg", ComposeInstrumentFile(bad));
    const QByteArray before = ReadBytes(badPath);
    Write("A.mg", WithSavedInfo(Fresh(), {}));
    Open(m_strFolder + QStringLiteral("/A.mg"));
    auto dlg = OpenDialog();
    ASSERT_EQ(dlg->FieldText(IDC_EDIT_ITEM), QStringLiteral("边坡锚杆"));
    SelectRow(*dlg, QStringLiteral("B.mg"));
    for (int id : {IDC_EDIT_ITEM, IDC_EDIT_PROJECT, IDC_EDIT_GRADE, IDC_EDIT_QUALITY,
                   IDC_EDIT_EXPOSED, IDC_EDIT_TESTDATE, IDC_EDIT_DESIGNDIAMETER})
        EXPECT_TRUE(dlg->FieldText(id).isEmpty()) << id;
    messages.clear();
    Click(*dlg, IDC_BUTTON_SAVE);
    EXPECT_EQ(messages, QStringList{QStringLiteral("无法读取文件")});
    EXPECT_EQ(ReadBytes(badPath), before);
}

TEST_F(ReportSettingsTest, AnotherFileInTheDialogNeverReachesTheTestOnScreen)
{
    const QString a = Write("A.mg", Fresh());
    InstrumentRecord r = SampleRecord();
    r.waveSpeed = 4200;
    Write("B.mg", ComposeInstrumentFile(r));
    Open(a);
    Draw().m_Edit.SetWaveSpeed(3600); // unsaved
    auto dlg = OpenDialog();
    SelectRow(*dlg, QStringLiteral("B.mg"));
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_WAVESPEED), QStringLiteral("4200"));
    EXPECT_EQ(Draw().m_CurData.m_nWaveSpeed, 3600);
    Click(*dlg, IDCANCEL);
    EXPECT_EQ(Draw().m_CurData.m_nWaveSpeed, 3600);
    EXPECT_TRUE(Draw().HasUnsavedChanges());
    EXPECT_EQ(Draw().m_strCurPath, a);
}

TEST_F(ReportSettingsTest, ThreeCheckedRowsGiveThreeNamesInListOrder)
{
    for (const char* name : {"d.mg", "B.mg", "a.mg", "C.mg"})
        Write(QString::fromUtf8(name), Fresh());
    Open(m_strFolder + QStringLiteral("/a.mg"));
    auto dlg = OpenDialog();
    CheckList* list = List(*dlg);
    for (const char* name : {"d.mg", "a.mg", "C.mg"})
        list->SetCheck(list->FindExact(QString::fromUtf8(name)), 1);
    Click(*dlg, IDOK);
    EXPECT_EQ(frame->m_PrintList, (QStringList{"a.mg", "C.mg", "d.mg"}));
    EXPECT_EQ(frame->m_bPrintList, 1);
    EXPECT_TRUE(frame->Action(ID_FILE_PRINT)->isEnabled());
}

TEST_F(ReportSettingsTest, NoCheckedRowDisablesPrinting)
{
    Open(Write("A.mg", Fresh()));
    frame->SetPrintList({QStringLiteral("A.mg")});
    auto dlg = OpenDialog();
    SelectRow(*dlg, QStringLiteral("A.mg")); // selected, not checked
    Click(*dlg, IDOK);
    EXPECT_TRUE(frame->m_PrintList.isEmpty());
    EXPECT_EQ(frame->m_bPrintList, 0);
    for (int id : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_TOOL_PRINT_PREVIEW})
        EXPECT_FALSE(frame->Action(id)->isEnabled()) << id;
}

TEST_F(ReportSettingsTest, SaveCarriesValuesOverOnlyWithApplyChecked)
{
    Open(Write("A.mg", Fresh()));
    const CarryOverValues previous{"旧项目", "2025-01-01", "2024-12-01", "旧单位", "旧人"};
    frame->SetLastValues(previous);
    auto dlg = OpenDialog();
    EditOf(*dlg, IDC_EDIT_TESTUNIT)->setText(QStringLiteral("检测中心"));
    Click(*dlg, IDC_CHECK_APPLY); // now unchecked
    Click(*dlg, IDC_BUTTON_SAVE);
    EXPECT_EQ(dlg->m_nApplyToFollowing, 0);
    EXPECT_EQ(frame->LastValues(), previous);

    Click(*dlg, IDC_CHECK_APPLY);
    EditOf(*dlg, IDC_EDIT_INSTALLDATE)->setText(QStringLiteral("2026-05-01"));
    Click(*dlg, IDC_BUTTON_SAVE);
    // The tester (hidden field) came from the carried-over value at opening.
    const CarryOverValues expected{"隧道K12", "2026-05-12", "2026-05-01", "检测中心", "旧人"};
    EXPECT_EQ(frame->LastValues(), expected);
    EXPECT_EQ(frame->m_strLastTestUnit, QStringLiteral("检测中心"));
}

} // namespace
} // namespace rovana::test
