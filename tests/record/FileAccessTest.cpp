// What counts as a test file, reads that never block, and names in code page 936.
#include "AnalysisSave.h"
#include "AnsiCodec.h"
#include "MgFileIo.h"
#include "NativePath.h"
#include "PosixTestSupport.h"
#include "ProjectInfoSave.h"
#include "TestFileCheck.h"
#include "TestFiles.h"
#include "TestRecord.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

namespace rovana {
namespace {

// "测试.mg" in code page 936: not valid UTF-8.
const QByteArray kGbkName("\xB2\xE2\xCA\xD4.mg");
const QString kGbkShown = QStringLiteral("测试.mg");

// Creates a file under its raw name bytes, as unzip does with a Windows archive.
bool WriteRaw(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
    return ::close(fd) == 0 && ok;
}

QByteArray ReadRaw(const QByteArray& path)
{
    QByteArray out;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return out;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    ::close(fd);
    return out;
}

class FileAccessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path();
        m_native = m_folder.toUtf8();
        m_bytes = ComposeInstrumentFile(test::SampleRecord());
    }
    // QTemporaryDir cannot remove names that are not UTF-8.
    void TearDown() override { test::RemoveTree(m_native); }
    QByteArray raw(const QByteArray& name) const { return m_native + '/' + name; }

    QTemporaryDir m_dir;
    QString m_folder;
    QByteArray m_native;
    QByteArray m_bytes;
};

TEST_F(FileAccessTest, CheckTellsEveryKindOfPathApart)
{
    ASSERT_TRUE(WriteRaw(raw("ok.mg"), m_bytes));
    ASSERT_TRUE(WriteRaw(raw("empty.mg"), {}));
    ASSERT_EQ(::mkfifo(raw("x.mg").constData(), 0644), 0);
    ASSERT_EQ(::mkdir(raw("folder.mg").constData(), 0755), 0);
    ASSERT_EQ(::symlink("ok.mg", raw("link.mg").constData()), 0);
    ASSERT_EQ(::symlink("gone.mg", raw("dangling.mg").constData()), 0);
    struct Row
    {
        QString path;
        TestFileCheck check;
    };
    const Row rows[] = {
        {m_folder + "/ok.mg", TestFileCheck::Ok},
        {m_folder + "/link.mg", TestFileCheck::Ok},
        {m_folder + "/empty.mg", TestFileCheck::Empty},
        {m_folder + "/x.mg", TestFileCheck::NotRegular},
        {m_folder + "/folder.mg", TestFileCheck::NotRegular},
        {"/dev/null", TestFileCheck::NotRegular},
        {m_folder + "/missing.mg", TestFileCheck::Missing},
        {m_folder + "/dangling.mg", TestFileCheck::Missing},
        {m_folder + "/ok.mg/below.mg", TestFileCheck::Missing},
        {QString(), TestFileCheck::Missing},
    };
    for (const Row& row : rows)
        EXPECT_EQ(CheckTestFile(row.path), row.check) << row.path.toStdString();
}

