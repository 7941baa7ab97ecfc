// Keys and the view toggles.
#include "ShellTestSupport.h"

#include "LowPass.h"

namespace rovana {
namespace {

using test::FrameTest;

class CommandTest : public FrameTest
{
protected:
    // The widgets that can hold the focus in each pane.
    std::vector<QWidget*> FocusTargets()
    {
        return {&Tree(), &View(0), &View(2), frame->m_pEvaluationPanel, &Draw()};
    }
};

TEST_F(CommandTest, F8InAnyPaneSwitchesToTheSpectrum)
{
    ShowFrame();
    for (QWidget* w : FocusTargets()) {
        frame->OnViewMode(ID_VIEW_TIMEDOMAIN);
        w->setFocus();
        test::Settle();
        QTest::keyClick(w, Qt::Key_F8);
        EXPECT_EQ(frame->m_nDisplayMode, ID_VIEW_SPECTRUM) << w->metaObject()->className();
        // Exactly like the menu item: the item is disabled now.
        EXPECT_FALSE(frame->Action(ID_VIEW_SPECTRUM)->isEnabled());
        EXPECT_TRUE(frame->Action(ID_VIEW_TIMEDOMAIN)->isEnabled());
    }
}

TEST_F(CommandTest, F7F9AndF10SelectTheirModes)
{
    ShowFrame();
    View(1).setFocus();
    QTest::keyClick(&View(1), Qt::Key_F9);
    EXPECT_EQ(frame->m_nDisplayMode, ID_VIEW_PHASE);
    QTest::keyClick(&View(1), Qt::Key_F10);
    EXPECT_EQ(frame->m_nDisplayMode, ID_VIEW_ENERGY);
    QTest::keyClick(&View(1), Qt::Key_F7);
    EXPECT_EQ(frame->m_nDisplayMode, ID_VIEW_TIMEDOMAIN);
    QTest::keyClick(&View(1), Qt::Key_F7); // the key works in its own mode too
    EXPECT_EQ(frame->m_nDisplayMode, ID_VIEW_TIMEDOMAIN);
}

TEST_F(CommandTest, F6AndShiftF6MoveToTheNextAndPreviousPane)
{
    ShowFrame();
    auto paneOfFocus = [this]() -> int {
        for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
            for (int i = 0; i < 3; ++i)
                if (w == frame->Pane(i))
                    return i;
        return -1;
    };
    Tree().setFocus();
    test::Settle();
    ASSERT_EQ(paneOfFocus(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_EQ(paneOfFocus(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_EQ(paneOfFocus(), 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_EQ(paneOfFocus(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(paneOfFocus(), 2);
}

TEST_F(CommandTest, CtrlOInAChannelViewRunsTheOpenCommand)
{
    ShowFrame();
    int dialogs = 0;
    frame->SetOpenDialog([&dialogs] {
        ++dialogs;
        return QString();
    });
    for (QWidget* w : FocusTargets()) {
        w->setFocus();
        QTest::keyClick(w, Qt::Key_O, Qt::ControlModifier);
    }
    EXPECT_EQ(dialogs, static_cast<int>(FocusTargets().size()));
}

// 恢复原始放大 (Ctrl+0) turns the growing gain of the active channel off, as one step that
// Ctrl+Z takes back; Ctrl+Z no longer resets the gain.
TEST_F(CommandTest, CtrlZeroResetsTheGrowingGainOfTheActiveChannelOnlyAndCtrlZUndoesIt)
{
    ShowFrame();
    Open(WriteRecord("MG0001.mg"));
    Draw().m_nActiveChannel = 1;
    for (int c = 0; c < 3; ++c)
        View(c).m_nMagnify = 10;
    Tree().setFocus();
    QTest::keyClick(&Tree(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(View(0).m_nMagnify, 10);
    EXPECT_EQ(View(1).m_nMagnify, 0);
    EXPECT_EQ(View(2).m_nMagnify, 10);
    EXPECT_EQ(frame->Action(ID_EDIT_UNDO)->text(), QStringLiteral("撤销 恢复原始放大"));
    QTest::keyClick(&Tree(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(View(1).m_nMagnify, 10);
    QTest::keyClick(&Tree(), Qt::Key_Z, Qt::ControlModifier); // nothing left to undo
    EXPECT_EQ(View(1).m_nMagnify, 10);

    Draw().m_nActiveChannel = -1; // no active channel: nothing happens
    QTest::keyClick(&Tree(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(View(0).m_nMagnify, 10);
    EXPECT_EQ(View(2).m_nMagnify, 10);
}

TEST_F(CommandTest, FilterOffRestoresTheRecordsSamplesAndOnReproducesTheFilteredTrace)
{
    Open(WriteRecord("MG0001.mg"));
    std::array<std::array<std::int16_t, 10240>, 3> filtered{};
    for (int c = 0; c < 3; ++c) {
        LowPass(filtered[c], View(c).m_nRaw, 10, 1024);
        ASSERT_EQ(View(c).m_nWave, filtered[c]) << c;
    }

    frame->Action(ID_VIEW_FILTER)->trigger();
    EXPECT_EQ(frame->m_bFilter, 0);
    EXPECT_FALSE(frame->Action(ID_VIEW_FILTER)->isChecked());
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 2048; ++i)
            ASSERT_EQ(View(c).m_nWave[i], Draw().m_CurData.m_nSamples[c][i]) << c << ' ' << i;

    View(0).m_nWave[5000] = 99; // beyond the samples: cleared when filtering again
    frame->Action(ID_VIEW_FILTER)->trigger();
    EXPECT_EQ(frame->m_bFilter, 1);
    EXPECT_TRUE(frame->Action(ID_VIEW_FILTER)->isChecked());
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(View(c).m_nWave, filtered[c]) << c;
}

TEST_F(CommandTest, FillOnlyFlipsItsFlag)
{
    Open(WriteRecord("MG0001.mg"));
    const auto wave = View(0).m_nWave;
    frame->Action(ID_VIEW_FILL)->trigger();
    EXPECT_EQ(frame->m_bFill, 1);
    EXPECT_TRUE(frame->Action(ID_VIEW_FILL)->isChecked());
    EXPECT_EQ(View(0).m_nWave, wave);
    frame->Action(ID_VIEW_FILL)->trigger();
    EXPECT_EQ(frame->m_bFill, 0);
    EXPECT_FALSE(frame->Action(ID_VIEW_FILL)->isChecked());
}

TEST(CompressFactor, IntervalTwoAndWidth1024GiveOneFifth)
{
    EXPECT_EQ(CompressCommandFactor(2, 1024, 1024), 0.2f);
    EXPECT_EQ(CompressCommandFactor(2, 2048, 1024), 0.2f);
    EXPECT_FLOAT_EQ(CompressCommandFactor(5, 1000, 1000), 5.0f * 1000 / 10240);
    EXPECT_FLOAT_EQ(CompressCommandFactor(10, 1024, 1024), 1.0f);
}

TEST_F(CommandTest, CompressSetsEveryViewsFactorFromItsWidth)
{
    ShowFrame();
    InstrumentRecord r = test::SampleRecord();
    r.sampleInterval = 2;
    Open(WriteRecord("DT2.mg", r));
    for (int c = 0; c < 3; ++c) {
        ChannelView& v = View(c);
        v.resize(v.width() + 1024 - v.viewport()->width(), v.height());
        ASSERT_EQ(v.viewport()->width(), 1024);
    }

    frame->Action(ID_VIEW_COMPRESS)->trigger(); // on at start: now off
    EXPECT_EQ(frame->m_bCompress, 0);
    EXPECT_EQ(frame->m_bCompressUsed, 1);
    EXPECT_FALSE(frame->Action(ID_VIEW_COMPRESS)->isChecked());
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(View(c).m_fCompress, 1.0f) << c;

    frame->Action(ID_VIEW_COMPRESS)->trigger(); // on again
    EXPECT_EQ(frame->m_bCompress, 1);
    EXPECT_EQ(frame->m_bCompressUsed, 1);
    EXPECT_TRUE(frame->Action(ID_VIEW_COMPRESS)->isChecked());
    for (int c = 0; c < 3; ++c)
        EXPECT_FLOAT_EQ(View(c).m_fCompress, 0.2f) << c;
}

TEST_F(CommandTest, CompressWithoutSamplesLeavesTheFactors)
{
    frame->Action(ID_VIEW_COMPRESS)->trigger(); // off: 1.0
    for (int c = 0; c < 3; ++c)
        View(c).m_fCompress = 0.75f;
    frame->Action(ID_VIEW_COMPRESS)->trigger(); // on, sample count 0
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(View(c).m_fCompress, 0.75f) << c;
}

} // namespace
} // namespace rovana
