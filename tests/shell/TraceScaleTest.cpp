// How a trace is scaled and what the window says about it: 适合幅值 kept for the folder and
// taken by its next test, by the print and by the history; the processing named in the
// status bar for every test; a gain that clips said on the trace.
#include "ShellTestSupport.h"

#include "ProcessingDialog.h"
#include "SheetDocument.h"
#include "SheetInput.h"
#include "SiteStore.h"
#include "ViewMessages.h"

#include <QLabel>
#include <QUndoStack>

namespace rovana::test {
namespace {

class TraceScaleTest : public FrameTest
{};

TEST_F(TraceScaleTest, AFittedAmplitudeIsKeptForTheFolderItsPrintAndItsHistory)
{
    Open(WriteRecord(QStringLiteral("MG0001.mg")));
    Draw().m_nActiveChannel = 0;
    const int before = View(0).m_nMaxAmplitude;
    frame->Action(ID_VIEW_FIT_AMPLITUDE)->trigger();
    const int fitted = View(0).m_nMaxAmplitude;
    EXPECT_NE(fitted, before);
    // The largest shown excursion from the blow on fills 90 % of the half-height.
    int largest = 0;
    for (int i = 0; i < 1024; ++i)
        largest = std::max(largest, std::abs(int(View(0).m_nWave[static_cast<std::size_t>(i)])));
    EXPECT_LE(largest, fitted);
    EXPECT_GE(largest * 10, fitted * 9 - 10);
    EXPECT_EQ(SiteStore(m_strFolder).Site().amplitude[0].mode, TraceAmplitude::Mode::Fit);
    EXPECT_TRUE(Draw().SheetSettingsForPrint().channels[0].bFit);

    // A fixed amplitude from the keys: kept as it is, printed as it is.
    QTest::keyClick(&View(1), Qt::Key_Down);
    const int fixed = View(1).m_nMaxAmplitude;
    EXPECT_EQ(SiteStore(m_strFolder).Site().amplitude[1],
              (TraceAmplitude{TraceAmplitude::Mode::Fixed, fixed}));
    const sheet::ChannelScale printed = Draw().SheetSettingsForPrint().channels[1];
    EXPECT_EQ(printed.nMaxAmplitude, fixed);
    EXPECT_FALSE(printed.bFit);

    // The next test of the folder comes fitted on its own samples, and the history's undo
    // takes the folder's setting back too.
    Open(WriteRecord(QStringLiteral("MG0002.mg")));
    EXPECT_EQ(View(1).m_nMaxAmplitude, fixed);
    Draw().m_nActiveChannel = 2;
    frame->Action(ID_VIEW_FIT_AMPLITUDE)->trigger();
    ASSERT_EQ(SiteStore(m_strFolder).Site().amplitude[2].mode, TraceAmplitude::Mode::Fit);
    Draw().m_pUndo->undo();
    EXPECT_EQ(SiteStore(m_strFolder).Site().amplitude[2].mode, TraceAmplitude::Mode::Unset);
}

// The growing gain chosen for a channel is the folder's: kept in its site file, taken by
// its next test, by the window's print and by every sheet the command line draws of it, and
// given back by the history.
TEST_F(TraceScaleTest, AChosenGrowingGainIsTheFoldersOnScreenAndOnEverySheet)
{
    Open(WriteRecord(QStringLiteral("MG0001.mg")));
    EXPECT_EQ(View(1).m_nMagnify, 1);          // a folder without a kept gain: none
    View(1).SendViewMessage(WM_SETMAGNIFY, 2); // the gain dialog's ×10
    EXPECT_EQ(SiteStore(m_strFolder).Site().growingGain, (std::array<int, 3>{0, 10, 0}));

    Open(WriteRecord(QStringLiteral("MG0002.mg")));
    EXPECT_EQ(View(1).m_nMagnify, 10);
    EXPECT_EQ(View(0).m_nMagnify, 1);
    sheet::SheetSettings command; // as rovana-cli sheet and the report draw this folder
    sheet::ApplySiteSettings(SiteStore(m_strFolder).Site(), command);
    const sheet::SheetSettings window = Draw().SheetSettingsForPrint();
    for (std::size_t c = 0; c < 3; ++c)
        EXPECT_EQ(window.channels[c].nMagnify, command.channels[c].nMagnify) << c;
    EXPECT_EQ(command.channels[1].nMagnify, 10);

    // 恢复原始放大: off for the folder too, and the history's undo gives it back.
    Draw().m_nActiveChannel = 1;
    frame->Action(ID_VIEW_RESET_GAIN)->trigger();
    EXPECT_EQ(SiteStore(m_strFolder).Site().growingGain[1], 0);
    Draw().m_pUndo->undo();
    EXPECT_EQ(SiteStore(m_strFolder).Site().growingGain[1], 10);
    EXPECT_EQ(View(1).m_nMagnify, 10);
}

TEST_F(TraceScaleTest, TheStatusBarNamesTheProcessingAndAClippingGainIsSaidOnTheTrace)
{
    Open(WriteRecord(QStringLiteral("MG0001.mg")));
    const auto spare = [this] { return frame->StatusPane(ID_INDICATOR_SPARE)->text(); };
    Draw().UpdateStatusPanes();
    EXPECT_EQ(spare(), QStringLiteral(" "));
    const auto clipWarned = [this] {
        const wave::DrawList list = View(0).ComputeDrawing();
        return std::any_of(list.begin(), list.end(), [](const wave::DrawItem& item) {
            return item.role == wave::Role::ClipWarning;
        });
    };
    EXPECT_FALSE(clipWarned());

    processing::ChainSettings gain; // a gain the samples of the record do not survive
    gain.enabled = true;
    gain.gain = processing::GainKind::Exponential;
    gain.gainAtDesign = 100.0; // 2000 at the design length is 200000
    ASSERT_TRUE(Draw().SetProcessing(gain, false));
    Draw().UpdateStatusPanes();
    EXPECT_EQ(spare(), QString::fromStdString(processing::DescribeChain(gain)));
    EXPECT_TRUE(View(0).m_bClipped);
    EXPECT_TRUE(clipWarned());
    // Another test of the folder says the same.
    Open(WriteRecord(QStringLiteral("MG0002.mg")));
    Draw().UpdateStatusPanes();
    EXPECT_EQ(spare(), QString::fromStdString(processing::DescribeChain(gain)));
}

} // namespace
} // namespace rovana::test