TEST_F(FileAccessTest, FifoIsRefusedAtOnceAndLeavesTheRecordAsItWas)
{
    const QString fifo = m_folder + "/x.mg";
    ASSERT_EQ(::mkfifo(fifo.toUtf8().constData(), 0644), 0);
    TestRecord d;
    d.m_nSampleCount = 77;
    d.m_strProject = QStringLiteral("before");
    const TestRecord before = d;
    auto load = std::async(std::launch::async, [&] { return d.Load(fifo); });
    if (load.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Release the blocked open so the test can end, then fail.
        const int fd = ::open(fifo.toUtf8().constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        FAIL() << "Load blocked on a FIFO";
    }
    const LoadResult r = load.get();
    EXPECT_EQ(r.status, LoadStatus::CannotOpen);
    EXPECT_EQ(r.message(), QStringLiteral("无法读取文件"));
    EXPECT_EQ(d, before);
    EXPECT_FALSE(ReadWholeTestFile(fifo));
    EXPECT_EQ(d.Load("/dev/zero").status, LoadStatus::CannotOpen);
    EXPECT_EQ(d, before);
}

TEST_F(FileAccessTest, ListingKeepsOnlyRegularMgFilesSortedByName)
{
    ASSERT_TRUE(WriteRaw(raw("b.mg"), m_bytes));
    ASSERT_TRUE(WriteRaw(raw("A.MG"), m_bytes));
    ASSERT_TRUE(WriteRaw(raw(".hidden.mg"), m_bytes));
    ASSERT_TRUE(WriteRaw(raw("notes.txt"), "x"));
    ASSERT_TRUE(WriteRaw(raw("mg"), "x"));
    ASSERT_EQ(::mkfifo(raw("x.mg").constData(), 0644), 0);
    ASSERT_EQ(::mkdir(raw("folder.mg").constData(), 0755), 0);
    ASSERT_EQ(::symlink("b.mg", raw("link.mg").constData()), 0);
    ASSERT_EQ(::symlink("gone.mg", raw("dangling.mg").constData()), 0);
    ASSERT_EQ(::symlink("folder.mg", raw("dirlink.mg").constData()), 0);
    ASSERT_TRUE(WriteRaw(raw(kGbkName), m_bytes));

    QStringList names, paths;
    for (const FolderEntry& e : ListTestFiles(m_folder)) {
        names.append(e.name);
        paths.append(e.path);
    }
    const QStringList expected{".hidden.mg", "A.MG", "b.mg", "link.mg", kGbkShown};
    EXPECT_EQ(names, expected);
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(paths.value(i), m_folder + '/' + expected[i]);
}

TEST_F(FileAccessTest, GbkNamedFileIsShownDecodedOpenedAndSavedUnderItsOwnName)
{
    ASSERT_TRUE(WriteRaw(raw(kGbkName), m_bytes));
    const QList<FolderEntry> files = ListTestFiles(m_folder);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0].name, kGbkShown);
    EXPECT_EQ(files[0].native, kGbkName);
    const QString path = files[0].path;
    EXPECT_EQ(NativePath(path), raw(kGbkName));
    EXPECT_EQ(CheckTestFile(path), TestFileCheck::Ok);

    TestRecord d;
    ASSERT_TRUE(d.Load(path));
    EXPECT_EQ(d.m_nSampleCount, test::SampleRecord().sampleCount);

    ProjectInfoValues info;
    info.title = kReportTitle;
    info.projectName = QStringLiteral("城西快速路");
    ASSERT_TRUE(SaveProjectInfo(path, info));
    AnalysisValues analysis;
    analysis.waveSpeed = 4321;
    ASSERT_TRUE(SaveAnalysis(path, path, analysis));
    // Still one file, under the same bytes, now with both saves in it.
    ASSERT_EQ(ListFolder(m_folder).size(), 1);
    EXPECT_EQ(ListFolder(m_folder)[0].native, kGbkName);
    TestRecord saved;
    ASSERT_TRUE(saved.Load(path));
    EXPECT_EQ(saved.m_strProjectName, info.projectName);
    EXPECT_EQ(saved.m_nWaveSpeed, 4321);
    EXPECT_EQ(ReadRaw(raw(kGbkName)).size(), m_bytes.size());
}

TEST_F(FileAccessTest, NamesThatNeitherCodeReadsAndTwinNamesStayDistinct)
{
    // Not UTF-8 and not code page 936; and a UTF-8 twin of the GBK name.
    const QByteArray odd("\xFF\xFE.mg");
    ASSERT_TRUE(WriteRaw(raw(odd), m_bytes));
    QByteArray gbk = m_bytes;
    gbk[600] = 'G';
    ASSERT_TRUE(WriteRaw(raw(kGbkName), gbk));
    QByteArray utf8 = m_bytes;
    utf8[600] = 'U';
    ASSERT_TRUE(WriteRaw(raw(kGbkShown.toUtf8()), utf8));

    const QList<FolderEntry> files = ListTestFiles(m_folder);
    ASSERT_EQ(files.size(), 3);
    QList<QByteArray> natives;
    for (const FolderEntry& e : files) {
        SCOPED_TRACE(e.native.toHex().toStdString());
        natives.append(e.native);
        // Each path leads back to its own bytes, and so to its own content.
        EXPECT_EQ(NativePath(e.path), raw(e.native));
        EXPECT_EQ(ReadWholeTestFile(e.path).value_or(QByteArray()), ReadRaw(raw(e.native)));
        EXPECT_EQ(PathFromNative(raw(e.native)), e.path);
    }
    EXPECT_TRUE(natives.contains(odd));
    EXPECT_TRUE(natives.contains(kGbkName));
    EXPECT_TRUE(natives.contains(kGbkShown.toUtf8()));
    const auto oddEntry = std::find_if(files.begin(), files.end(),
                                       [&](const FolderEntry& e) { return e.native == odd; });
    EXPECT_EQ(oddEntry->name, QStringLiteral("\uFFFD\uFFFD.mg"));
}

