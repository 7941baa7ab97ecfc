// The report settings dialog on one file: opening, channel boxes, save, OK and Cancel.
#include "EditSupport.h"
#include "ReportSettingsTestSupport.h"

#include "DiskChangeBar.h"
#include "EvaluationPanel.h"
#include "NumberEdit.h"
#include "ReportSettingsTemplate.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

namespace rovana::test {
namespace {

TEST_F(ReportSettingsTest, TemplateControlsAndStates)
{
    EXPECT_EQ(WM_PRINTSET_SAVE, 0x04C8);
    Open(Write("A.mg", Fresh()));
    auto dlg = OpenDialog();
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("打印设置"));
    for (const DialogControl& c : ReportSettingsTemplate()) {
        if (c.id < 0)
            continue;
        const QWidget* w = Find<QWidget>(*dlg, c.id);
        ASSERT_NE(w, nullptr) << c.id;
        EXPECT_EQ(w->isEnabled(), !(c.state & kDisabled)) << c.id;
        EXPECT_EQ(w->isHidden(), bool(c.state & kHidden)) << c.id;
        if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
            EXPECT_EQ(edit->isReadOnly(), bool(c.state & kReadOnly)) << c.id;
        }
    }
    for (int id : {IDC_EDIT_DESIGNDIAMETER, IDC_EDIT_DESIGNLENGTH, IDC_EDIT_TESTDIAMETER,
                   IDC_EDIT_TESTLENGTH})
        EXPECT_NE(Find<NumberEdit>(*dlg, id), nullptr) << id;
    EXPECT_TRUE(Find<QPushButton>(*dlg, IDOK)->isDefault());

    QStringList bolts, grades;
    for (int i = 0; i < 5; ++i)
        bolts << Find<QComboBox>(*dlg, IDC_COMBO_BOLTTYPE)->itemText(i);
    for (int i = 0; i < 4; ++i)
        grades << Find<QComboBox>(*dlg, IDC_COMBO_DESIGNGRADE)->itemText(i);
    EXPECT_EQ(bolts.join('|'),
              QStringLiteral("全长粘结锚杆|预应力锚杆|摩擦型锚杆|自钻式锚杆|永久性锚杆"));
    EXPECT_EQ(grades.join('|'), QStringLiteral("A >=90%|B 90%~80%|C 80%~75%|D <75%"));
    EXPECT_TRUE(Find<QComboBox>(*dlg, IDC_COMBO_BOLTTYPE)->isEditable());
    EXPECT_FALSE(Find<QComboBox>(*dlg, IDC_COMBO_DESIGNGRADE)->isEditable());
}

TEST_F(ReportSettingsTest, FileWithoutSavedInformationOpensWithDefaults)
{
    QByteArray b = Fresh();
    WriteFloat(b, mg::kMeasuredLr, 2.5f); // channel 1's Lr
    Open(Write("A.mg", b));
    Draw().m_Edit.SetGrade(0, 2); // the test on screen is no source
    auto dlg = OpenDialog();

    EXPECT_EQ(dlg->FieldText(IDC_EDIT_BASIS), QStringLiteral("JCJ/T 182-2009"));
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_INSTRUMENT), QStringLiteral("TQ-RX"));
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_TITLE), QStringLiteral("单根锚杆检测结果表"));
    // No end and bottom in the file: no lengths, no grade, no class.
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_EXPOSED), QStringLiteral("0.00"));
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_TOTAL), QStringLiteral("0.50")); // design L0 + Lr
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_PROJECT), QString());
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_GRADE), QString());
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_QUALITY), QString());
    EXPECT_EQ(dlg->FieldText(IDC_STATIC_FILE), QStringLiteral("A.mg"));
    EXPECT_EQ(dlg->m_strTestDate, QStringLiteral("2026-05-12"));
    EXPECT_TRUE(Box(*dlg, IDC_CHECK_TITLE)->isChecked());
    EXPECT_TRUE(Box(*dlg, IDC_CHECK_APPLY)->isChecked());
    EXPECT_FALSE(Box(*dlg, IDC_CHECK_ALL)->isChecked());
    EXPECT_EQ(Channels(*dlg), (std::array{true, false, false}));
}

