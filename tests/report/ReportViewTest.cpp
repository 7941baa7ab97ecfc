#include "ReportView.h"
#include "ChannelView.h"
#include "DisplaySettings.h"
#include "EvaluationPanel.h"
#include "LowPass.h"
#include "ReportViewHost.h"
#include "TestFiles.h"

#include <QMap>

#include "EditSupport.h"

#include <gtest/gtest.h>

namespace rovana {
namespace {

// Stands in for the main frame.
class FakeFrame : public ReportViewHost
{
public:
    DisplaySettings& Display() override { return display; }
    int FileLoaded() const override { return fileLoaded; }
    void SetStatusPane(int id, const QString& text) override { panes[id] = text; }
    EvaluationPanel* EvaluationPane() override { return &panel; }

    DisplaySettings display;
    int fileLoaded = 0;
    QMap<int, QString> panes;
    EvaluationPanel panel;
};

class ReportViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.show();
        view.resize(800, 700);
        frame.panel.SetReportView(&view);
        TestRecord record;
        ASSERT_TRUE(record.LoadFromBytes(ComposeInstrumentFile(test::SampleRecord())));
        view.TakeLoadedRecord(record);
    }
    void DistributeAll()
    {
        for (int c = 0; c < 3; ++c)
            view.DistributeChannel(c);
    }

    FakeFrame frame;
    ReportView view{&frame};
};

TEST_F(ReportViewTest, ChannelViewsAreStackedWithTheirIdentifiers)
{
    const int b = (700 - 100) / 3;
    for (int i = 0; i < 3; ++i) {
        ChannelView* v = view.m_pChannelView[i];
        EXPECT_EQ(v->objectName(), QString::number(59648 + i));
        EXPECT_EQ(v->windowTitle(), "MyView");
        EXPECT_EQ(v->m_nChannel, i);
        // 10 px margins on both sides: the whole view, scroll bar included, is in the pane.
        EXPECT_EQ(v->geometry(), QRect(10, 10 + i * (b + 10), 780, b));
        EXPECT_TRUE(view.rect().contains(v->geometry()));
    }
    view.resize(300, 50); // smaller than the gaps: no negative heights
    EXPECT_EQ(view.m_pChannelView[2]->height(), 0);
}

TEST_F(ReportViewTest, DistributionFiltersCopiesAndTransformsEachChannel)
{
    view.m_pChannelView[1]->m_nWave[5000] = 99; // beyond 2048: cleared
    DistributeAll();
    const auto& samples = view.CurrentRecord().m_nSamples;
    ChannelView& v = *view.m_pChannelView[1];
    for (int i = 0; i < 2048; ++i)
        ASSERT_EQ(v.m_nRaw[i], samples[1][i]);
    std::array<std::int16_t, 10240> filtered{};
    LowPass(filtered, v.m_nRaw, 10, 1024);
    EXPECT_EQ(v.m_nWave, filtered);
    EXPECT_EQ(v.m_nWave[5000], 0);
    EXPECT_NE(v.m_nSpectrum, v.m_nRaw);                    // transformed in place
    EXPECT_FLOAT_EQ(frame.display.m_fBinWidth, 97.65625f); // 10 µs, N = 1024

    frame.display.m_bFilter = 0;
    DistributeAll();
    for (int i = 0; i < 2048; ++i)
        ASSERT_EQ(v.m_nWave[i], samples[1][i]);
}

TEST_F(ReportViewTest, TheTestShowsExactlyTheMarkersTheFileStores)
{
    TestRecord r = view.CurrentRecord();
    r.m_nMarkers[0] = {0, 0, 0, 0, 0};
    r.m_nMarkers[1] = {-1, -1, -1, 0, 0};
    r.m_nMarkers[2] = {20, 0, 220, -5, 90};
    r.m_nMarkedChannels = 1;
    test::SetMarker(view, 0, kMarkerEnd, 33); // the test shown before: gone with the load
    view.TakeLoadedRecord(r);
    const ChannelMarks& m2 = test::Marks(view, 2);
    EXPECT_EQ(m2.set, (std::array<bool, 5>{true, false, true, false, true}));
    EXPECT_EQ(m2.pos, (std::array<int, 5>{20, 0, 220, 0, 90}));
    EXPECT_EQ(test::Marks(view, 0), ChannelMarks{});
    EXPECT_EQ(test::Marks(view, 1), ChannelMarks{});
}

