// Markers through the channel view widget, with a real report view and evaluation panel:
// clicks, drags, keys, the context menu, the panel's grade, lengths and class, selection.
#include "ChannelView.h"
#include "DisplaySettings.h"
#include "EditSupport.h"
#include "EvaluationPanel.h"
#include "ReportView.h"
#include "ReportViewHost.h"
#include "ViewCommands.h"

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace rovana {
namespace {

// Stands in for the main frame: display switches and the panel.
class Frame : public ReportViewHost
{
public:
    DisplaySettings& Display() override { return display; }
    int FileLoaded() const override { return 0; }
    void SetStatusPane(int, const QString&) override {}
    EvaluationPanel* EvaluationPane() override { return &panel; }

    DisplaySettings display;
    EvaluationPanel panel;
};

class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

class MarkersTest : public ::testing::Test
{
protected:
    // 1024 samples at 10 µs and 5000 m/s: one sample is 0.025 m. Compression off.
    void SetUp() override
    {
        frame.panel.SetReportView(&report);
        frame.display.m_bCompress = 0;
        test::ChangeRecord(report, [](TestRecord& d) {
            d.m_nSampleCount = 1024;
            d.m_nSampleInterval = 10;
            d.m_nWaveSpeed = 5000;
            d.m_fDesignLength = 4.0f;
            d.m_fDesignL0 = 1.0f;
        });
        report.resize(1200, 800);
        report.show();
        QApplication::processEvents();
        report.m_nActiveChannel = 0;
    }

    ChannelView& Channel(int c) { return *report.m_pChannelView[c]; }
    const ChannelMarks& Marks(int c = 0) const { return test::Marks(report, c); }
    void SetDesign(float design)
    {
        test::ChangeRecord(report, [design](TestRecord& d) { d.m_fDesignLength = design; });
    }

    // A left click at x, then `command` chosen from the context menu opened there.
    void Mark(int x, int command, int c = 0)
    {
        ChannelView& v = Channel(c);
        QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, QPoint(x, 20));
        v.m_fnRunMenu = [command](QMenu& menu, QPoint) {
            return menu.findChild<QAction*>(QString::number(command));
        };
        QTest::mousePress(v.viewport(), Qt::RightButton, {}, QPoint(x, 20));
        QTest::mouseRelease(v.viewport(), Qt::RightButton, {}, QPoint(x, 20));
    }

    // End at 20, then the bottom moved to 20 + samples.
    void Measure(int samples)
    {
        Mark(20, ID_MARKER_END);
        Mark(20 + samples, ID_MARKER_BOTTOM);
    }

    void FocusIn(int c, Qt::FocusReason reason = Qt::OtherFocusReason)
    {
        QFocusEvent event(QEvent::FocusIn, reason);
        QApplication::sendEvent(&Channel(c), &event);
    }

    Frame frame;
    ReportView report{&frame};
};

TEST_F(MarkersTest, ContextMenuHasItsItemsInOrder)
{
    const auto menu = Channel(0).CreateContextMenu();
    const QList<QAction*> actions = menu->actions();
    const QStringList texts = {"清    除", "幅    值",     "波    速", "放    大",
                               "",         "端    部",     "自 由 端", "底    部",
                               "",         "缺陷起点",     "缺陷终点", "",
                               "自动识别", "采    用",     "",         "由已知长度标定波速",
                               "",         "设为参考波形", "清除参考"};
    const int ids[] = {32818, 32828, 32833, 32836, 0, 32829, 32830, 32831, 0,    32839,
                       32840, 0,     32870, 32871, 0, 32872, 0,     32874, 32875};
    ASSERT_EQ(actions.size(), texts.size());
    for (int i = 0; i < actions.size(); ++i) {
        EXPECT_EQ(actions[i]->isSeparator(), ids[i] == 0) << i;
        EXPECT_EQ(actions[i]->text(), texts[i]) << i;
        if (ids[i]) {
            EXPECT_EQ(actions[i]->objectName(), QString::number(ids[i]));
        }
    }
}

TEST_F(MarkersTest, ClicksDragsAndTheRightButtonMenu)
{
    ChannelView& v = Channel(0);
    test::ChangeRecord(report, [](TestRecord& d) { d.m_nSampleCount = 512; });
    QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, QPoint(7, 20));
    EXPECT_EQ(v.m_nCursor, 8);
    EXPECT_EQ(v.m_bCursorShown, 1);
    const auto move = [&](int x, Qt::MouseButtons buttons) {
        const QPointF p(x, 20);
        QMouseEvent event(QEvent::MouseMove, p, v.viewport()->mapToGlobal(p), Qt::NoButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(v.viewport(), &event);
    };
    move(41, Qt::LeftButton);
    EXPECT_EQ(v.m_nCursor, 42);
    move(100, Qt::NoButton); // no button, or beyond the client area: not the cursor's
    move(-5, Qt::LeftButton);
    move(v.viewport()->width() + 3, Qt::LeftButton);
    EXPECT_EQ(v.m_nCursor, 42);

    QPoint shownAt;
    v.m_fnRunMenu = [&](QMenu& menu, QPoint global) {
        shownAt = global;
        return menu.findChild<QAction*>(QString::number(ID_MARKER_DEFECTSTART));
    };
    QTest::mousePress(v.viewport(), Qt::RightButton, {}, QPoint(300, 40));
    EXPECT_EQ(shownAt, v.viewport()->mapToGlobal(QPoint(300, 40)));
    EXPECT_EQ(Marks().pos[kMarkerDefectStart], 42);
    EXPECT_EQ(v.m_bCursorShown, 0); // the marker takes the cursor's place
    Mark(140, ID_MARKER_DEFECTEND); // its own position; the start stays
    EXPECT_EQ(Marks().pos[kMarkerDefectEnd], 140);
    EXPECT_EQ(Marks().pos[kMarkerDefectStart], 42);
}

TEST_F(MarkersTest, KeysAndCtrlSThroughTheWidget)
{
    ChannelView& v = Channel(1);
    v.m_nMaxAmplitude = 100;
    QTest::keyClick(&v, Qt::Key_Up);
    EXPECT_EQ(v.m_nMaxAmplitude, 50);
    QTest::keyClick(&v, Qt::Key_Up); // below 100: nothing
    EXPECT_EQ(v.m_nMaxAmplitude, 50);
    QTest::keyClick(&v, Qt::Key_Right);
    EXPECT_EQ(v.m_nCursor, 1);
    EXPECT_EQ(v.horizontalScrollBar()->value(), 0); // arrows never scroll the view

    report.m_strCurPath = "/data/MG0001.mg";
    QStringList asked;
    report.m_fnAskSavePath = [&](const QString& name) {
        asked << name;
        return QString(); // cancelled
    };
    QTest::keyClick(&v, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(asked, QStringList{"MG0001.mg"});
}

struct ClassRow
{
    float design;
    int samples;   // end to bottom, 0.025 m each
    int criterion; // clicked after measuring
    int grade;
    int qualityClass;
};

TEST_F(MarkersTest, PanelGradesAndClassesWhatTheMarkersMeasure)
{
    const ClassRow rows[] = {
        {4.0f, 154, -1, 0, 0},  // L = 3.85: the class follows grade A
        {4.0f, 154, 1, 1, 1},   // criterion 2: B gives II
        {4.0f, 154, 2, 2, 2},   // criterion 3 after measuring: C gives III
        {4.0f, 150, -1, 0, 3},  // L = 3.75: 93.75 % fails, IV
        {12.0f, 458, -1, 0, 3}, // L = 11.45: 95.4 % but 0.55 m short, IV
    };
    for (const ClassRow& r : rows) {
        SetDesign(r.design);
        Measure(r.samples);
        if (r.criterion >= 0)
            frame.panel.ClickCriterion(r.criterion);
        const QString label = QString::asprintf("%.2f m of %.1f", r.samples * 0.025, r.design);
        EXPECT_EQ(frame.panel.ShownGrade(), r.grade) << label.toStdString();
        EXPECT_EQ(Marks().grade, r.grade) << label.toStdString();
        EXPECT_EQ(frame.panel.ShownClass(), r.qualityClass) << label.toStdString();
        EXPECT_EQ(report.m_Edit.Outcome(0).result.qualityClass, r.qualityClass)
            << label.toStdString();
    }
    frame.panel.ClickCriterion(2);
    EXPECT_EQ(frame.panel.findChild<QComboBox*>("1031")->currentText(), "C 80%~75%");
}

TEST_F(MarkersTest, EndWithBottomSetResetsGradeA)
{
    Measure(154);
    frame.panel.ClickCriterion(3);
    ASSERT_EQ(Marks().grade, 3);
    Mark(24, ID_MARKER_END);
    EXPECT_EQ(Marks().grade, 0);
    EXPECT_EQ(frame.panel.ShownGrade(), 0);
    EXPECT_EQ(frame.panel.CheckedCriterion(), 0);
    EXPECT_EQ(report.m_Edit.Outcome(0).result.length, 3.75f); // 150 samples now
}

TEST_F(MarkersTest, EndWithOnlyFreeEndWaitsForTheBottomAndGradesNothing)
{
    frame.panel.ClickCriterion(2);
    Mark(60, ID_MARKER_FREEEND);
    Mark(20, ID_MARKER_END);
    EXPECT_TRUE(Marks().IsSet(kMarkerEnd));
    EXPECT_FALSE(Marks().IsSet(kMarkerBottom));
    EXPECT_EQ(Marks().grade, 2);                   // the criterion stays chosen
    EXPECT_EQ(frame.panel.CheckedCriterion(), 2);
    EXPECT_EQ(frame.panel.ShownAnchor(), "");      // nothing measured: no length,
    EXPECT_EQ(frame.panel.ShownGrade(), -1);       // no grade and no class shown
    EXPECT_EQ(frame.panel.ShownClass(), -1);
    EXPECT_FALSE(frame.panel.ShownReason().isEmpty());
}

TEST_F(MarkersTest, ClearShowsNoLengthAndNoClassAndKeepsTheGrade)
{
    Measure(154);
    frame.panel.ClickCriterion(1);
    ChannelView& v = Channel(0);
    ASSERT_EQ(frame.panel.ShownAnchor(), "2.85");
    Mark(300, ID_MARKER_CLEAR);
    EXPECT_EQ(frame.panel.ShownAnchor(), "");
    EXPECT_EQ(frame.panel.ShownClass(), -1); // no length: not evaluated, never class IV
    EXPECT_EQ(report.m_Edit.Outcome(0).result.qualityClass, -1);
    ChannelMarks cleared;
    cleared.grade = 1;
    EXPECT_EQ(Marks(), cleared);
    EXPECT_EQ(v.m_bCursorShown + v.m_nCursor, 0);
    // What a save writes: no lengths, no class.
    const AnalysisValues saved = report.CollectAnalysis();
    EXPECT_EQ(saved.channels[0].measuredLr, 0.0f);
    EXPECT_EQ(saved.channels[0].qualityClass, -1);
}

TEST_F(MarkersTest, SelectingAChannelWithoutMarkersClearsTheDisplayButKeepsTheGrade)
{
    Measure(154);
    frame.panel.ClickCriterion(1);
    const QString anchor = frame.panel.ShownAnchor();
    PaintCounter counter;
    Channel(0).viewport()->installEventFilter(&counter);

    FocusIn(1);
    QApplication::processEvents();
    EXPECT_EQ(report.m_nActiveChannel, 1);
    EXPECT_GE(counter.paints, 1); // the previous selection turns grey
    EXPECT_EQ(frame.panel.CheckedCriterion(), -1);
    EXPECT_EQ(frame.panel.ShownAnchor(), "");
    EXPECT_EQ(frame.panel.ShownGrade(), -1);
    EXPECT_EQ(frame.panel.ShownClass(), -1);
    EXPECT_EQ(Marks(0).grade, 1);

    FocusIn(0, Qt::PopupFocusReason); // the context menu hands focus back: no selection
    EXPECT_EQ(report.m_nActiveChannel, 1);
    FocusIn(0);
    EXPECT_EQ(report.m_nActiveChannel, 0);
    EXPECT_EQ(frame.panel.ShownGrade(), 1);
    EXPECT_EQ(frame.panel.CheckedCriterion(), 1);
    EXPECT_EQ(frame.panel.ShownAnchor(), anchor);
    Channel(0).viewport()->removeEventFilter(&counter);
}

// After a load the selected channel is the file's report channel while the keyboard focus
// may sit in another view. A marker command there acts on its own channel: it selects it
// first and never touches the grade or class of the channel that was selected.
TEST_F(MarkersTest, AMarkerCommandInAnUnselectedViewActsOnItsOwnChannel)
{
    for (int command : {ID_MARKER_END, ID_MARKER_BOTTOM, ID_MARKER_CLEAR}) {
        report.m_nActiveChannel = 1;
        for (int c : {0, 1}) {
            test::SetMarker(report, c, kMarkerEnd, 20);
            test::SetMarker(report, c, kMarkerBottom, 174); // 3.85 m of 4.0: class = grade
            report.m_Edit.SetGrade(c, c == 0 ? 2 : 3);
        }
        ChannelView& v = Channel(0);
        v.OnCommand(command);
        SCOPED_TRACE(command);
        EXPECT_EQ(report.m_nActiveChannel, 0);
        EXPECT_EQ(Marks(1).grade, 3); // untouched
        EXPECT_EQ(report.m_Edit.Outcome(1).result.qualityClass, 3);
        const bool cleared = command == ID_MARKER_CLEAR;
        EXPECT_EQ(Marks(0).grade, cleared ? 2 : 0);
        EXPECT_EQ(report.m_Edit.Outcome(0).result.qualityClass, cleared ? -1 : 0);
    }
}

// A defect marker past the bottom is refused with a message; at or above it, and on a
// channel without a bottom, it is placed.
TEST_F(MarkersTest, ADefectMarkerPastTheBottomIsRefused)
{
    QStringList messages;
    report.m_fnMessage = [&messages](const QString& text) { messages << text; };
    const struct
    {
        int bottom; // 0: no bottom
        int x;
        int command;
        bool placed;
    } rows[] = {
        {200, 201, ID_MARKER_DEFECTSTART, false}, {200, 300, ID_MARKER_DEFECTEND, false},
        {200, 200, ID_MARKER_DEFECTEND, true},    {200, 120, ID_MARKER_DEFECTSTART, true},
        {0, 300, ID_MARKER_DEFECTSTART, true},
    };
    for (const auto& r : rows) {
        Mark(0, ID_MARKER_CLEAR);
        if (r.bottom)
            Mark(r.bottom, ID_MARKER_BOTTOM);
        messages.clear();
        Mark(r.x, r.command);
        const bool start = r.command == ID_MARKER_DEFECTSTART;
        SCOPED_TRACE(r.x);
        EXPECT_EQ(Marks().IsSet(start ? kMarkerDefectStart : kMarkerDefectEnd), r.placed);
        EXPECT_EQ(messages, r.placed ? QStringList() : QStringList{kDefectPastBottom});
        EXPECT_EQ(Marks().IsSet(kMarkerBottom), r.bottom != 0); // the bottom stays
    }
}

// A clean record on channel 1: the blow (a half-sine of 20 samples) peaking at 30, the
// grout's start reflecting opposite at 70, the bottom like the blow at 230 (5.00 m),
// a little noise.
void WriteEchoes(TestRecord& d)
{
    auto& samples = d.m_nSamples[0];
    std::fill(samples.begin(), samples.end(), std::int16_t{0});
    unsigned noise = 12345;
    for (int i = 0; i < d.m_nSampleCount; ++i) {
        noise = noise * 1103515245u + 12345u;
        samples[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(int(noise >> 16) % 21 - 10);
    }
    const auto pulse = [&samples](int start, double amplitude) {
        for (int k = 0; k <= 20; ++k)
            samples[static_cast<std::size_t>(start + k)] +=
                static_cast<std::int16_t>(amplitude * std::sin(3.14159265358979 * k / 20.0));
    };
    pulse(20, 3000.0);
    pulse(60, -900.0);
    pulse(220, 700.0);
}

bool Draws(ChannelView& v, wave::Role role)
{
    const wave::DrawList list = v.ComputeDrawing();
    return std::any_of(list.begin(), list.end(),
                       [role](const wave::DrawItem& item) { return item.role == role; });
}

// "自动识别" shows the picks dashed; Esc drops them, Enter places them as the marker
// commands would, the panel following.
TEST_F(MarkersTest, SuggestedMarkersAreShownTakenWithEnterOrDroppedWithEsc)
{
    test::ChangeRecord(report, WriteEchoes);
    ChannelView& v = Channel(0);
    for (const int key : {Qt::Key_Escape, Qt::Key_Return}) {
        v.OnCommand(ID_AUTO_PICK);
        ASSERT_TRUE(v.m_Suggestion.has_value());
        const auto pos = v.m_Suggestion->pos;
        EXPECT_NEAR(pos[kMarkerEnd], 30, 2);
        EXPECT_NEAR(pos[kMarkerFreeEnd], 70, 2);
        EXPECT_NEAR(pos[kMarkerBottom], 230, 2);
        EXPECT_TRUE(Draws(v, wave::Role::Suggestion));
        QTest::keyClick(&v, static_cast<Qt::Key>(key));
        EXPECT_FALSE(v.m_Suggestion.has_value());
        EXPECT_FALSE(Draws(v, wave::Role::Suggestion));
        const bool taken = key == Qt::Key_Return;
        const ChannelMarks& m = Marks();
        EXPECT_EQ(m.IsSet(kMarkerEnd) + m.IsSet(kMarkerFreeEnd) + m.IsSet(kMarkerBottom),
                  taken ? 3 : 0);
        if (taken) {
            EXPECT_EQ((std::array{m.pos[0], m.pos[1], m.pos[2]}),
                      (std::array{pos[0], pos[1], pos[2]}));
            EXPECT_TRUE(m.Measured()); // a suggestion taken is the engineer's choice
            const float total = (pos[kMarkerBottom] - pos[kMarkerEnd]) * 0.025f;
            const float free = *report.m_Edit.Outcome(0).marked.freeLength;
            EXPECT_NEAR(frame.panel.ShownAnchor().toFloat(), total - free, 0.006);
            EXPECT_EQ(frame.panel.ShownGrade(), 0); // reset to A, as by the end command
            EXPECT_EQ(v.m_bCursorShown, 0);
        }
    }
}

// The design-length rule's bottom is dashed and says so until the engineer moves it; the
// suggestion stands beside it when the two lengths differ by more than 3 %.
TEST_F(MarkersTest, ABottomPlacedByTheDesignRuleSaysSoAndGetsTheSuggestionBeside)
{
    test::ChangeRecord(report, WriteEchoes);
    ChannelView& v = Channel(0);
    v.m_nCursor = 30; // the blow's peak
    v.m_bCursorShown = 1;
    v.OnCommand(ID_MARKER_END);
    ASSERT_TRUE(Marks().IsSet(kMarkerBottom));
    EXPECT_EQ(Marks().pos[kMarkerBottom], 30 + 160); // 4.00 m of design
    EXPECT_TRUE(Draws(v, wave::Role::ByDesign));
    ASSERT_TRUE(v.m_Suggestion.has_value()); // 5.00 m found: 25 % away
    EXPECT_NEAR(v.m_Suggestion->pos[kMarkerBottom], 230, 2);
    // Not a measurement: the panel grades nothing and says why.
    EXPECT_EQ(frame.panel.ShownGrade(), -1);
    EXPECT_EQ(frame.panel.ShownClass(), -1);
    EXPECT_EQ(frame.panel.ShownReason(), QStringLiteral("未评定：底部未实测（按设计长度）"));

    Mark(Marks().pos[kMarkerBottom], ID_MARKER_BOTTOM); // confirmed where it stands
    EXPECT_EQ(frame.panel.ShownGrade(), 0);
    EXPECT_TRUE(frame.panel.ShownReason().isEmpty());
    // The free end stays as the rule put it, dashed and labelled.
    EXPECT_TRUE(Marks().ByRule(kMarkerFreeEnd));
    EXPECT_TRUE(Draws(v, wave::Role::ByDesign));

    // A design length within 3 % of the found one: nothing offered beside it.
    SetDesign(4.9f);
    Mark(0, ID_MARKER_CLEAR);
    v.m_nCursor = 30;
    v.m_bCursorShown = 1;
    v.OnCommand(ID_MARKER_END);
    EXPECT_TRUE(Draws(v, wave::Role::ByDesign));
    EXPECT_FALSE(v.m_Suggestion.has_value());
}

} // namespace
} // namespace rovana