TEST_F(ReportSettingsTest, TheDialogReadsTheFileAndLeavesTheUnsavedTestAlone)
{
    Open(Write("A.mg", Fresh()));
    Draw().m_Edit.SetWaveSpeed(9999); // edited, not saved
    auto dlg = OpenDialog();
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_WAVESPEED), QStringLiteral("3500")); // the file's
    SelectRow(*dlg, QStringLiteral("A.mg"));
    Click(*dlg, IDCANCEL);
    EXPECT_EQ(Draw().m_CurData.m_nWaveSpeed, 9999); // the edit is still there, unsaved
    EXPECT_TRUE(Draw().HasUnsavedChanges());
}

TEST_F(ReportSettingsTest, SavedInformationShowsTheFilesAnalysisWhateverTheViewHolds)
{
    Open(Write("A.mg", WithSavedInfo(Fresh(), {})));
    for (const bool freeEnd : {false, true}) {
        test::SetMarker(Draw(), 0, kMarkerFreeEnd, freeEnd ? 60 : -1);
        auto dlg = OpenDialog();
        const char* exposed = "1.75";
        const char* anchorage = "3.50";
        const char* tested = "5.25";
        EXPECT_EQ(dlg->FieldText(IDC_EDIT_EXPOSED), QString::fromUtf8(exposed)) << freeEnd;
        EXPECT_EQ(dlg->FieldText(IDC_EDIT_ANCHORAGE), QString::fromUtf8(anchorage)) << freeEnd;
        EXPECT_EQ(dlg->FieldText(IDC_EDIT_TESTLENGTH), QString::fromUtf8(tested)) << freeEnd;
        EXPECT_EQ(dlg->FieldText(IDC_EDIT_PROJECT), QStringLiteral("城西工程"));
        EXPECT_EQ(dlg->FieldText(IDC_EDIT_BASIS), QString()); // the file's own, empty
        EXPECT_EQ(dlg->m_strTestDate, QString());             // a saved file leaves the date text
    }
}

TEST_F(ReportSettingsTest, ReportChannelChoosesTheBoxAtOpening)
{
    const std::pair<int, std::array<bool, 3>> rows[] = {
        {0, {true, false, false}}, {1, {false, true, false}},  {2, {false, false, true}},
        {3, {false, false, true}}, {-1, {false, false, true}}, {7, {false, false, true}},
    };
    for (const auto& [reportChannel, boxes] : rows) {
        QByteArray b = Fresh();
        WriteInt32(b, mg::kReportChannel, reportChannel);
        Open(Write("A.mg", b));
        auto dlg = OpenDialog();
        EXPECT_EQ(Channels(*dlg), boxes) << reportChannel;
    }
}

TEST_F(ReportSettingsTest, ClickingTheCheckedChannelKeepsItRefillsAndSaves)
{
    QByteArray b = WithSavedInfo(Fresh(), {});
    WriteInt32(b, mg::kMarkers + 4, 220); // channel 1's free end: L0 3.50 m
    const QString path = Write("A.mg", b);
    Open(path);
    auto dlg = OpenDialog();
    ASSERT_EQ(dlg->FieldText(IDC_EDIT_EXPOSED), QStringLiteral("3.50"));

    Click(*dlg, IDC_CHECK_CHANNEL1);
    EXPECT_EQ(Channels(*dlg), (std::array{true, false, false}));
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_EXPOSED), QStringLiteral("3.50"));
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_TESTLENGTH), QStringLiteral("5.25"));
    // The grade B and the class the rule gives, II: distinct indices, so a swap shows.
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_GRADE), QStringLiteral("B 90%~80%"));
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_QUALITY), QStringLiteral("II"));
    EXPECT_EQ(ReadBytes(path), b); // the save is posted, not yet run

    QCoreApplication::processEvents();
    const QByteArray saved = ReadBytes(path);
    EXPECT_FLOAT_EQ(ReadFloat(saved, mg::kExposedLength), 3.5f);
    EXPECT_EQ(ReadInt32(saved, mg::kReportChannel), 0);
    EXPECT_TRUE(messages.isEmpty()); // no "已保存！" after a channel click
    TestRecord reloaded;
    ASSERT_TRUE(reloaded.Load(path));
    EXPECT_EQ(reloaded.m_strGradeText, QStringLiteral("B 90%~80%"));
    EXPECT_EQ(reloaded.m_strQualityClass, QStringLiteral("II"));
}

