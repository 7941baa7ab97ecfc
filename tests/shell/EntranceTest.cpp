// The Open command and the tree click (the application's open-document entry
// is in AppTest.cpp).
#include "ShellTestSupport.h"

#include "LowPass.h"
#include "Spectrum.h"

namespace rovana {
namespace {

using test::FrameTest;
using test::Markers;
using test::MarkerState;
using test::StateOf;

const MarkerState kEarlier{{1, 0, 1, 0, 0}, {77, 0, 300, 0, 0}};
const std::array<int, 5> kNoFlags{0, 0, 0, 0, 0};
const Markers kChannel3{20, 60, 220, 100, 150};
const MarkerState kChannel3State{{1, 1, 1, 1, 1}, {20, 60, 220, 100, 150}};

class EntranceTest : public FrameTest
{
protected:
    // A file with markers stored for channel 3 only.
    QString Channel3Markers(const QString& name = QStringLiteral("C3.mg"))
    {
        QByteArray b = ComposeInstrumentFile(test::SampleRecord());
        test::SetMarkers(b, 1, 2, kChannel3);
        return Write(name, b);
    }

    // A file with markers on all three channels.
    QString AllMarkers(const QString& name = QStringLiteral("ALL.mg"))
    {
        QByteArray b = ComposeInstrumentFile(test::SampleRecord());
        test::SetMarkers(b, 3, 0, {10, 30, 210, 0, 0});
        test::SetMarkers(b, 3, 1, {11, 31, 211, 0, 0});
        test::SetMarkers(b, 3, 2, {12, 32, 212, 0, 0});
        return Write(name, b);
    }