TEST_F(FileAccessTest, FolderNamedInCodePage936)
{
    const QByteArray folder = raw("\xB9\xA4\xB3\xCC"); // "工程"
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    ASSERT_TRUE(WriteRaw(folder + "/a.mg", m_bytes));
    const QString path = PathFromNative(folder + "/a.mg");
    EXPECT_EQ(path, m_folder + QStringLiteral("/工程/a.mg"));
    EXPECT_EQ(NativePath(path), folder + "/a.mg");
    TestRecord d;
    EXPECT_TRUE(d.Load(path));
    ASSERT_EQ(ListTestFiles(m_folder + QStringLiteral("/工程")).size(), 1);
    // A new file in it is created inside that folder, with a UTF-8 name.
    ASSERT_TRUE(WriteWholeFileSafely(m_folder + QStringLiteral("/工程/新.mg"), m_bytes));
    EXPECT_EQ(ReadRaw(folder + "/" + QStringLiteral("新.mg").toUtf8()), m_bytes);
}

// A folder another user made, mode 744: it can be listed but not entered. Its tests are
// listed all the same (the file tree and the summary show them), and each load says why it
// cannot be read. Run by nobody when the tests run as the superuser, whom permissions do
// not stop; by the owner of a folder of mode 644 otherwise.
TEST_F(FileAccessTest, TestsOfAFolderThatCannotBeEnteredAreListedAndSayWhy)
{
    const bool root = ::geteuid() == 0;
    const QByteArray site = raw("site");
    ASSERT_EQ(::chmod(raw("").constData(), 0755), 0);
    ASSERT_EQ(::mkdir(site.constData(), 0755), 0);
    for (const char* name : {"/a.mg", "/B.MG", "/notes.txt"})
        ASSERT_TRUE(WriteRaw(site + name, m_bytes));
    ASSERT_EQ(::chmod(site.constData(), root ? 0744 : 0644), 0);
    const QString folder = m_folder + QStringLiteral("/site");
    const test::ChildRun run = test::RunWithFileSizeLimit(RLIM_INFINITY, [&] {
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            return QByteArray("no nobody");
        QStringList seen;
        int error = -1;
        for (const FolderEntry& e : ListTestFiles(folder, &error)) {
            TestRecord record;
            const LoadResult loaded = record.Load(e.path);
            seen << e.name + QLatin1Char(' ') + QString::number(static_cast<int>(e.kind)) +
                        QLatin1Char(' ') + loaded.described();
        }
        return (QString::number(error) + QLatin1Char('|') + seen.join(QLatin1Char('|'))).toUtf8();
    });
    ::chmod(site.constData(), 0755);
    ASSERT_TRUE(run.exited);
    const QString noAccess = QString::number(static_cast<int>(EntryKind::NoAccess));
    EXPECT_EQ(QString::fromUtf8(run.report).toStdString(),
              (QStringLiteral("0|B.MG ") + noAccess +
               QStringLiteral(" 无法读取文件（没有读取权限）|a.mg ") + noAccess +
               QStringLiteral(" 无法读取文件（没有读取权限）"))
                  .toStdString());
}

TEST(NativePathTest, PlainPathsPassThrough)
{
    for (const char* p : {"", "/", "a.mg", "./a.mg", "../x/a.mg", "/tmp//a.mg", "/no/such/测试.mg"})
        EXPECT_EQ(NativePath(QString::fromUtf8(p)), QByteArray(p)) << p;
    EXPECT_EQ(PathFromNative("/tmp/a.mg"), "/tmp/a.mg");
    EXPECT_EQ(DisplayName(QStringLiteral("测试.mg")), QStringLiteral("测试.mg"));
}

} // namespace
} // namespace rovana
