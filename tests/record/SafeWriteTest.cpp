// The writers under real faults: a file-size limit in a child process (EFBIG, as a full
// disk), a failing sync, a folder without write access. The old file must stay
// byte-identical, the error must be reported, and no temporary file may remain.
#include "AnalysisSave.h"
#include "FileIdentity.h"
#include "MgFileIo.h"
#include "PosixTestSupport.h"
#include "ProjectInfoSave.h"
#include "SafeFileWriter.h"
#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <functional>

namespace rovana {
namespace {

using Writer = std::function<WriteResult(const QString& folder, const WriteOptions&)>;

struct WriterRow
{
    const char* name;
    Writer write;
};

QByteArray Encode(const WriteResult& r)
{
    return QByteArray::number(static_cast<int>(r.status)) + '|' + QByteArray::number(r.error) +
           '|' + r.message().toUtf8();
}

WriteResult Decode(const QByteArray& b)
{
    const QList<QByteArray> parts = b.split('|');
    if (parts.size() != 3)
        return {WriteStatus::Ok, QStringLiteral("no report from the child"), -1};
    return {static_cast<WriteStatus>(parts[0].toInt()), QString::fromUtf8(parts[2]),
            parts[1].toInt()};
}

AnalysisValues SomeAnalysis()
{
    AnalysisValues v;
    v.channels[0].markerSet = {true, true, true, false, false};
    v.channels[0].markerPos = {10, 60, 300, 0, 0};
    v.activeChannel = 2;
    v.waveSpeed = 4100;
    return v;
}

ProjectInfoValues SomeProjectInfo()
{
    ProjectInfoValues v;
    v.title = kReportTitle;
    v.projectName = QStringLiteral("城西快速路");
    v.reportChannel = 1;
    return v;
}

// Each writer replaces "t.mg" of the folder (the file the test watches).
const WriterRow kWriters[] = {
    {"WriteWholeFileSafely",
     [](const QString& f, const WriteOptions& o) {
         return WriteWholeFileSafely(f + "/t.mg", QByteArray(20000, 'n'), o);
     }},
    {"SaveAnalysis onto the source",
     [](const QString& f, const WriteOptions& o) {
         return SaveAnalysis(f + "/t.mg", f + "/t.mg", SomeAnalysis(), o);
     }},
    {"SaveAnalysis onto another file",
     [](const QString& f, const WriteOptions& o) {
         return SaveAnalysis(f + "/source.mg", f + "/t.mg", SomeAnalysis(), o);
     }},
    {"SaveProjectInfo",
     [](const QString& f, const WriteOptions& o) {
         return SaveProjectInfo(f + "/t.mg", SomeProjectInfo(), o);
     }},
};

class SafeWriteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_original = ComposeInstrumentFile(test::SampleRecord());
        QByteArray source = m_original;
        source[600] = 'S'; // the copy's source differs from the target
        ASSERT_TRUE(test::WriteBytes(path(), m_original));
        ASSERT_TRUE(test::WriteBytes(m_dir.filePath("source.mg"), source));
        m_entries = test::FolderEntries(m_dir.path());
    }
    QString path() const { return m_dir.filePath("t.mg"); }

    void ExpectUntouched(const char* what)
    {
        EXPECT_EQ(test::ReadBytes(path()), m_original) << what;
        EXPECT_EQ(test::FolderEntries(m_dir.path()), m_entries) << what;
    }

    QTemporaryDir m_dir;
    QByteArray m_original;
    QStringList m_entries;
};

TEST_F(SafeWriteTest, FullDiskLeavesTheOldFileAndSaysSo)
{
    for (const bool unnamed : {true, false}) {
        for (const WriterRow& row : kWriters) {
            SCOPED_TRACE(::testing::Message() << row.name << (unnamed ? " O_TMPFILE" : " named"));
            const QString folder = m_dir.path();
            // Room for 8 KiB: the new 13312 bytes cannot be written.
            const test::ChildRun run = test::RunWithFileSizeLimit(8192, [&] {
                WriteOptions options;
                options.unnamedTemporary = unnamed;
                return Encode(row.write(folder, options));
            });
            ASSERT_TRUE(run.exited);
            const WriteResult r = Decode(run.report);
            EXPECT_EQ(r.status, WriteStatus::CannotCreate);
            EXPECT_EQ(r.error, EFBIG);
            EXPECT_EQ(r.detail, QStringLiteral("磁盘已满，无法创建文件"));
            ExpectUntouched(row.name);
        }
    }
}