    void PrepareEarlierMarkers()
    {
        for (int c = 0; c < 3; ++c) {
            test::SetState(Draw(), c, kEarlier);
            View(c).m_bCursorShown = 1;
        }
    }
};

// --- Open command --------------------------------------------------------------------

TEST_F(EntranceTest, OpenLoadsTheRecordAndSetsPathFolderTreeAndFlags)
{
    const QString path = WriteRecord("MG0001.mg");
    Open(path);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
    EXPECT_EQ(Draw().m_CurData.m_nSampleCount, 1024);
    EXPECT_EQ(Draw().m_CurData.m_strProject, QStringLiteral("隧道K12"));
    EXPECT_EQ(Draw().m_strCurPath, path);
    EXPECT_EQ(Draw().m_strFolder, m_strFolder);
    EXPECT_EQ(frame->m_bFileLoaded, 1);
    EXPECT_EQ(Tree().m_strFolder, m_strFolder);
    ASSERT_NE(Tree().RootItem(), nullptr);
    EXPECT_EQ(Tree().RootItem()->text(0), "site1");
    EXPECT_EQ(m_pRecent->Entries(), QStringList{path});
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(View(c).m_nMagnify, 1);
        for (int i = 0; i < 2048; ++i)
            ASSERT_EQ(View(c).m_nRaw[i], Draw().m_CurData.m_nSamples[c][i]);
    }
}

TEST_F(EntranceTest, OpenCancelledDoesNothing)
{
    Open(QString());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(frame->m_bFileLoaded, 0);
    EXPECT_TRUE(Draw().m_strCurPath.isEmpty());
    EXPECT_EQ(Tree().topLevelItemCount(), 0);
}

// Open shows exactly the new file's markers, as a tree click does: what the views held
// before goes (a save would otherwise write it into the new file).
TEST_F(EntranceTest, OpenShowsExactlyTheNewFilesMarkers)
{
    PrepareEarlierMarkers();
    Open(Channel3Markers());
    EXPECT_EQ(StateOf(View(0)).flags, kNoFlags);
    EXPECT_EQ(StateOf(View(1)).flags, kNoFlags);
    EXPECT_EQ(StateOf(View(2)), kChannel3State);
    EXPECT_EQ(View(0).m_bCursorShown, 0);

    Open(AllMarkers());
    EXPECT_EQ(StateOf(View(0)), (MarkerState{{1, 1, 1, 0, 0}, {10, 30, 210, 0, 0}}));
    Open(Channel3Markers());
    EXPECT_EQ(StateOf(View(0)).flags, kNoFlags);
    EXPECT_EQ(StateOf(View(1)).flags, kNoFlags);
    EXPECT_EQ(StateOf(View(2)), kChannel3State);
}

TEST_F(EntranceTest, StoredMarkerOfZeroClearsThatFlagOfATakingPartChannel)
{
    QByteArray b = ComposeInstrumentFile(test::SampleRecord());
    test::SetMarkers(b, 1, 2, {20, 0, 220, -1, 0});
    PrepareEarlierMarkers();
    Open(Write("PART.mg", b));
    EXPECT_EQ(StateOf(View(2)), (MarkerState{{1, 0, 1, 0, 0}, {20, 0, 220, 0, 0}}));
}

TEST_F(EntranceTest, NoMarkedChannelsRestoresNothingEvenWithPositiveMarkers)
{
    QByteArray b = ComposeInstrumentFile(test::SampleRecord());
    test::SetMarkers(b, 0, 0, {10, 30, 210, 0, 0});
    test::SetMarkers(b, 0, 2, {12, 32, 212, 0, 0});
    const QString path = Write("NONE.mg", b);

    PrepareEarlierMarkers();
    Open(path);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(StateOf(View(c)).flags, kNoFlags) << c;

    // The tree click likewise: nothing of the earlier test stays.
    PrepareEarlierMarkers();
    frame->LoadFromTree(path);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(StateOf(View(c)), (MarkerState{kNoFlags, {0, 0, 0, 0, 0}})) << c;
}

TEST_F(EntranceTest, OpenOfAnEmptyFileSaysItCannotReadAndChangesNothing)
{
    const QString good = WriteRecord("MG0001.mg");
    Open(good);
    const TestRecord before = Draw().m_CurData;
    const QString empty = Write("EMPTY.mg", QByteArray());
    messages.clear();
    Open(empty);
    EXPECT_EQ(messages, QStringList{"无法读取文件（文件长度 0 字节）: EMPTY.mg"});
    EXPECT_EQ(Draw().m_CurData, before);
    EXPECT_EQ(Draw().m_strCurPath, good);
    EXPECT_EQ(m_pRecent->Entries(), QStringList{good});
}

TEST_F(EntranceTest, OpenOfAMissingFileSaysItCannotRead)
{
    Open(m_strFolder + "/GONE.mg");
    EXPECT_EQ(messages, QStringList{"无法读取文件（文件不存在）: GONE.mg"});
    EXPECT_EQ(frame->m_bFileLoaded, 0);
}

TEST_F(EntranceTest, OpenOfAMalformedFileShowsTheReadersMessageAndKeepsTheViews)
{
    Open(WriteRecord("MG0001.mg"));
    const TestRecord before = Draw().m_CurData;
    const auto wave = View(0).m_nWave;
    messages.clear();
    Open(Write("SHORT.mg", QByteArray(100, '\1')));
    EXPECT_EQ(messages,
              QStringList{"无法读取文件（文件长度 100 字节，不足 13312 字节）: SHORT.mg"});
    EXPECT_EQ(Draw().m_CurData, before);
    EXPECT_EQ(View(0).m_nWave, wave);
}

TEST_F(EntranceTest, OpenOfAFileWithAnInvalidDateStopsWithTheDateMessage)
{
    const QString good = WriteRecord("MG0001.mg");
    Open(good);
    const TestRecord before = Draw().m_CurData;
    const auto wave = View(2).m_nWave;
    InstrumentRecord r = test::SampleRecord();
    r.month = 13;
    for (auto& channel : r.samples)
        channel.fill(5);
    messages.clear();
    Open(WriteRecord("BADDATE.mg", r));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("测试日期无效，无法读取文件（")));
    EXPECT_TRUE(messages[0].endsWith(QStringLiteral("）: BADDATE.mg")))
        << messages[0].toStdString();
    // The record is unchanged (the reader is atomic) and the views are not refreshed.
    EXPECT_EQ(Draw().m_CurData, before);
    EXPECT_EQ(View(2).m_nWave, wave);
    EXPECT_EQ(Draw().m_strCurPath, good);
}

TEST_F(EntranceTest, OpenOfAPathWithoutFolderWarnsAndGoesOnWithTheLoadedRecord)
{
    const QString path = WriteRecord("MG0002.mg");
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_strFolder));
    Open(QStringLiteral("MG0002.mg"));
    QDir::setCurrent(old);
    EXPECT_EQ(messages, QStringList{"未有选择文件，请重试！"});
    EXPECT_EQ(Draw().m_CurData.m_nSampleCount, 1024); // loaded all the same
    EXPECT_EQ(Tree().topLevelItemCount(), 0);         // the tree is not built
    EXPECT_EQ(Draw().m_strCurPath, "MG0002.mg");
    EXPECT_TRUE(Draw().m_strFolder.isEmpty());
    (void)path;
}