TEST_F(ReportViewTest, InfoPanelFollowsTheChannelsMarkers)
{
    frame.display.m_bCompress = 0;
    test::SetMarker(view, 1, kMarkerEnd, 20);
    test::SetMarker(view, 1, kMarkerBottom, 220);
    test::SetMarker(view, 1, kMarkerFreeEnd, 60);
    view.m_Edit.SetGrade(1, 1);
    view.m_nActiveChannel = 1;
    view.RefreshInfoPanel(1);
    EXPECT_EQ(frame.panel.ShownGrade(), 1);
    EXPECT_EQ(frame.panel.ShownAnchor(), "2.81"); // 3.50 - 0.69
    EXPECT_EQ(frame.panel.ShownClass(), 1);       // design 3.5, measured 3.5: B gives II

    view.m_nActiveChannel = 0;
    view.RefreshInfoPanel(0); // no markers: nothing shown, the grade kept
    EXPECT_EQ(frame.panel.ShownGrade(), -1);
    EXPECT_TRUE(frame.panel.ShownAnchor().isEmpty());
    EXPECT_EQ(test::Marks(view, 1).grade, 1);

    view.m_nActiveChannel = 7; // a damaged report channel selects nothing
    view.RefreshInfoPanel(7);
    EXPECT_EQ(frame.panel.ShownClass(), -1);
}

TEST_F(ReportViewTest, StatusPanesAreWrittenOnlyOnceAFileIsLoaded)
{
    view.UpdateStatusPanes();
    EXPECT_TRUE(frame.panes.isEmpty());
    frame.fileLoaded = 1;
    view.UpdateStatusPanes();
    EXPECT_EQ(frame.panes[59142], QStringLiteral("项目;隧道K12"));
    EXPECT_EQ(frame.panes[59143], QStringLiteral("文件;MG0001"));
    EXPECT_EQ(frame.panes[59144], QStringLiteral("采样点数;1024"));
    EXPECT_EQ(frame.panes[59145], QStringLiteral("采样间隔;10 us"));
    EXPECT_EQ(frame.panes[59146], QStringLiteral("高通;10 Hz"));
    EXPECT_EQ(frame.panes[59147], QStringLiteral("低通;5000 Hz"));
    EXPECT_EQ(frame.panes[59148], QStringLiteral("时间;2026-05-12"));
}

TEST_F(ReportViewTest, CtrlZTurnsOffTheGrowingGainOfTheActiveChannelOnly)
{
    for (ChannelView* v : view.m_pChannelView)
        v->m_nMagnify = 5;
    view.m_nActiveChannel = -1;
    view.ResetActiveMagnification();
    EXPECT_EQ(view.m_pChannelView[0]->m_nMagnify, 5);
    view.m_nActiveChannel = 2;
    view.ResetActiveMagnification();
    EXPECT_EQ(view.m_pChannelView[2]->m_nMagnify, 0);
    EXPECT_EQ(view.m_pChannelView[1]->m_nMagnify, 5);
}

} // namespace
} // namespace rovana

namespace rovana {
namespace {

TEST(DrawViewOptionsTest, ReportOptionsKeepTheReportTitleAndNotTheItemName)
{
    ReportView view(nullptr);
    EXPECT_EQ(view.m_ReportOptions.bShowTitle, 1);
    ReportOptions o;
    o.bShowTitle = 0;
    o.bChannel2 = 1;
    o.strTitle = "other";
    o.strItemName = "item";
    o.strFileNumber = "B-07";
    o.strTestDate = "2026-05-12";
    view.SetReportOptions(o);
    EXPECT_EQ(view.m_ReportOptions.bShowTitle, 0);
    EXPECT_EQ(view.m_ReportOptions.bChannel2, 1);
    EXPECT_EQ(view.m_ReportOptions.strTitle, kReportTitle);
    EXPECT_TRUE(view.m_ReportOptions.strItemName.isEmpty());
    EXPECT_EQ(view.m_ReportOptions.strFileNumber, "B-07");
    EXPECT_EQ(view.m_ReportOptions.strTestDate, "2026-05-12");
}

} // namespace
} // namespace rovana
