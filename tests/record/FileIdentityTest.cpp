// Whether the file on disk is still the one that was read: every way another program can
// change it, against the identity remembered from the read.
#include "FileIdentity.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

namespace rovana {
namespace {

// Sets a file's modification time to `ns` nanoseconds since 1970.
void SetModified(const QString& path, qint64 ns)
{
    const timespec t{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    const timespec times[2] = {t, t};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

TEST(FileIdentityTest, EveryChangeBehindTheReaderIsSeen)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("MG0003.mg");
    const QByteArray original = QByteArray(13312, 'x') + "tail";
    struct Row
    {
        const char* what;
        std::function<void()> change;
        DiskChange expected;
    };
    const auto rewrite = [&](const QByteArray& bytes) {
        ASSERT_TRUE(test::WriteBytes(path, bytes));
    };
    const auto keepTime = [&](const std::function<void()>& change, qint64 ns) {
        return [=] {
            change();
            SetModified(path, ns);
        };
    };
    const qint64 loadedAt = 1700000000LL * 1000000000 + 123456789;
    QByteArray oneByte = original;
    oneByte[600] = 'y';
    const Row rows[] = {
        {"nothing", [] {}, DiskChange::None},
        {"touched", [&] { SetModified(path, loadedAt + 1); }, DiskChange::Touched},
        {"the same bytes written again", [&] { rewrite(original); }, DiskChange::Touched},
        // Length and time as loaded: only the hash tells.
        {"one byte, time put back", keepTime([&] { rewrite(oneByte); }, loadedAt),
         DiskChange::Changed},
        {"one byte longer", keepTime([&] { rewrite(original + 'z'); }, loadedAt),
         DiskChange::Changed},
        {"one byte shorter", [&] { rewrite(original.chopped(1)); }, DiskChange::Changed},
        {"emptied", [&] { rewrite({}); }, DiskChange::Changed},
        {"replaced by a rename",
         [&] {
             ASSERT_TRUE(test::WriteBytes(dir.filePath("new"), oneByte));
             ASSERT_EQ(::rename(QFile::encodeName(dir.filePath("new")).constData(),
                                QFile::encodeName(path).constData()),
                       0);
         },
         DiskChange::Changed},
        {"removed", [&] { ASSERT_TRUE(QFile::remove(path)); }, DiskChange::Missing},
        {"renamed away", [&] { ASSERT_TRUE(QFile::rename(path, dir.filePath("elsewhere.mg"))); },
         DiskChange::Missing},
        {"a folder now",
         [&] {
             ASSERT_TRUE(QFile::remove(path));
             ASSERT_TRUE(QDir(dir.path()).mkdir("MG0003.mg"));
         },
         DiskChange::Unreadable},
        {"a FIFO now (no blocking)",
         [&] {
             ASSERT_TRUE(QFile::remove(path));
             ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
         },
         DiskChange::Unreadable},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QDir(dir.path()).rmdir("MG0003.mg");
        QFile::remove(path);
        QFile::remove(dir.filePath("elsewhere.mg"));
        ASSERT_TRUE(test::WriteBytes(path, original));
        SetModified(path, loadedAt);
        const RegularFileRead loaded = ReadRegularFile(path, 1 << 20);
        const FileIdentity remembered = IdentityOf(loaded);
        ASSERT_EQ(remembered.size, original.size());
        ASSERT_EQ(remembered.modified, loadedAt);
        row.change();
        const DiskCheck check = CheckAgainstDisk(remembered, path);
        EXPECT_EQ(check.change, row.expected);
        EXPECT_EQ(check.changedContent(),
                  row.expected != DiskChange::None && row.expected != DiskChange::Touched);
        if (row.expected == DiskChange::None || row.expected == DiskChange::Touched) {
            EXPECT_TRUE(check.now.sameContent(remembered));
        }
    }
}

TEST(FileIdentityTest, OnlyAWholeReadHasAnIdentity)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.mg");
    ASSERT_TRUE(test::WriteBytes(path, "0123456789"));
    EXPECT_TRUE(IdentityOf(ReadRegularFile(path, 10)).known());
    EXPECT_FALSE(IdentityOf(ReadRegularFile(path, 9)).known()); // stopped short of the end
    EXPECT_FALSE(IdentityOf(ReadRegularFile(dir.filePath("none.mg"), 10)).known());
    // Nothing remembered: nothing to compare, whatever lies there.
    EXPECT_EQ(CheckAgainstDisk({}, path).change, DiskChange::None);
    EXPECT_EQ(CheckAgainstDisk({}, dir.filePath("none.mg")).change, DiskChange::None);
}

} // namespace
} // namespace rovana
