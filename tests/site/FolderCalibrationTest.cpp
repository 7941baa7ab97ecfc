// A wave speed for every test of a folder through the calibration journal: each file with
// the analysis of the new speed, a kill at any point followed by 恢复原波速 gives every
// byte back, a file changed since is left alone, a cancel records nothing.
#include "FolderCalibration.h"

#include "BoltResult.h"
#include "NativePath.h"
#include "PosixTestSupport.h"
#include "QualityClass.h"
#include "SiteStore.h"
#include "site/HostileSite.h"
#include "site/MarkedFile.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>

#include <gtest/gtest.h>

namespace rovana {

void PrintTo(const FileOutcome& o, std::ostream* os)
{
    *os << o.file.toStdString() << ": " << o.reason.toStdString()
        << (o.failure ? " (failure)" : "");
}

namespace {

// GBK "测试.mg": a name that is not UTF-8, as a folder from a Windows archive has it.
const QByteArray kGbkName = "\xb2\xe2\xca\xd4.mg";

// Files by the bytes of their names, which QFile cannot reach when they are not UTF-8.
bool WriteNative(const QByteArray& path, const QByteArray& bytes)
{
    std::FILE* f = std::fopen(path.constData(), "wb");
    const bool ok =
        f && std::fwrite(bytes.constData(), 1, bytes.size(), f) == std::size_t(bytes.size());
    return f && std::fclose(f) == 0 && ok;
}

QByteArray ReadNative(const QByteArray& path)
{
    QByteArray bytes;
    if (std::FILE* f = std::fopen(path.constData(), "rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            bytes.append(buffer, static_cast<qsizetype>(n));
        std::fclose(f);
    }
    return bytes;
}

class FolderCalibrationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Own speeds, own markers; one bolt without a bottom; one file no test at all.
        ASSERT_TRUE(
            test::WriteBytes(Path("MG0001.mg"), test::MarkedFileAt(3000, {20, 49, 220, 0, 0}, 0)));
        ASSERT_TRUE(
            test::WriteBytes(Path("MG0002.mg"), test::MarkedFileAt(4200, {15, 60, 300, 0, 0}, 1)));
        ASSERT_TRUE(
            test::WriteBytes(Path("MG0003.mg"), test::MarkedFileAt(5000, {25, 0, 0, 0, 0}, -1)));
        ASSERT_TRUE(WriteNative(NativeDir() + '/' + kGbkName,
                                test::MarkedFileAt(3800, {30, 80, 260, 0, 0}, 2)));
        ASSERT_TRUE(test::WriteBytes(Path("junk.mg"), QByteArray(100, 'j')));
        m_Original = Snapshot();
    }
    void TearDown() override { test::RemoveTree(NativeDir()); } // QDir cannot remove GBK names
    QString Path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    QByteArray NativeDir() const { return m_dir.path().toLocal8Bit(); }
    // Every file of the folder by its name's bytes.
    QMap<QByteArray, QByteArray> Snapshot() const
    {
        QMap<QByteArray, QByteArray> files;
        for (const FolderEntry& e : ListFolder(m_dir.path()))
            if (e.kind == EntryKind::Regular)
                files.insert(e.native, ReadNative(NativeDir() + '/' + e.native));
        return files;
    }
    // The .mg files only.
    QMap<QByteArray, QByteArray> Tests() const
    {
        QMap<QByteArray, QByteArray> files = Snapshot();
        files.removeIf([](auto it) { return !it.key().endsWith(".mg"); });
        return files;
    }
    CalibrationPlan Plan(int speed = 4127) const
    {
        return PlanFolderCalibration(m_dir.path(), speed,
                                     {QStringLiteral("MG0001.mg"), 6.5, speed, 3000, "2026-05-12"});
    }