TEST_F(ReportSettingsTest, SaveKeepsLengthAndUntouchedBytes)
{
    const QByteArray before = Fresh();
    const QString path = Write("A.mg", before);
    Open(path);
    auto dlg = OpenDialog();
    EditOf(*dlg, IDC_EDIT_PROJECT)->setText(QStringLiteral("城西快速路"));
    EditOf(*dlg, IDC_EDIT_DESIGNDIAMETER)->setText(QStringLiteral("25"));
    const TestRecord record = Draw().m_CurData;
    Click(*dlg, IDC_BUTTON_SAVE);
    EXPECT_EQ(messages, QStringList{QStringLiteral("已保存！")});

    const QByteArray after = ReadBytes(path);
    ASSERT_EQ(after.size(), before.size());
    const ProjectInfoValues values = dlg->CollectValues();
    const int blockEnd = mg::kTextBlock + int(BuildTextBlock(values)->size());
    for (int pos : ChangedBytes(before, after)) {
        EXPECT_GE(pos, mg::kReportChannel);
        EXPECT_LT(pos, blockEnd);
    }
    EXPECT_EQ(after.mid(blockEnd), before.mid(blockEnd));
    EXPECT_EQ(Draw().m_CurData, record); // the record in memory is not changed by saving

    TestRecord reread;
    ASSERT_TRUE(reread.Load(path));
    EXPECT_EQ(reread.m_strProjectName, QStringLiteral("城西快速路"));
    EXPECT_FLOAT_EQ(reread.m_fDesignDiameter, 25.0f);
    EXPECT_EQ(reread.m_strTestBasis, QStringLiteral("JCJ/T 182-2009"));
    EXPECT_EQ(reread.m_nInfoWaveSpeed, 3500);
    EXPECT_EQ(reread.m_strTestDate, QStringLiteral("2026-05-12"));
}

// The dialog's save into the test on screen is the window's own write: no notice that the
// file changed, no question at the window's next save, which keeps what the dialog wrote.
TEST_F(ReportSettingsTest, SavingTheTestOnScreenIsNoChangeOnDisk)
{
    const QString path = Write("A.mg", Fresh());
    Open(path);
    auto dlg = OpenDialog();
    EditOf(*dlg, IDC_EDIT_PROJECT)->setText(QStringLiteral("城西快速路"));
    Click(*dlg, IDC_BUTTON_SAVE);
    ASSERT_EQ(messages, QStringList{QStringLiteral("已保存！")});
    dlg.reset();
    QTest::qWait(500); // the watch has reported the write by now
    EXPECT_TRUE(Draw().m_pDiskChangeBar->isHidden());

    QStringList asked;
    Draw().m_fnAskChangedFile = [&asked](const QString& name) {
        asked << name;
        return ReportView::ChangedFileAnswer::Cancel;
    };
    Draw().m_fnAskSavePath = [](const QString& proposed) { return proposed; };
    ASSERT_TRUE(Draw().SaveCopyWithResults());
    EXPECT_TRUE(asked.isEmpty());
    TestRecord reread;
    ASSERT_TRUE(reread.Load(path));
    EXPECT_EQ(reread.m_strProjectName, QStringLiteral("城西快速路"));
}

