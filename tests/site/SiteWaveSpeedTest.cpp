// The site wave speed: a calibration on a bolt of known length, and the speed written into
// every file of a folder with the lengths its markers then give, failures left untouched.
#include "SiteWaveSpeed.h"

#include "AnalysisSave.h"
#include "BoltResult.h"
#include "FolderCalibration.h"
#include "InstrumentFile.h"
#include "PosixTestSupport.h"
#include "ResultSave.h"
#include "SiteStore.h"
#include "TestFiles.h"
#include "site/MarkedFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rovana {
namespace {

TEST(SiteWaveSpeedTest, CalibrationGivesTheSpeedOfTheKnownLengthOrSaysWhyNot)
{
    TestRecord r;
    ASSERT_TRUE(r.LoadFromBytes(test::MarkedFile()));
    const struct
    {
        int channel;
        std::array<int, 5> markers;
        double known;
        std::optional<int> speed;
        const char* why;
    } rows[] = {
        {0, {20, 49, 220, 0, 0}, 3.5, 3500, ""},   // 200 samples of 10 µs: 2 ms there and back
        {0, {20, 49, 220, 0, 0}, 3.675, 3675, ""}, // a 5 % longer bolt
        {0, {20, 0, 221, 0, 0}, 3.5, 3483, ""},    // rounded to whole m/s
        {0, {20, 49, 0, 0, 0}, 3.5, {}, "请先设置端部和底部"},
        {0, {220, 49, 20, 0, 0}, 3.5, {}, "底部应在端部之后"},
        {0, {20, 49, 220, 0, 0}, 0.0, {}, "已知长度应大于 0"},
        {0, {20, 49, 220, 0, 0}, 0.05, {}, "标定波速 50 m/s 超出 100 至 20000 m/s"},
        {3, {20, 49, 220, 0, 0}, 3.5, {}, "未选择通道"},
    };
    for (const auto& row : rows) {
        r.m_nMarkers[0] = row.markers;
        QString why;
        EXPECT_EQ(CalibratedWaveSpeed(r, row.channel, row.known, &why), row.speed) << row.known;
        EXPECT_EQ(why, QString::fromUtf8(row.why));
    }
}

TEST(SiteWaveSpeedTest, TheSameSpeedWritesTheSameBytes)
{
    const QByteArray bytes = test::MarkedFile();
    TestRecord r;
    ASSERT_TRUE(r.LoadFromBytes(bytes));
    QByteArray again = bytes;
    PatchResults(again, AnalysisAtWaveSpeed(r, r.m_nWaveSpeed));
    EXPECT_EQ(test::ChangedBytes(again, bytes), QList<int>{});
}

// Three files, the middle one longer than the others: under a file-size limit between
// their lengths it alone cannot be written, stays byte for byte and is listed.
TEST(SiteWaveSpeedTest, AFileThatCannotBeWrittenStaysAsItWasAndIsListed)
{
    QTemporaryDir dir;
    const QByteArray marked = test::MarkedFile();
    const QStringList files = {dir.filePath("a.mg"), dir.filePath("b.mg"), dir.filePath("c.mg")};
    ASSERT_TRUE(test::WriteBytes(files[0], marked));
    ASSERT_TRUE(test::WriteBytes(files[1], marked + QByteArray(4000, '\0')));
    ASSERT_TRUE(test::WriteBytes(files[2], marked));
    const QByteArray longer = test::ReadBytes(files[1]);

    const test::ChildRun run = test::RunWithFileSizeLimit(15000, [&] {
        SiteStore store(dir.path());
        const CalibrationOutcome r = ApplyFolderCalibration(
            store, PlanFolderCalibration(dir.path(), 3675,
                                         {QStringLiteral("a.mg"), 3.675, 3675, 3500, {}}));
        QStringList failed, reasons;
        for (const FileOutcome& o : r.unchanged) {
            failed.append(o.file);
            reasons.append(o.failure ? o.reason : QString());
        }
        return (r.changed.join('|') + "\n" + failed.join('|') + "\n" + reasons.join('|')).toUtf8();
    });
    ASSERT_TRUE(run.exited);
    const QStringList lines = QString::fromUtf8(run.report).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("a.mg|c.mg"));
    EXPECT_EQ(lines[1], QStringLiteral("b.mg"));
    EXPECT_EQ(lines[2], QStringLiteral("磁盘已满，无法创建文件"));
    EXPECT_EQ(test::ReadBytes(files[1]), longer);

    // The written files: the new speed, and L 5 % longer from the same markers.
    TestRecord r;
    ASSERT_TRUE(r.Load(files[0]));
    EXPECT_EQ(r.m_nWaveSpeed, 3675);
    EXPECT_NEAR(ResultOf(r).report.length, 3.675, 1e-4);
    EXPECT_EQ(ResultOf(r).ClassText(), QStringLiteral("I"));
}

} // namespace
} // namespace rovana