TEST_F(EntranceTest, ReportChannelBecomesTheActiveChannelAndFeedsThePanel)
{
    QByteArray b = ComposeInstrumentFile(test::SampleRecord());
    test::SetMarkers(b, 1, 1, {20, 60, 220, 0, 0});
    test::SetEvaluation(b, 0, 3, 2, 1.25f);
    test::SetEvaluation(b, 1, 2, 1, 2.5f);
    test::SetReportChannel(b, 1);
    Open(Write("RC1.mg", b));
    EXPECT_EQ(Draw().m_nActiveChannel, 1);
    // The stored grades are the test's; channel 1 has no end and bottom: nothing derived.
    EXPECT_EQ(Draw().m_Edit.Marks(0).grade, 3);
    EXPECT_EQ(Draw().m_Edit.Marks(1).grade, 2);
    EXPECT_FALSE(Draw().m_Edit.Outcome(0).result.measured);
    // Channel 2 has end and bottom markers: the panel shows its grade.
    EXPECT_EQ(frame->m_pEvaluationPanel->ShownGrade(), 2);

    QByteArray c = ComposeInstrumentFile(test::SampleRecord());
    test::SetReportChannel(c, 2);
    frame->LoadFromTree(Write("RC2.mg", c));
    EXPECT_EQ(Draw().m_nActiveChannel, 2);
    // No end and bottom marker on channel 3 after a tree click: the panel is cleared.
    EXPECT_EQ(frame->m_pEvaluationPanel->ShownGrade(), -1);
    EXPECT_EQ(frame->m_pEvaluationPanel->ShownClass(), -1);
}

TEST_F(EntranceTest, AfterEveryLoadTheBinWidthAndPeakBelongToChannel3)
{
    const InstrumentRecord r = test::CosineRecord({30, 50, 70});
    // What channel 3 alone gives.
    std::array<std::int16_t, 2048> spectrum{};
    std::array<std::int32_t, 2048> phase{};
    std::copy_n(r.samples[2].begin(), 2048, spectrum.begin());
    const SpectrumResult third = ComputeSpectrum(spectrum, phase, 10.0f, 1024);
    ASSERT_EQ(third.status, SignalStatus::Ok);
    ASSERT_FLOAT_EQ(third.binWidth, 97.65625f);
    ASSERT_FLOAT_EQ(third.peakFrequency, 70 * 97.65625f);

    const QString path = WriteRecord("COS.mg", r);
    Open(path);
    EXPECT_EQ(frame->m_fBinWidth, third.binWidth);
    EXPECT_EQ(frame->m_fPeakFrequency, third.peakFrequency);

    frame->m_fPeakFrequency = frame->m_fBinWidth = 0.0f;
    frame->LoadFromTree(path);
    EXPECT_EQ(frame->m_fBinWidth, third.binWidth);
    EXPECT_EQ(frame->m_fPeakFrequency, third.peakFrequency);
}

TEST_F(EntranceTest, LoadFiltersTheDisplaySamplesWhileTheFilterIsOn)
{
    const QString path = WriteRecord("MG0001.mg");
    Open(path);
    std::array<std::int16_t, 10240> filtered{};
    LowPass(filtered, View(1).m_nRaw, 10, 1024);
    EXPECT_EQ(View(1).m_nWave, filtered);

    frame->Action(ID_VIEW_FILTER)->trigger(); // off
    frame->LoadFromTree(path);
    for (int i = 0; i < 2048; ++i)
        ASSERT_EQ(View(1).m_nWave[i], Draw().m_CurData.m_nSamples[1][i]);
}

// --- Tree click ----------------------------------------------------------------------

TEST_F(EntranceTest, TreeClickWithMarkersOfChannel3OnlyClearsTheOtherViews)
{
    const QString path = Channel3Markers();
    PrepareEarlierMarkers();
    for (int c = 0; c < 3; ++c)
        View(c).m_nMagnify = 20;
    frame->LoadFromTree(path);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
    EXPECT_EQ(StateOf(View(0)).flags, kNoFlags);
    EXPECT_EQ(StateOf(View(1)).flags, kNoFlags);
    EXPECT_EQ(StateOf(View(2)), kChannel3State);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(View(c).m_bCursorShown, 0) << c;
        EXPECT_EQ(View(c).m_nMagnify, 1) << c;
    }
}

TEST_F(EntranceTest, TreeClickClearsTheMarkersOfTheFileBefore)
{
    Open(AllMarkers());
    EXPECT_EQ(StateOf(View(0)).flags, (std::array<int, 5>{1, 1, 1, 0, 0}));
    frame->LoadFromTree(Channel3Markers());
    EXPECT_EQ(StateOf(View(0)).flags, kNoFlags);
    EXPECT_EQ(StateOf(View(1)).flags, kNoFlags);
    EXPECT_EQ(StateOf(View(2)), kChannel3State);
}

TEST_F(EntranceTest, TreeClickSetsPathFolderAndRecentListButDoesNotRebuildTheTree)
{
    const QString first = WriteRecord("MG0001.mg");
    Open(first);
    const QString second = WriteRecord("MG0002.mg"); // added after the tree was built
    frame->LoadFromTree(second);
    EXPECT_EQ(Draw().m_strCurPath, second);
    EXPECT_EQ(Draw().m_strFolder, m_strFolder);
    EXPECT_EQ(m_pRecent->Entries(), (QStringList{second, first}));
    ASSERT_NE(Tree().RootItem(), nullptr);
    EXPECT_EQ(Tree().RootItem()->childCount(), 1); // MG0002.mg appears when the watch sees it
}

