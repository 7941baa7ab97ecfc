#pragma once

#include "AnalysisSave.h"
#include "ByteBuffer.h"
#include "ChannelView.h"
#include "CommandIds.h"
#include "EvaluationPanel.h"
#include "FileTree.h"
#include "InstrumentFile.h"
#include "MainWindow.h"
#include "MgLayout.h"
#include "RecentFiles.h"
#include "ReportView.h"
#include "TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>

namespace rovana::test {

using Markers = std::array<int, kMarkerCount>;

// A unique settings application name per test, so no test sees another's recent files.
inline QString TestSettingsName()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return QStringLiteral("shell_%1_%2").arg(info->test_suite_name(), info->name());
}

// Sets the stored markers of channel c and the number of marked channels.
inline void SetMarkers(QByteArray& b, int markedChannels, int channel, const Markers& m)
{
    WriteInt32(b, mg::kMarkedChannels, markedChannels);
    for (int i = 0; i < kMarkerCount; ++i)
        WriteInt32(b, mg::kMarkers + 4 * (channel * kMarkerCount + i), m[i]);
}

// Channel 1 measured at 3500 m/s: end 20, free end 49, bottom 220 (3.50 m of 3.50), grade B.
inline AnalysisValues MeasuredChannelOne()
{
    AnalysisValues v;
    ChannelAnalysis& c = v.channels[0];
    c.markerSet = {true, true, true, false, false};
    c.markerPos = {20, 49, 220, 0, 0};
    c.measuredL0 = 0.5f;
    c.measuredLr = 3.0f;
    c.grade = 1;
    c.qualityClass = 1;
    c.anchor = 3.0f;
    v.waveSpeed = 3500;
    return v;
}

inline void SetReportChannel(QByteArray& b, int channel)
{
    WriteInt32(b, mg::kReportChannel, channel);
}

inline void SetEvaluation(QByteArray& b, int channel, int grade, int qualityClass, float anchor)
{
    const int pos = mg::kEvaluation + channel * mg::kEvaluationStride;
    WriteInt32(b, pos, grade);
    WriteInt32(b, pos + 4, qualityClass);
    WriteFloat(b, pos + 8, anchor);
}

// A record whose channel c is a cosine on spectrum bin bins[c] (N = 1024 for 1024
// samples), so that each channel has its own peak frequency.
inline InstrumentRecord CosineRecord(std::array<int, 3> bins)
{
    InstrumentRecord r = SampleRecord();
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 2048; ++i)
            r.samples[c][i] = static_cast<std::int16_t>(
                std::lround(1000.0 * std::cos(2.0 * M_PI * bins[c] * i / 1024.0)));
    return r;
}

// The state of one channel view's markers, for comparisons.
struct MarkerState
{
    std::array<int, 5> flags;
    std::array<int, 5> positions;
    bool operator==(const MarkerState&) const = default;
};

// The markers a channel view shows: those of the test being edited.
inline MarkerState StateOf(const ChannelView& v)
{
    const ChannelMarks m = v.Marks();
    MarkerState s{};
    for (std::size_t k = 0; k < kMarkerCount; ++k) {
        s.flags[k] = m.set[k] ? 1 : 0;
        s.positions[k] = m.pos[k];
    }
    return s;
}

// Sets channel c's markers of the test on `view` as the engineer would.
inline void SetState(ReportView& view, int c, const MarkerState& s)
{
    EditInputs in = view.m_Edit.Inputs();
    ChannelMarks& m = in.channels[static_cast<std::size_t>(c)];
    for (std::size_t k = 0; k < kMarkerCount; ++k) {
        m.set[k] = s.flags[k] != 0;
        m.pos[k] = s.positions[k];
        m.byRule[k] = false;
    }
    view.m_Edit.SetInputs(in);
}

inline std::ostream& operator<<(std::ostream& os, const MarkerState& s)
{
    os << "flags";
    for (int f : s.flags)
        os << ' ' << f;
    os << " positions";
    for (int p : s.positions)
        os << ' ' << p;
    return os;
}

// Runs pending events (repaints included).
inline void Settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// A main frame with recorded messages, an injected open dialog, a recent-file list in
// the test's own settings and a temporary folder "site1" for test files.
class FrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Dir.isValid());
        m_strFolder = m_Dir.path() + QStringLiteral("/site1");
        ASSERT_TRUE(QDir().mkpath(m_strFolder));
        m_pRecent = std::make_unique<RecentFiles>(QStringLiteral("RovanaShellTests"),
                                                  TestSettingsName(), kRecentFileCount);
        frame = std::make_unique<MainWindow>();
        frame->SetMessageSink([this](const QString& text) { messages << text; });
        frame->SetUnsavedQuestion([this](const QString& test) {
            questions << test;
            return unsavedAnswer;
        });
        frame->SetOpenDialog([this] { return m_strNextOpen; });
        frame->SetRecentFileList(m_pRecent.get());
    }

    void TearDown() override
    {
        frame.reset();
        m_pRecent.reset();
    }

    // Writes a test file into site1 and returns its full path.
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_strFolder + QLatin1Char('/') + name;
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }

    QString WriteRecord(const QString& name, const InstrumentRecord& r = SampleRecord())
    {
        return Write(name, ComposeInstrumentFile(r));
    }

    // The Open command with the open dialog returning `path`; returns once the tree, which
    // fills while the window goes on, lists the folder.
    void Open(const QString& path)
    {
        m_strNextOpen = path;
        frame->Action(ID_FILE_OPEN)->trigger();
        WaitForTree();
    }

    void WaitForTree()
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !Tree().IsListing(); }, 5000));
    }

    void ShowFrame()
    {
        frame->show();
        frame->resize(1200, 800);
        QApplication::setActiveWindow(frame.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        Settle();
    }

    ReportView& Draw() { return *frame->ReportPane(); }
    ChannelView& View(int c) { return *frame->ReportPane()->m_pChannelView[c]; }
    FileTree& Tree() { return *frame->TreePane(); }

    QTemporaryDir m_Dir;
    QString m_strFolder;
    QString m_strNextOpen;
    QStringList messages;
    QStringList questions; // tests asked whether to save their changes
    MainWindow::UnsavedAnswer unsavedAnswer = MainWindow::UnsavedAnswer::Discard;
    std::unique_ptr<RecentFiles> m_pRecent;
    std::unique_ptr<MainWindow> frame;
};

} // namespace rovana::test