TEST_F(SafeWriteTest, FailedSyncLeavesTheOldFileAndSaysSo)
{
    for (const bool unnamed : {true, false}) {
        for (const WriterRow& row : kWriters) {
            SCOPED_TRACE(::testing::Message() << row.name << (unnamed ? " O_TMPFILE" : " named"));
            WriteOptions options;
            options.unnamedTemporary = unnamed;
            options.syncFile = test::FailingSync;
            const WriteResult r = row.write(m_dir.path(), options);
            EXPECT_EQ(r.status, WriteStatus::CannotCreate);
            EXPECT_EQ(r.error, EIO);
            EXPECT_EQ(r.message(), QStringLiteral("无法创建文件"));
            ExpectUntouched(row.name);
        }
    }
}

TEST_F(SafeWriteTest, FailedFolderSyncIsReportedAndLeavesNoTemporaryFile)
{
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "O_TMPFILE" : "named");
        WriteOptions options;
        options.unnamedTemporary = unnamed;
        options.syncFolder = test::FailingSync;
        const QByteArray next(20000, unnamed ? 'u' : 'n');
        const WriteResult r = WriteWholeFileSafely(path(), next, options);
        // The rename happened but is not known to be durable: not a save to confirm.
        EXPECT_EQ(r.status, WriteStatus::CannotCreate);
        EXPECT_EQ(r.error, EIO);
        EXPECT_EQ(test::ReadBytes(path()), next);
        EXPECT_EQ(test::FolderEntries(m_dir.path()), m_entries);
    }
}

TEST_F(SafeWriteTest, InterruptedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "O_TMPFILE" : "named");
        {
            WriteOptions options;
            options.unnamedTemporary = unnamed;
            SafeFileWriter writer(path(), options);
            ASSERT_TRUE(writer.open());
            ASSERT_TRUE(writer.write(QByteArray(5000, 'p')));
            // Destroyed before commit, as when the save is abandoned half-way.
        }
        ExpectUntouched("abandoned");
    }
}

