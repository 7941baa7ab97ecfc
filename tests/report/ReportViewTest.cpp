#include "ReportView.h"
#include "ChannelView.h"
#include "DisplaySettings.h"
#include "EvaluationPanel.h"
#include "LowPass.h"
#include "ReportViewHost.h"
#include "TestFiles.h"

#include <QMap>

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
        ASSERT_TRUE(view.m_CurData.LoadFromBytes(ComposeInstrumentFile(test::SampleRecord())));
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
    frame.panel.m_nChannelGrade = {3, 3, 3};
    view.m_CurData.m_nGrade = {0, 1, 2};
    view.m_CurData.m_fPanelAnchor = {1.5f, 2.5f, 3.5f};
    view.m_pChannelView[1]->m_nWave[5000] = 99; // beyond 2048: cleared
    DistributeAll();
    const auto& samples = view.m_CurData.m_nSamples;
    ChannelView& v = *view.m_pChannelView[1];
    for (int i = 0; i < 2048; ++i)
        ASSERT_EQ(v.m_nRaw[i], samples[1][i]);
    std::array<std::int16_t, 10240> filtered{};
    LowPass(filtered, v.m_nRaw, 10, 1024);
    EXPECT_EQ(v.m_nWave, filtered);
    EXPECT_EQ(v.m_nWave[5000], 0);
    EXPECT_NE(v.m_nSpectrum, v.m_nRaw);                    // transformed in place
    EXPECT_FLOAT_EQ(frame.display.m_fBinWidth, 97.65625f); // 10 µs, N = 1024
    EXPECT_EQ(frame.panel.m_nChannelGrade, (std::array<int, 3>{0, 1, 2}));
    EXPECT_EQ(frame.panel.m_fChannelAnchor[2], 3.5f);

    frame.display.m_bFilter = 0;
    DistributeAll();
    for (int i = 0; i < 2048; ++i)
        ASSERT_EQ(v.m_nWave[i], samples[1][i]);
}

TEST_F(ReportViewTest, MarkersAreRestoredOnlyForMarkedChannelsWithPositiveMarkers)
{
    ChannelView& v0 = *view.m_pChannelView[0];
    v0.m_bEndSet = 1;
    v0.m_nEndPos = 33;
    view.m_CurData.m_nMarkers[0] = {0, 0, 0, 0, 0};
    view.m_CurData.m_nMarkers[1] = {-1, -1, -1, 0, 0};
    view.m_CurData.m_nMarkers[2] = {20, 0, 220, -5, 90};

    view.m_CurData.m_nMarkedChannels = 0;
    view.RestoreMarkers();
    EXPECT_EQ(view.m_pChannelView[2]->m_bEndSet, 0);

    view.m_CurData.m_nMarkedChannels = 1;
    view.RestoreMarkers();
    const ChannelView& v2 = *view.m_pChannelView[2];
    EXPECT_EQ(v2.m_bEndSet, 1);
    EXPECT_EQ(v2.m_nEndPos, 20);
    EXPECT_EQ(v2.m_bFreeEndSet, 0);
    EXPECT_EQ(v2.m_bBottomSet, 1);
    EXPECT_EQ(v2.m_nBottomPos, 220);
    EXPECT_EQ(v2.m_bDefectStartSet, 0);
    EXPECT_EQ(v2.m_nDefectStartPos, 0);
    EXPECT_EQ(v2.m_bDefectEndSet, 1);
    EXPECT_EQ(v2.m_nDefectEndPos, 90);
    EXPECT_EQ(v0.m_bEndSet, 1); // no positive marker stored: the view keeps its own
    EXPECT_EQ(v0.m_nEndPos, 33);
}

TEST_F(ReportViewTest, InfoPanelFollowsTheChannelsMarkers)
{
    frame.display.m_bCompress = 0;
    ChannelView& v = *view.m_pChannelView[1];
    v.m_bEndSet = v.m_bBottomSet = v.m_bFreeEndSet = 1;
    v.m_nEndPos = 20;
    v.m_nBottomPos = 220;
    v.m_nFreeEndPos = 60;
    view.m_nActiveChannel = 1;
    frame.panel.m_nChannelGrade[1] = 1;
    view.RefreshInfoPanel(1);
    EXPECT_EQ(frame.panel.ShownGrade(), 1);
    EXPECT_EQ(frame.panel.ShownAnchor(), "2.81"); // 3.50 - 0.69
    EXPECT_EQ(frame.panel.m_nChannelClass[1], 1); // design 3.5, measured 3.5: B gives II

    view.m_nActiveChannel = 0;
    view.RefreshInfoPanel(0); // no markers: display cleared, stored grade kept
    EXPECT_EQ(frame.panel.ShownGrade(), -1);
    EXPECT_TRUE(frame.panel.ShownAnchor().isEmpty());
    EXPECT_EQ(frame.panel.m_nChannelGrade[1], 1);

    view.RefreshInfoPanel(7); // a damaged report channel selects nothing
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
