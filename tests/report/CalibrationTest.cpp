// "由已知长度标定波速" in the report view: the speed of a bolt of known length applied to
// this test, to every test of the folder (recorded in the site file), and back.
#include "CalibrationDialog.h"
#include "ChannelView.h"
#include "EditSupport.h"
#include "FakeFrame.h"
#include "FileListDialog.h"
#include "ReportView.h"
#include "ResultSave.h"
#include "SiteStore.h"
#include "SiteWaveSpeed.h"
#include "TestFiles.h"
#include "site/MarkedFile.h"

#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rovana {
namespace {

class CalibrationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"MG0001.mg", "MG0002.mg"})
            ASSERT_TRUE(test::WriteBytes(m_dir.filePath(name), test::MarkedFile()));
        view.m_strFolder = m_dir.path();
        view.m_strCurPath = m_dir.filePath("MG0001.mg");
        ASSERT_TRUE(test::OpenInView(view, view.m_strCurPath));
        test::SetMarker(view, 0, kMarkerEnd, 20);
        test::SetMarker(view, 0, kMarkerBottom, 220);
        view.m_nActiveChannel = 0;
        view.m_fnMessage = [this](const QString& text) { messages.append(text); };
        view.m_fnConfirm = [this](const QString& question) {
            messages.append(question);
            return true;
        };
        view.m_fnShowReport = [this](const FileListReport& report) { reports.append(report); };
    }
    void Calibrate(const QString& known, CalibrationDialog::Choice choice)
    {
        view.m_fnRunCalibration = [known, choice, this](CalibrationDialog& dialog) {
            dialog.LengthEdit()->setText(known);
            shownSpeed = dialog.Speed();
            dialog.Choose(choice);
        };
        view.CalibrateWaveSpeed(0);
    }
    int SpeedOf(const char* name)
    {
        TestRecord r;
        EXPECT_TRUE(r.Load(m_dir.filePath(name)));
        return r.m_nWaveSpeed;
    }

    QTemporaryDir m_dir;
    test::FakeFrame frame;
    ReportView view{&frame};
    QStringList messages;
    QList<FileListReport> reports;
    std::optional<int> shownSpeed;
};

TEST_F(CalibrationTest, ThisTestFolderAndBack)
{
    const QByteArray original = test::ReadBytes(m_dir.filePath("MG0001.mg"));

    Calibrate(QStringLiteral("3.675"), CalibrationDialog::Choice::ThisTest);
    EXPECT_EQ(shownSpeed, 3675);
    EXPECT_EQ(view.m_Edit.Inputs().waveSpeed, 3675);
    EXPECT_EQ(SpeedOf("MG0001.mg"), 3500); // in memory only, as the wave-speed dialog
    EXPECT_FALSE(QFile::exists(m_dir.filePath(kSiteFileName)));

    view.m_Edit.SetWaveSpeed(3500);
    Calibrate(QStringLiteral("3.675"), CalibrationDialog::Choice::Folder);
    EXPECT_EQ(SpeedOf("MG0001.mg"), 3675);
    EXPECT_EQ(SpeedOf("MG0002.mg"), 3675);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("将改写 2 个测试文件的波速为 3675 m/s。确定？"));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0].summary, QStringLiteral("波速 3675 m/s 已写入 2 个测试文件。"));
    EXPECT_EQ(frame.reloads, 1); // the test on screen shows its file again
    const SiteFile site = SiteStore(m_dir.path()).Site();
    ASSERT_TRUE(site.calibration.has_value());
    EXPECT_EQ(site.calibration->waveSpeed, 3675);
    EXPECT_EQ(site.calibration->previousWaveSpeed, 3500);
    EXPECT_EQ(site.calibration->file, QStringLiteral("MG0001.mg"));

    // The old speed one click away: every file as it was, byte for byte.
    Calibrate(QString(), CalibrationDialog::Choice::Restore);
    EXPECT_EQ(test::ReadBytes(m_dir.filePath("MG0001.mg")), original);
    EXPECT_EQ(test::ReadBytes(m_dir.filePath("MG0002.mg")), original);
    EXPECT_EQ(frame.reloads, 2);
    EXPECT_FALSE(SiteStore(m_dir.path()).Site().calibration.has_value());
}

TEST_F(CalibrationTest, NothingIsAppliedWithoutASpeed)
{
    Calibrate(QStringLiteral("0.01"), CalibrationDialog::Choice::Folder); // 10 m/s: refused
    EXPECT_FALSE(shownSpeed.has_value());
    EXPECT_EQ(SpeedOf("MG0001.mg"), 3500);
    EXPECT_EQ(view.m_Edit.Inputs().waveSpeed, 3500);
    EXPECT_TRUE(messages.isEmpty());
}

// "设为参考波形" keeps the test on screen as the folder's reference: every view draws it
// (the test against itself: the same samples), the site file names it, the folder's next
// reading takes it up; "清除参考" takes it away everywhere.
TEST_F(CalibrationTest, ReferenceBoltIsKeptInTheSiteFileAndCleared)
{
    view.DistributeChannel(0);
    view.SetReferenceToCurrent(0);
    const ChannelView& v = *view.m_pChannelView[0];
    const auto usable = static_cast<std::size_t>(UsableSampleCount(view.CurrentRecord()));
    ASSERT_EQ(v.m_nReference.size(), usable);
    for (std::size_t k = 0; k < usable; ++k)
        ASSERT_NEAR(v.m_nReference[k], v.m_nWave[k], 1) << k;
    EXPECT_EQ(SiteStore(m_dir.path()).Site().referenceFile, QStringLiteral("MG0001.mg"));

    ReportView other{&frame};
    other.ReadSite(m_dir.path());
    ASSERT_TRUE(other.m_pReference);
    EXPECT_EQ(other.m_pReference->m_nSamples, view.CurrentRecord().m_nSamples);

    view.ClearReference(0);
    EXPECT_TRUE(v.m_nReference.empty());
    EXPECT_TRUE(SiteStore(m_dir.path()).Site().referenceFile.isEmpty());
    other.ReadSite(m_dir.path());
    EXPECT_FALSE(other.m_pReference);
}

} // namespace
} // namespace rovana