TEST_F(ReportSettingsTest, TwelveEmptyTextsTakeTwelveBytes)
{
    const QString path = Write("A.mg", Fresh());
    Open(path);
    auto dlg = OpenDialog();
    for (int id : {IDC_EDIT_TITLE, IDC_EDIT_ITEM, IDC_EDIT_BOLTNO, IDC_EDIT_TESTDATE,
                   IDC_EDIT_TESTUNIT, IDC_EDIT_TESTER, IDC_EDIT_GRADE, IDC_EDIT_QUALITY,
                   IDC_EDIT_BASIS, IDC_EDIT_INSTRUMENT, IDC_EDIT_INSTALLDATE, IDC_EDIT_PROJECT})
        EditOf(*dlg, id)->clear();
    EditOf(*dlg, IDC_EDIT_DESIGNDIAMETER)->setText(QStringLiteral("22.5"));
    EditOf(*dlg, IDC_EDIT_TESTDIAMETER)->setText(QStringLiteral("x")); // not a number: 0
    Find<QComboBox>(*dlg, IDC_COMBO_DESIGNGRADE)->setCurrentIndex(3);
    ASSERT_EQ(dlg->SendDialogMessage(WM_PRINTSET_SAVE), 1);

    const QByteArray b = ReadBytes(path);
    EXPECT_EQ(b.mid(mg::kTextBlock, 12), QByteArray(12, '\0'));
    EXPECT_FLOAT_EQ(ReadFloat(b, 160), 22.5f);
    EXPECT_FLOAT_EQ(ReadFloat(b, 164), 0.0f);
    EXPECT_EQ(ReadInt32(b, 168), 3);
}

TEST_F(ReportSettingsTest, TypedBoltTypeSavesMinusOne)
{
    const QString path = Write("A.mg", Fresh());
    Open(path);
    auto dlg = OpenDialog();
    QComboBox* combo = Find<QComboBox>(*dlg, IDC_COMBO_BOLTTYPE);
    EXPECT_EQ(combo->currentIndex(), 0);
    combo->setCurrentIndex(3);
    ASSERT_EQ(dlg->SendDialogMessage(WM_PRINTSET_SAVE), 1);
    EXPECT_EQ(ReadInt32(ReadBytes(path), mg::kBoltType), 3);

    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("Resin"));
    ASSERT_EQ(dlg->SendDialogMessage(WM_PRINTSET_SAVE), 1);
    EXPECT_EQ(ReadInt32(ReadBytes(path), mg::kBoltType), -1);
}

