#pragma once

#include "ByteBuffer.h"
#include "ChannelView.h"
#include "CheckList.h"
#include "CommandIds.h"
#include "EvaluationPanel.h"
#include "FileTree.h"
#include "InstrumentFile.h"
#include "MainWindow.h"
#include "MgLayout.h"
#include "ReportSettingsDialog.h"
#include "ReportSettingsIds.h"
#include "ReportView.h"
#include "TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace rovana::test {

using namespace reportsettings;

// Project information as a file holds it once saved: report channel, the saved flag and
// a few texts, patched into an instrument file.
struct SavedInfo
{
    int reportChannel = 0;
    float measuredL0 = 1.25f; // every channel's stored L0 and Lr: copies nothing reads
    float measuredLr = 4.5f;
    int grade = 1;        // every channel
    int qualityClass = 2; // every channel, stored: the rule gives II for B and 5.25 m
    // Every channel has its end, free end and bottom set: 20, 120, 320 measure L0 1.75 m
    // and L 5.25 m (one sample of 10 µs at 3500 m/s is 0.0175 m).
    bool measured = true;
    QString itemName = QStringLiteral("边坡锚杆");
    QString projectName = QStringLiteral("城西工程");
};

inline QByteArray WithSavedInfo(QByteArray b, const SavedInfo& s)
{
    for (int c = 0; c < 3; ++c) {
        WriteFloat(b, mg::kMeasuredL0 + 4 * c, s.measuredL0);
        WriteFloat(b, mg::kMeasuredLr + 4 * c, s.measuredLr);
        WriteInt32(b, mg::kEvaluation + c * mg::kEvaluationStride, s.grade);
        WriteInt32(b, mg::kEvaluation + c * mg::kEvaluationStride + 4, s.qualityClass);
        if (s.measured) {
            WriteInt32(b, mg::kMarkers + 4 * (c * 5), 20);
            WriteInt32(b, mg::kMarkers + 4 * (c * 5 + 1), 120);
            WriteInt32(b, mg::kMarkers + 4 * (c * 5 + 2), 320);
        }
    }
    if (s.measured)
        WriteInt32(b, mg::kMarkedChannels, 3);
    ProjectInfoValues v;
    v.reportChannel = s.reportChannel;
    v.itemName = s.itemName;
    v.projectName = s.projectName;
    v.testDate = QStringLiteral("2026-06-03");
    v.boltType = 1;
    v.designGrade = 2;
    v.designDiameter = QStringLiteral("28");
    EXPECT_TRUE(PatchProjectInfo(b, v));
    return b;
}

// A main frame on a temporary folder "site" of test files, with recorded messages. The
// dialog under test records its messages in the same list.
class ReportSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Dir.isValid());
        m_strFolder = m_Dir.path() + QStringLiteral("/site");
        ASSERT_TRUE(QDir().mkpath(m_strFolder));
        frame = std::make_unique<MainWindow>();
        frame->SetMessageSink([this](const QString& text) { messages << text; });
        frame->SetUnsavedQuestion([this](const QString& test) {
            questions << test;
            return unsavedAnswer;
        });
        frame->SetOpenDialog([this] { return m_strNextOpen; });
    }

    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_strFolder + QLatin1Char('/') + name;
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }

    static QByteArray Fresh() { return ComposeInstrumentFile(SampleRecord()); }

    // The Open command on `path`: loads it and lists its folder in the tree (which fills
    // while the window goes on: returns once it is full).
    void Open(const QString& path)
    {
        m_strNextOpen = path;
        frame->Action(ID_FILE_OPEN)->trigger();
        EXPECT_TRUE(QTest::qWaitFor([this] { return !frame->TreePane()->IsListing(); }, 5000));
    }

    // The dialog on the report view's current file.
    std::unique_ptr<ReportSettingsDialog> OpenDialog()
    {
        auto dlg = std::make_unique<ReportSettingsDialog>(frame.get());
        dlg->m_fnMessage = [this](const QString& text) { messages << text; };
        return dlg;
    }

    template <typename W> static W* Find(const ReportSettingsDialog& dlg, int id)
    {
        return dlg.findChild<W*>(QString::number(id));
    }
    static QLineEdit* EditOf(const ReportSettingsDialog& dlg, int id)
    {
        return Find<QLineEdit>(dlg, id);
    }
    static QCheckBox* Box(const ReportSettingsDialog& dlg, int id)
    {
        return Find<QCheckBox>(dlg, id);
    }
    static CheckList* List(const ReportSettingsDialog& dlg)
    {
        return Find<CheckList>(dlg, IDC_LIST_FILES);
    }
    static void Click(const ReportSettingsDialog& dlg, int id)
    {
        Find<QAbstractButton>(dlg, id)->click();
    }
    // Which of "通道1", "通道2", "通道3" are checked.
    static std::array<bool, 3> Channels(const ReportSettingsDialog& dlg)
    {
        return {Box(dlg, IDC_CHECK_CHANNEL1)->isChecked(),
                Box(dlg, IDC_CHECK_CHANNEL2)->isChecked(),
                Box(dlg, IDC_CHECK_CHANNEL3)->isChecked()};
    }
    // Selects the list row `name` as a click would.
    static void SelectRow(const ReportSettingsDialog& dlg, const QString& name)
    {
        CheckList* list = List(dlg);
        const int row = list->FindExact(name);
        ASSERT_GE(row, 0) << name.toStdString();
        list->setCurrentRow(row);
    }

    ReportView& Draw() { return *frame->ReportPane(); }

    QTemporaryDir m_Dir;
    QString m_strFolder;
    QString m_strNextOpen;
    QStringList messages;
    QStringList questions; // tests asked whether to save their changes
    MainWindow::UnsavedAnswer unsavedAnswer = MainWindow::UnsavedAnswer::Discard;
    std::unique_ptr<MainWindow> frame;
};

} // namespace rovana::test
