// The whole analysis of one bolt: open a sample, set the wave speed, place end and bottom
// with clicks and the context menu, grade it on the panel, save a copy with Ctrl+S in the
// channel view, and open the copy again.
#include "ChannelView.h"
#include "DisplaySettings.h"
#include "EditSupport.h"
#include "EvaluationPanel.h"
#include "FakeFrame.h"
#include "ReportView.h"
#include "ReportViewHost.h"
#include "TestFiles.h"
#include "ValueDialog.h"
#include "ViewCommands.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace rovana {
namespace {

using Frame = test::FakeFrame;

constexpr float kLengthTolerance = 1e-4f; // metres

// A report view with its frame and panel, opened on `path` the way a click in the file
// tree opens a test.
struct Window
{
    explicit Window(const QString& path)
    {
        frame.panel.SetReportView(&report);
        report.resize(1200, 800);
        report.show();
        QApplication::processEvents();
        EXPECT_TRUE(test::OpenInView(report, path));
    }

    ChannelView& Channel(int c) { return *report.m_pChannelView[c]; }

    // A left click at x (unless x < 0), then `command` from the context menu there.
    void Command(int c, int x, int command)
    {
        ChannelView& v = Channel(c);
        if (x >= 0)
            QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, QPoint(x, 30));
        v.m_fnRunMenu = [command](QMenu& menu, QPoint) {
            return menu.findChild<QAction*>(QString::number(command));
        };
        QTest::mousePress(v.viewport(), Qt::RightButton, {}, QPoint(std::max(x, 0), 30));
        QTest::mouseRelease(v.viewport(), Qt::RightButton, {}, QPoint(std::max(x, 0), 30));
    }

    Frame frame;
    ReportView report{&frame};
};

TEST(AnalysisLoop, MarkGradeSaveAndReopen)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString original = dir.filePath("MG0001.mg");
    ASSERT_TRUE(QFile::copy(ROVANA_SAMPLES_DIR "/MG0001.mg", original));
    const QByteArray originalBytes = test::ReadBytes(original);
    const QString copy = dir.filePath("MG0001-analysed.mg");

    Window w(original); // 1024 samples, 10 µs, 3500 m/s, design 3.5 m and 0.5 m
    ASSERT_EQ(w.report.m_nActiveChannel, 0);
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(&w.Channel(1), &focus);
    ASSERT_EQ(w.report.m_nActiveChannel, 1);

    ChannelView& v = w.Channel(1);
    v.m_fnRunDialog = [](QDialog& dialog) {
        qobject_cast<ValueDialog*>(&dialog)->Edit()->setText("3600");
        dialog.findChild<QPushButton*>("1")->click();
        return dialog.result();
    };
    w.Command(1, -1, ID_SET_WAVESPEED);
    ASSERT_EQ(w.report.CurrentRecord().m_nWaveSpeed, 3600); // one sample is now 0.018 m

    const ChannelMarks& marks = test::Marks(w.report, 1);
    w.Command(1, 21, ID_MARKER_END);          // bottom and free end follow from the design
    EXPECT_EQ(marks.pos[kMarkerBottom], 216); // 215 reads 3.492 m: one step on
    EXPECT_EQ(marks.pos[kMarkerFreeEnd], 49);
    w.Command(1, 231, ID_MARKER_BOTTOM);
    EXPECT_NEAR(v.BottomLength(), 3.78f, kLengthTolerance);
    const ChannelResult shown = w.report.m_Edit.Outcome(1).result;
    EXPECT_EQ(shown.freeLength, 0.50f);
    EXPECT_NEAR(shown.anchorLength, 3.28f, kLengthTolerance);
    w.frame.panel.ClickCriterion(1); // B; 3.78 m of 3.5 m passes: II
    EXPECT_EQ(w.frame.panel.ShownClass(), 1);

    QString proposed;
    w.report.m_fnAskSavePath = [&](const QString& name) {
        proposed = name;
        return copy;
    };
    QStringList messages;
    w.report.m_fnMessage = [&](const QString& text) { messages << text; };
    QTest::keyClick(&v, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(QFileInfo(proposed).fileName(), "MG0001.mg");
    EXPECT_EQ(QFileInfo(proposed).absolutePath(), QFileInfo(original).absolutePath());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(';').toStdString();

    EXPECT_EQ(test::ReadBytes(original), originalBytes);
    EXPECT_EQ(test::ReadBytes(copy).size(), originalBytes.size());
    TestRecord saved;
    ASSERT_TRUE(saved.Load(copy));
    EXPECT_EQ(saved.m_nMarkers[1], (std::array<int, 5>{21, 49, 231, 0, 0}));
    EXPECT_EQ(saved.m_nMarkers[0], (std::array<int, 5>{0, 0, 0, 0, 0}));
    EXPECT_EQ(saved.m_nMarkedChannels, 1);
    EXPECT_EQ(saved.m_fMeasured[1][0], shown.freeLength);
    EXPECT_EQ(saved.m_fMeasured[1][1], shown.anchorLength);
    EXPECT_EQ(saved.m_nGrade[1], 1);
    EXPECT_EQ(saved.m_nQualityClass[1], 1);
    EXPECT_NEAR(saved.m_fPanelAnchor[1], 3.28f, kLengthTolerance);
    EXPECT_EQ(saved.m_nReportChannel, 1);
    EXPECT_EQ(saved.m_nWaveSpeed, 3600);

    Window reopened(copy);
    EXPECT_EQ(reopened.report.m_nActiveChannel, 1);
    const ChannelMarks& r = test::Marks(reopened.report, 1);
    EXPECT_EQ(r.IsSet(kMarkerEnd) + r.IsSet(kMarkerFreeEnd) + r.IsSet(kMarkerBottom), 3);
    EXPECT_EQ(r.pos[kMarkerBottom], 231);
    EXPECT_FALSE(reopened.report.HasUnsavedChanges());
    EXPECT_EQ(reopened.frame.panel.ShownGrade(), 1);
    EXPECT_EQ(reopened.frame.panel.ShownClass(), 1);
    EXPECT_EQ(reopened.frame.panel.ShownAnchor(), "3.28");
}

} // namespace
} // namespace rovana