TEST_F(EntranceTest, TreeClickOnAVanishedFileSaysItCannotReadAndChangesNothing)
{
    const QString first = WriteRecord("MG0001.mg");
    const QString second = WriteRecord("MG0002.mg");
    Open(first);
    const TestRecord before = Draw().m_CurData;
    ASSERT_TRUE(QFile::remove(second));
    messages.clear();
    frame->LoadFromTree(second);
    EXPECT_EQ(messages, QStringList{"无法读取文件（文件不存在）: MG0002.mg"});
    EXPECT_EQ(Draw().m_CurData, before);
    EXPECT_EQ(Draw().m_strCurPath, first);
    EXPECT_EQ(Tree().RootItem()->childCount(), 2); // the tree keeps its items
}

TEST_F(EntranceTest, TreeClickOnAnEmptyFileSaysItCannotRead)
{
    frame->LoadFromTree(Write("EMPTY.mg", QByteArray()));
    EXPECT_EQ(messages, QStringList{"无法读取文件（文件长度 0 字节）: EMPTY.mg"});
    EXPECT_TRUE(Draw().m_strCurPath.isEmpty());
    EXPECT_TRUE(m_pRecent->Entries().isEmpty());
}

TEST_F(EntranceTest, TreeClickOnAFileWithAnInvalidDateStopsBeforeTheViews)
{
    Open(Channel3Markers());
    InstrumentRecord r = test::SampleRecord();
    r.day = 0;
    messages.clear();
    frame->LoadFromTree(WriteRecord("BADDATE.mg", r));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("测试日期无效，无法读取文件（")));
    // The earlier markers are not cleared: the entrance stopped before the views.
    EXPECT_EQ(StateOf(View(2)), kChannel3State);
}

// A file the reader refuses changes nothing visible, whichever entrance tried it: no
// recent entry, no tree, commands and status bar as they were.
TEST_F(EntranceTest, ARefusedFileLeavesNoTrace)
{
    InstrumentRecord r = test::SampleRecord();
    r.month = 13;
    const QString refused = WriteRecord("BAD.mg", r);
    const QString shortFile = Write("SHORT.mg", QByteArray(4000, '\1'));
    for (const QString& path : {refused, shortFile}) {
        Open(path);
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(messages.size(), 1);
        EXPECT_TRUE(m_pRecent->Entries().isEmpty());
        EXPECT_EQ(frame->m_bFileLoaded, 0);
        EXPECT_FALSE(frame->Action(ID_FILE_SAVE)->isEnabled());
        EXPECT_FALSE(frame->Action(ID_FILE_PRINT_SETUP)->isEnabled());
        EXPECT_FALSE(frame->Action(ID_FILE_SAVE_PICTURE)->isEnabled());
        EXPECT_EQ(Tree().topLevelItemCount(), 0);
        EXPECT_EQ(frame->StatusPaneText(ID_INDICATOR_SAMPLES), QStringLiteral("采样点数："));
        messages.clear();
    }
    const QString good = WriteRecord("MG0001.mg");
    Open(good);
    Draw().UpdateStatusPanes();
    const QString samples = frame->StatusPaneText(ID_INDICATOR_SAMPLES);
    ASSERT_EQ(samples, QStringLiteral("采样点数;1024"));
    Open(refused);
    Draw().UpdateStatusPanes();
    EXPECT_EQ(m_pRecent->Entries(), QStringList{good});
    EXPECT_EQ(Draw().m_strCurPath, good);
    EXPECT_EQ(frame->StatusPaneText(ID_INDICATOR_SAMPLES), samples);
}

// A stored sample count above 2048 loads: the status bar shows it as stored, the views
// use 2048 samples and the spectrum is left out.
TEST_F(EntranceTest, ASampleCountAbove2048IsShownAsStoredAndUsedUpTo2048)
{
    QByteArray b = ComposeInstrumentFile(test::SampleRecord());
    WriteInt32(b, mg::kSampleCount, 3000);
    Open(Write("BIG.mg", b));
    EXPECT_TRUE(messages.isEmpty());
    Draw().UpdateStatusPanes();
    EXPECT_EQ(frame->StatusPaneText(ID_INDICATOR_SAMPLES), QStringLiteral("采样点数;3000"));
    EXPECT_EQ(View(0).DrawingInput().sampleCount, 2048);
    EXPECT_EQ(frame->m_fBinWidth, 0.0f);
    View(0).ComputeDrawing(); // draws without reading past the buffers
}

} // namespace
} // namespace rovana