TEST_F(ReportSettingsTest, SaveFailuresWriteNothing)
{
    const QString path = Write("A.mg", Fresh());
    Open(path);
    auto dlg = OpenDialog();

    // Texts beyond the analysis block: the writer's own message, nothing written.
    EditOf(*dlg, IDC_EDIT_PROJECT)->setText(QString(120, QChar(u'工')));
    EditOf(*dlg, IDC_EDIT_TESTUNIT)->setText(QString(120, QChar(u'检')));
    Click(*dlg, IDC_BUTTON_SAVE);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("未保存"))) << messages[0].toStdString();
    EXPECT_EQ(ReadBytes(path), Fresh());

    // The file has gone since the dialog opened: nothing is created in its place.
    messages.clear();
    EditOf(*dlg, IDC_EDIT_TESTUNIT)->clear();
    ASSERT_TRUE(QFile::remove(path));
    Click(*dlg, IDC_BUTTON_SAVE);
    EXPECT_EQ(messages, QStringList{QStringLiteral("无法读取文件")});
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ReportSettingsTest, OkWithoutTitleWritesNothing)
{
    const QString path = Write("A.mg", Fresh());
    Open(path);
    auto dlg = OpenDialog();
    EditOf(*dlg, IDC_EDIT_PROJECT)->setText(QStringLiteral("未保存的工程"));
    Click(*dlg, IDC_CHECK_TITLE);
    Click(*dlg, IDC_CHECK_CHANNEL2);
    const ReportOptions o = dlg->BuildReportOptions();
    EXPECT_EQ(o.bShowTitle, 0);
    EXPECT_EQ(o.strTitle, QString());
    EXPECT_EQ((std::array{o.bChannel1, o.bChannel2, o.bChannel3}), (std::array{0, 1, 0}));
    EXPECT_EQ(o.strFileNumber, QStringLiteral("MG0001"));
    EXPECT_EQ(o.strExposedLength, QStringLiteral("0.00")); // channel 2's L0
    EXPECT_EQ(o.strWaveSpeed, QStringLiteral("3500"));
    EXPECT_EQ(o.strTestDate, QStringLiteral("2026-05-12"));

    const QByteArray savedByChannelClick = [&] {
        QCoreApplication::processEvents();
        return ReadBytes(path);
    }();
    EXPECT_EQ(ReadInt32(savedByChannelClick, mg::kReportChannel), 1);
    Click(*dlg, IDOK);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(ReadBytes(path), savedByChannelClick); // OK itself writes nothing
    EXPECT_EQ(Draw().m_ReportOptions.bShowTitle, 0);
    EXPECT_EQ(Draw().m_ReportOptions.bChannel2, 1);
}

TEST_F(ReportSettingsTest, TestDateTextFollowsSaves)
{
    const QString path = Write("A.mg", WithSavedInfo(Fresh(), {}));
    Open(path);
    auto dlg = OpenDialog();
    EXPECT_EQ(dlg->FieldText(IDC_EDIT_TESTDATE), QStringLiteral("2026-06-03"));
    EXPECT_EQ(dlg->BuildReportOptions().strTestDate, QString());
    EditOf(*dlg, IDC_EDIT_TESTDATE)->setText(QStringLiteral("2026-06-04"));
    ASSERT_EQ(dlg->SendDialogMessage(WM_PRINTSET_SAVE), 1);
    EXPECT_EQ(dlg->BuildReportOptions().strTestDate, QStringLiteral("2026-06-04"));
}

TEST_F(ReportSettingsTest, CancelLeavesTheListEmptyAndTheFlag)
{
    Open(Write("A.mg", Fresh()));
    frame->SetPrintList({QStringLiteral("A.mg")});
    auto dlg = OpenDialog();
    EXPECT_TRUE(frame->m_PrintList.isEmpty()); // opening empties the list
    List(*dlg)->SetCheck(0, 1);
    Click(*dlg, IDCANCEL);
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_TRUE(frame->m_PrintList.isEmpty());
    EXPECT_EQ(frame->m_bPrintList, 1);
}

TEST_F(ReportSettingsTest, MenuCommandRunsTheDialogAndEnablesPrinting)
{
    Write("B.mg", Fresh());
    Open(Write("A.mg", Fresh()));
    for (int id : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_TOOL_PRINT_PREVIEW})
        ASSERT_FALSE(frame->Action(id)->isEnabled()) << id;
    ASSERT_TRUE(frame->Action(ID_FILE_PRINT_SETUP)->isEnabled());

    bool seen = false;
    QMetaObject::invokeMethod(
        frame.get(),
        [&] {
            auto* dlg = qobject_cast<ReportSettingsDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            seen = true;
            List(*dlg)->SetCheck(1, 1);
            Click(*dlg, IDOK);
        },
        Qt::QueuedConnection);
    frame->Action(ID_TOOL_PRINT_SETUP)->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(frame->m_PrintList, QStringList{QStringLiteral("B.mg")});
    for (int id : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_TOOL_PRINT_PREVIEW})
        EXPECT_TRUE(frame->Action(id)->isEnabled()) << id;
}

} // namespace
} // namespace rovana::test