TEST_F(SafeWriteTest, ReplacingKeepsPermissionBitsAndLinks)
{
    struct Row
    {
        mode_t mode;
        bool unnamed;
    };
    for (const Row& row : {Row{0640, true}, Row{0640, false}, Row{0604, true}, Row{0755, false}}) {
        SCOPED_TRACE(::testing::Message()
                     << std::oct << row.mode << (row.unnamed ? " O_TMPFILE" : " named"));
        ASSERT_EQ(::chmod(path().toLocal8Bit().constData(), row.mode), 0);
        WriteOptions options;
        options.unnamedTemporary = row.unnamed;
        const QByteArray next(14000, static_cast<char>('a' + row.mode % 7));
        ASSERT_TRUE(WriteWholeFileSafely(path(), next, options));
        EXPECT_EQ(test::ReadBytes(path()), next);
        struct stat st;
        ASSERT_EQ(::stat(path().toLocal8Bit().constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, row.mode);
        EXPECT_EQ(test::FolderEntries(m_dir.path()), m_entries);
    }

    // A new file gets the usual mode (0666 less the umask).
    const mode_t mask = ::umask(022);
    ::umask(mask);
    for (const bool unnamed : {true, false}) {
        const QString fresh = m_dir.filePath(unnamed ? "new1.mg" : "new2.mg");
        WriteOptions options;
        options.unnamedTemporary = unnamed;
        ASSERT_TRUE(WriteWholeFileSafely(fresh, "abc", options));
        struct stat st;
        ASSERT_EQ(::stat(fresh.toLocal8Bit().constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask);
        EXPECT_EQ(test::ReadBytes(fresh), "abc");
    }

    // Saving through a symbolic link replaces the file it points to and keeps the link.
    const QString link = m_dir.filePath("link.mg");
    ASSERT_EQ(::symlink("t.mg", link.toLocal8Bit().constData()), 0);
    ASSERT_TRUE(SaveAnalysis(link, link, SomeAnalysis()));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(test::ReadBytes(link), test::ReadBytes(path()));
    EXPECT_NE(test::ReadBytes(path()).left(4), m_original.left(4));
}

// A file the program owns by name is never written through a link, of one step or a
// chain, for either kind of temporary file: the link and what it leads to stay.
TEST_F(SafeWriteTest, RefusingLinksLeavesLinkAndTargetAsTheyWere)
{
    ASSERT_EQ(::symlink("t.mg", m_dir.filePath("one.json").toLocal8Bit().constData()), 0);
    ASSERT_EQ(::symlink("one.json", m_dir.filePath("two.json").toLocal8Bit().constData()), 0);
    const QStringList before = test::FolderEntries(m_dir.path());
    for (const bool unnamed : {true, false}) {
        for (const char* name : {"one.json", "two.json"}) {
            WriteOptions options;
            options.refuseLinks = true;
            options.unnamedTemporary = unnamed;
            const WriteResult r = WriteWholeFileSafely(m_dir.filePath(name), "{}", options);
            EXPECT_EQ(r.status, WriteStatus::CannotCreate) << name;
            EXPECT_EQ(r.error, ELOOP);
            EXPECT_TRUE(QFileInfo(m_dir.filePath(name)).isSymLink());
            EXPECT_EQ(test::ReadBytes(path()), m_original);
            EXPECT_EQ(test::FolderEntries(m_dir.path()), before);
        }
        WriteOptions options;
        options.refuseLinks = true;
        options.unnamedTemporary = unnamed;
        ASSERT_TRUE(WriteWholeFileSafely(m_dir.filePath("own.json"), "{}", options)); // a new file
        ASSERT_TRUE(WriteWholeFileSafely(m_dir.filePath("own.json"), "[]", options)); // replaced
        EXPECT_EQ(test::ReadBytes(m_dir.filePath("own.json")), "[]");
        QFile::remove(m_dir.filePath("own.json"));
    }
}

TEST_F(SafeWriteTest, TargetsThatAreNoRegularFilesAreRefusedWithoutBlocking)
{
    const QString fifo = m_dir.filePath("fifo.mg");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0644), 0);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.mg"));
    const QString dangling = m_dir.filePath("dangling.mg");
    ASSERT_EQ(::symlink("nowhere.mg", dangling.toLocal8Bit().constData()), 0);
    const QStringList before = test::FolderEntries(m_dir.path());
    for (const QString& target : {fifo, m_dir.filePath("folder.mg"), dangling}) {
        SCOPED_TRACE(target.toStdString());
        const WriteResult r = SaveAnalysis(path(), target, SomeAnalysis());
        EXPECT_EQ(r.status, WriteStatus::CannotCreate);
        EXPECT_EQ(r.message(), QStringLiteral("无法创建文件"));
        // Reading one as a source is refused too, again without blocking.
        EXPECT_EQ(SaveAnalysis(target, m_dir.filePath("copy.mg"), SomeAnalysis()).status,
                  WriteStatus::CannotRead);
    }
    EXPECT_EQ(test::FolderEntries(m_dir.path()), before);
    struct stat st;
    ASSERT_EQ(::lstat(fifo.toLocal8Bit().constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(SafeWriteTest, FolderWithoutWriteAccessLeavesTheOldFileAndSaysSo)
{
    // The file itself is writable; the folder, where the temporary file must go, is not.
    // The superuser ignores permissions, so the write runs as nobody then.
    ASSERT_EQ(::chmod(m_dir.path().toLocal8Bit().constData(), 0555), 0);
    ASSERT_EQ(::chmod(path().toLocal8Bit().constData(), 0666), 0);
    const QString folder = m_dir.path();
    const test::ChildRun run = test::RunWithFileSizeLimit(RLIM_INFINITY, [&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return QByteArray("no nobody");
        return Encode(WriteWholeFileSafely(folder + "/t.mg", QByteArray(20000, 'n')));
    });
    ::chmod(m_dir.path().toLocal8Bit().constData(), 0700);
    ASSERT_TRUE(run.exited);
    const WriteResult r = Decode(run.report);
    EXPECT_EQ(r.status, WriteStatus::CannotCreate);
    EXPECT_EQ(r.error, EACCES);
    EXPECT_EQ(r.detail, QStringLiteral("没有写入权限，无法创建文件"));
    ExpectUntouched("read-only folder");
}

// Sets a file's modification time `seconds` into the past; the link itself for a link.
void Age(const QString& path, int seconds)
{
    const timespec times[2] = {{::time(nullptr) - seconds, 0}, {::time(nullptr) - seconds, 0}};
    ASSERT_EQ(
        ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

TEST_F(SafeWriteTest, LeftoversOfKilledWritesGoOnTheNextWriteIntoTheFolder)
{
    // A write in use, through a named temporary file that looks an hour old.
    WriteOptions named;
    named.unnamedTemporary = false;
    SafeFileWriter inUse(m_dir.filePath("source.mg"), named);
    ASSERT_TRUE(inUse.open() && inUse.write("in use"));
    QStringList own = test::FolderEntries(m_dir.path());
    own.removeIf([this](const QString& e) { return m_entries.contains(e); });
    ASSERT_EQ(own.size(), 1);
    struct Row
    {
        QString name;
        int age; // seconds since the last write
        bool removed;
    };
    const Row rows[] = {
        {".rovana-a1b2c3d4e5.tmp", 11, true},  // ours, unlocked, just old enough
        {".rovana-fresh00000.tmp", 2, false},  // may be a writer between open and flock
        {own[0], 3600, false},                 // locked by its writer
        {".rovana-ABCDEFGHIJ.tmp", 60, false}, // not our pattern
        {".rovana-a1b2c3d4e.tmp", 60, false},
        {".rovana-link000000.tmp", 60, false}, // a link to t.mg
    };
    const QDir dir(m_dir.path());
    for (const Row& row : rows) {
        const QString at = dir.filePath(row.name);
        ASSERT_TRUE(row.name == own[0] ||
                    (row.name.contains("link") ? QFile::link(path(), at)
                                               : test::WriteBytes(at, "left over")));
        Age(at, row.age);
    }
    ASSERT_TRUE(WriteWholeFileSafely(m_dir.filePath("new.mg"), "new"));
    for (const Row& row : rows)
        EXPECT_EQ(QFileInfo::exists(dir.filePath(row.name)), !row.removed)
            << row.name.toStdString();
    ASSERT_TRUE(inUse.commit());
    EXPECT_EQ(test::ReadBytes(m_dir.filePath("source.mg")), "in use");
}

// A writer stalled between closing its complete temporary file and renaming it still holds
// the lock: another writer's clean-up in the same folder leaves the file alone however old
// it looks, and the stalled write completes. Both roads to the rename: a named temporary
// file, and an unnamed one linked in under a temporary name to replace an existing target.
TEST_F(SafeWriteTest, AStalledWriterKeepsItsTemporaryFileUntilTheRename)
{
    for (const bool unnamed : {false, true}) {
        SCOPED_TRACE(unnamed ? "O_TMPFILE" : "named");
        WriteOptions options;
        options.unnamedTemporary = unnamed;
        QString stalled;
        options.beforeRename = [&](const QByteArray& temporary) {
            stalled = QFile::decodeName(temporary);
            Age(stalled, 3600); // as old as a leftover of a killed write
            EXPECT_TRUE(WriteWholeFileSafely(m_dir.filePath("other.mg"), "other"));
            EXPECT_TRUE(QFileInfo::exists(stalled)) << "taken by the other writer's clean-up";
        };
        const QByteArray next(14000, unnamed ? 'u' : 'n');
        EXPECT_TRUE(WriteWholeFileSafely(path(), next, options));
        EXPECT_FALSE(stalled.isEmpty());
        EXPECT_EQ(test::ReadBytes(path()), next);
        ASSERT_TRUE(QFile::remove(m_dir.filePath("other.mg")));
        EXPECT_EQ(test::FolderEntries(m_dir.path()), m_entries); // no temporary file left
    }
}

// What commit() says it put in place is what a read of the file then finds: size, time and
// hash, for each road (replacing through a named or an unnamed file, creating a file).
TEST_F(SafeWriteTest, TheCommittedIdentityIsTheFileAsItLies)
{
    struct Row
    {
        const char* name;
        const char* target;
        bool unnamed;
    };
    for (const Row& row : {Row{"named", "t.mg", false}, Row{"O_TMPFILE", "t.mg", true},
                           Row{"new, O_TMPFILE", "fresh.mg", true}}) {
        SCOPED_TRACE(row.name);
        WriteOptions options;
        options.unnamedTemporary = row.unnamed;
        FileIdentity told;
        options.committed = [&told](const FileIdentity& written) { told = written; };
        const QString target = m_dir.filePath(row.target);
        const QByteArray next = QByteArray(9000, 'a') + row.name;
        ASSERT_TRUE(WriteWholeFileSafely(target, next, options));
        const FileIdentity read = IdentityOf(ReadRegularFile(target, 1 << 20));
        EXPECT_EQ(told.size, next.size());
        EXPECT_EQ(told.hash, QCryptographicHash::hash(next, kFileHash));
        EXPECT_EQ(told, read);
    }
}

TEST(WriteResultTest, MessageSaysWhyWhereItCan)
{
    struct Row
    {
        WriteStatus status;
        int error;
        const char* message;
    };
    const Row rows[] = {
        {WriteStatus::Ok, 0, ""},
        {WriteStatus::CannotRead, ENOENT, "无法读取文件"},
        {WriteStatus::CannotCreate, 0, "无法创建文件"},
        {WriteStatus::CannotCreate, EIO, "无法创建文件"},
        {WriteStatus::CannotCreate, ENOENT, "无法创建文件"},
        {WriteStatus::CannotCreate, ENOSPC, "磁盘已满，无法创建文件"},
        {WriteStatus::CannotCreate, EFBIG, "磁盘已满，无法创建文件"},
        {WriteStatus::CannotCreate, EDQUOT, "磁盘已满，无法创建文件"},
        {WriteStatus::CannotCreate, EACCES, "没有写入权限，无法创建文件"},
        {WriteStatus::CannotCreate, EPERM, "没有写入权限，无法创建文件"},
        {WriteStatus::CannotCreate, EROFS, "没有写入权限，无法创建文件"},
    };
    for (const Row& row : rows) {
        const WriteResult r{row.status, QStringLiteral("detail"), row.error};
        EXPECT_EQ(r.message(), QString::fromUtf8(row.message)) << row.error;
    }
}

} // namespace
} // namespace rovana