    QTemporaryDir m_dir;
    QMap<QByteArray, QByteArray> m_Original;
};

TEST_F(FolderCalibrationTest, EachFileGetsTheSpeedAndTheAnalysisThatFollowsFromIt)
{
    SiteStore store(m_dir.path());
    const CalibrationOutcome r = ApplyFolderCalibration(store, Plan());
    EXPECT_TRUE(r.error.isEmpty());
    EXPECT_EQ(r.changed, (QStringList{"MG0001.mg", "MG0002.mg", "MG0003.mg", "测试.mg"}));
    ASSERT_EQ(r.unchanged.size(), 1);
    EXPECT_EQ(r.unchanged[0].file, QStringLiteral("junk.mg"));
    EXPECT_TRUE(r.unchanged[0].failure);
    EXPECT_TRUE(r.unchanged[0].reason.startsWith(QStringLiteral("无法读取文件（")));

    for (const FolderEntry& e : ListTestFiles(m_dir.path())) {
        TestRecord t;
        if (!t.Load(e.path))
            continue;
        EXPECT_EQ(t.m_nWaveSpeed, 4127) << e.name.toStdString();
        const auto& m = t.m_nMarkers[0];
        const ChannelResult c = ChannelResultOf(t, 0);
        if (m[kMarkerBottom] > 0) {
            // L0 cut to centimetres, L uncut from the markers at the new speed; the class
            // from the stored grade and the new L.
            EXPECT_EQ(c.freeLength, MarkerDistance(t, m[kMarkerFreeEnd], m[kMarkerEnd]));
            EXPECT_EQ(c.length, UncutMarkerDistance(t, m[kMarkerBottom], m[kMarkerEnd]))
                << e.name.toStdString();
            EXPECT_EQ(t.m_nQualityClass[0], DeriveQualityClass(t.m_nGrade[0], 3.5f, c.length));
        }
        // Saved again unchanged, a written file keeps every byte: nothing left stale.
        const QByteArray written = ReadNative(NativePath(e.path));
        ASSERT_EQ(written.size(), 13312);
        QByteArray again = written;
        PatchResults(again, AnalysisAtWaveSpeed(t, 4127));
        EXPECT_EQ(again, written) << e.name.toStdString();
    }
    // Known answers: 200 samples of 10 µs at 4127 m/s are 4.127 m; 29 give 0.59 m cut.
    TestRecord first;
    ASSERT_TRUE(first.Load(Path("MG0001.mg")));
    EXPECT_NEAR(ResultOf(first).report.length, 4.127, 1e-5);
    EXPECT_FLOAT_EQ(ResultOf(first).report.freeLength, 0.59f);
    EXPECT_EQ(ResultOf(first).ClassText(), QStringLiteral("I"));
    // At 3000 m/s the same bolt measures 3.0 m of 3.5: class IV whatever its grade.
    SiteStore again(m_dir.path());
    ApplyFolderCalibration(again, Plan(3000));
    ASSERT_TRUE(first.Load(Path("MG0001.mg")));
    EXPECT_EQ(ResultOf(first).ClassText(), QStringLiteral("IV"));
}

// A kill after each durable step: before the journal, after it, after the record, after
// each file. 恢复原波速 then gives every test file back byte for byte.
TEST_F(FolderCalibrationTest, AKillAtAnyStepIsUndoneByRestore)
{
    const CalibrationPlan plan = Plan();
    const int files = static_cast<int>(plan.journal.files.size());
    ASSERT_EQ(files, 4);
    struct Step
    {
        CalibrationStage stage;
        int done;
    };
    std::vector<Step> steps{{CalibrationStage::Start, 0},
                            {CalibrationStage::Journal, 0},
                            {CalibrationStage::Record, 0}};
    for (int k = 1; k <= files; ++k)
        steps.push_back({CalibrationStage::FileWritten, k});

    for (const Step& step : steps) {
        const std::string row =
            std::to_string(static_cast<int>(step.stage)) + "/" + std::to_string(step.done);
        for (auto it = m_Original.cbegin(); it != m_Original.cend(); ++it)
            ASSERT_TRUE(WriteNative(NativeDir() + '/' + it.key(), it.value()));
        QFile::remove(m_dir.filePath(kSiteFileName));

        const test::ChildRun run = test::RunWithFileSizeLimit(RLIM_INFINITY, [&] {
            SiteStore store(m_dir.path());
            ApplyFolderCalibration(store, plan, [&](CalibrationStage s, int done, int) {
                if (s == step.stage && done == step.done)
                    ::raise(SIGKILL);
                return true;
            });
            return QByteArray("not killed");
        });
        ASSERT_FALSE(run.exited) << row;
        // As far as it got: the files written so far carry the new speed.
        int written = 0;
        for (const JournalEntry& e : plan.journal.files)
            written += FileHash(ReadNative(NativeDir() + '/' + e.nativeName)) == e.after;
        EXPECT_EQ(written, step.done) << row;
        // The record is in the site file before the first test file changes.
        const bool recorded =
            step.stage == CalibrationStage::Record || step.stage == CalibrationStage::FileWritten;
        EXPECT_EQ(SiteStore(m_dir.path()).Site().calibration.has_value(), recorded) << row;
        EXPECT_EQ(HasCalibrationToRestore(m_dir.path()), step.stage != CalibrationStage::Start)
            << row;

        SiteStore store(m_dir.path());
        const RestoreOutcome r = RestoreFolderCalibration(store);
        if (step.stage == CalibrationStage::Start) {
            EXPECT_EQ(r.error, QStringLiteral("没有可恢复的波速标定")) << row;
        } else {
            EXPECT_TRUE(r.error.isEmpty()) << row;
            EXPECT_FALSE(r.HasFailures()) << row;
            EXPECT_EQ(r.restored.size(), step.done) << row;
        }
        EXPECT_EQ(Tests(), m_Original) << row;
        EXPECT_FALSE(HasCalibrationToRestore(m_dir.path())) << row;
        EXPECT_FALSE(SiteStore(m_dir.path()).Site().calibration.has_value()) << row;
    }
}

TEST_F(FolderCalibrationTest, RestoreLeavesAFileChangedSinceAloneAndListsIt)
{
    SiteStore store(m_dir.path());
    ASSERT_EQ(ApplyFolderCalibration(store, Plan()).changed.size(), 4);
    // Graded again by somebody after the calibration.
    QByteArray changed = test::ReadBytes(Path("MG0002.mg"));
    TestRecord t;
    ASSERT_TRUE(t.LoadFromBytes(changed));
    t.m_nGrade[0] = 3;
    PatchResults(changed, AnalysisAtWaveSpeed(t, 4127));
    ASSERT_TRUE(test::WriteBytes(Path("MG0002.mg"), changed));

    const RestoreOutcome r = RestoreFolderCalibration(store);
    EXPECT_EQ(r.restored, (QStringList{"MG0001.mg", "MG0003.mg", "测试.mg"}));
    ASSERT_EQ(r.unchanged.size(), 1);
    EXPECT_EQ(r.unchanged[0], (FileOutcome{"MG0002.mg", "标定后已被修改，未恢复", true}));
    EXPECT_EQ(test::ReadBytes(Path("MG0002.mg")), changed);
    QMap<QByteArray, QByteArray> expected = m_Original;
    expected["MG0002.mg"] = changed;
    EXPECT_EQ(Tests(), expected);
}

// 取消 at any point takes back what was written: the files, the journal and the record
// are as before, also the journal of an earlier calibration.
TEST_F(FolderCalibrationTest, ACancelledCalibrationRecordsNothing)
{
    SiteStore store(m_dir.path());
    ASSERT_FALSE(ApplyFolderCalibration(store, Plan(4000)).changed.isEmpty());
    const QMap<QByteArray, QByteArray> earlier = Snapshot();
    for (const CalibrationStage stage : {CalibrationStage::Start, CalibrationStage::Journal,
                                         CalibrationStage::Record, CalibrationStage::FileWritten}) {
        const CalibrationOutcome r =
            ApplyFolderCalibration(store, Plan(), [stage](CalibrationStage s, int done, int) {
                return !(s == stage && done <= 2);
            });
        EXPECT_TRUE(r.cancelled) << static_cast<int>(stage);
        EXPECT_TRUE(r.changed.isEmpty());
        EXPECT_EQ(Snapshot(), earlier) << static_cast<int>(stage);
    }
    EXPECT_EQ(SiteStore(m_dir.path()).Site().calibration->waveSpeed, 4000);
    RestoreFolderCalibration(store);
    EXPECT_EQ(Tests(), m_Original);
}

// The last calibration is taken back to the folder as the one before left it, with that
// one's record.
TEST_F(FolderCalibrationTest, TakingBackASecondCalibrationLeavesTheFirst)
{
    SiteStore store(m_dir.path());
    ApplyFolderCalibration(store, Plan(4000));
    const QMap<QByteArray, QByteArray> first = Tests();
    ApplyFolderCalibration(store, Plan(4127));
    const RestoreOutcome r = RestoreFolderCalibration(store);
    EXPECT_FALSE(r.HasFailures());
    EXPECT_EQ(Tests(), first);
    EXPECT_EQ(SiteStore(m_dir.path()).Site().calibration->waveSpeed, 4000);
    EXPECT_FALSE(HasCalibrationToRestore(m_dir.path()));
}

// The site file cannot keep the record: nothing is written, not even the journal.
TEST_F(FolderCalibrationTest, NothingIsWrittenWhileTheSiteFileCannotBeRead)
{
    ASSERT_TRUE(test::HostileSites()[6].make(m_dir.path())); // a trailing comma
    const QMap<QByteArray, QByteArray> before = Snapshot();
    SiteStore store(m_dir.path());
    const CalibrationOutcome r = ApplyFolderCalibration(store, Plan());
    EXPECT_EQ(r.error, store.Warning());
    EXPECT_TRUE(r.changed.isEmpty());
    EXPECT_EQ(Snapshot(), before);
}

// A journal names files of its own folder only: one that leads elsewhere is no journal.
TEST_F(FolderCalibrationTest, AJournalThatLeadsOutOfTheFolderRestoresNothing)
{
    SiteStore store(m_dir.path());
    ApplyFolderCalibration(store, Plan());
    const QString journal = m_dir.filePath(kCalibrationJournalName);
    for (const QByteArray& name :
         {QByteArray("2e2e2f4d47303030312e6d67"), QByteArray("2e2e"), QByteArray("")}) {
        QByteArray text = test::ReadBytes(journal);
        text.replace("4d47303030312e6d67", name); // MG0001.mg
        ASSERT_TRUE(test::WriteBytes(journal, text));
        const QMap<QByteArray, QByteArray> before = Snapshot();
        const RestoreOutcome r = RestoreFolderCalibration(store);
        EXPECT_TRUE(r.error.contains(QStringLiteral("无法读取"))) << r.error.toStdString();
        EXPECT_EQ(Snapshot(), before);
        text.replace(name, "4d47303030312e6d67");
        ASSERT_TRUE(test::WriteBytes(journal, text));
    }
}

TEST(CalibrationJournalTest, ChangedBytesGoForthAndBack)
{
    const QByteArray before = "abcdefghijklmnopqrstuvwxyz";
    const struct
    {
        QByteArray after;
        QList<ByteChange> changes;
    } rows[] = {
        {"abcdefghijklmnopqrstuvwxyz", {}},
        {"Xbcdefghijklmnopqrstuvwxyz", {{0, "a", "X"}}},
        {"abcdefghijklmnopqrstuvwxyZ", {{25, "z", "Z"}}},
        {"aXcdefghiXklmnopqrstuvwxyz", {{1, "bcdefghij", "XcdefghiX"}}}, // 8 apart: one run
        {"aXcdefghijXlmnopqrstuvwxyz", {{1, "b", "X"}, {10, "k", "X"}}}, // 9 apart: two
    };
    for (const auto& row : rows) {
        EXPECT_EQ(DiffBytes(before, row.after), row.changes) << row.after.constData();
        QByteArray bytes = before;
        ASSERT_TRUE(PatchChanges(bytes, row.changes, true));
        EXPECT_EQ(bytes, row.after);
        ASSERT_TRUE(PatchChanges(bytes, row.changes, false));
        EXPECT_EQ(bytes, before);
    }
    QByteArray shorter = "abc";
    EXPECT_FALSE(PatchChanges(shorter, {{2, "cd", "XY"}}, true));
    EXPECT_EQ(shorter, QByteArray("abc"));
}

} // namespace
} // namespace rovana
