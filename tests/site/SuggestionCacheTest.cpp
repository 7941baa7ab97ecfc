// The site's suggestion cache: values found by name and content hash, stale ones (another
// content, picker or value version) never offered, files added and removed, a damaged
// file kept aside and rebuilt, a link or FIFO in its place left alone, and a write that
// fails for real.
#include "SuggestionCache.h"
#include "PosixTestSupport.h"
#include "SiteStore.h"
#include "TestFiles.h"

#include <QCryptographicHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>

namespace rovana {
namespace {

using Values = std::map<QString, std::pair<QByteArray, QByteArray>>; // name: content, value

class SuggestionCacheTest : public ::testing::Test
{
protected:
    QString Path() const { return m_dir.filePath(kSuggestionCacheName); }
    std::unique_ptr<SuggestionCache> Open(std::uint32_t valueVersion = 7) const
    {
        return SiteStore(m_dir.path()).Suggestions(valueVersion);
    }
    // One pass that keeps `values` in name order; the values it found for their contents.
    std::map<QString, QByteArray> Pass(const Values& values, WriteResult* finished = nullptr,
                                       std::uint32_t valueVersion = 7) const
    {
        std::map<QString, QByteArray> found;
        const std::unique_ptr<SuggestionCache> cache = Open(valueVersion);
        for (const auto& [name, kept] : values) {
            const ContentHash hash = HashContent(kept.first);
            if (const std::optional<KeptSuggestion> k = cache->Lookup(name))
                if (const std::optional<QByteArray> v = k->For(hash))
                    found[name] = *v;
            cache->Keep(name, hash, kept.second);
        }
        const WriteResult r = cache->Finish();
        if (finished)
            *finished = r;
        return found;
    }
    QStringList Backups() const
    {
        return QDir(m_dir.path())
            .entryList({kSuggestionCacheName + QStringLiteral(".bak-*")},
                       QDir::Files | QDir::Hidden);
    }

    QTemporaryDir m_dir;
    const Values m_Three = {{"A.mg", {"a", "value A"}},
                            {"B.mg", {"b", "value B"}},
                            {"C.mg", {"c", QByteArray("\0\x01", 2)}}};
};

TEST_F(SuggestionCacheTest, HashIsTheFilesSha256)
{
    QByteArray bytes(13312, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 131 % 251);
    const ContentHash hash = HashContent(bytes);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(hash.data()), hash.size()),
              QCryptographicHash::hash(bytes, QCryptographicHash::Sha256));
}

TEST_F(SuggestionCacheTest, ValuesComeBackForTheSameContentOnly)
{
    EXPECT_TRUE(Pass(m_Three).empty()); // nothing yet
    ASSERT_TRUE(QFileInfo::exists(Path()));
    EXPECT_EQ(Pass(m_Three),
              (std::map<QString, QByteArray>{
                  {"A.mg", "value A"}, {"B.mg", "value B"}, {"C.mg", m_Three.at("C.mg").second}}));
    // B's content changed: its old value is not offered, the new one is kept.
    Values changed = m_Three;
    changed["B.mg"] = {"b2", "value B2"};
    EXPECT_EQ(Pass(changed).count("B.mg"), 0u);
    EXPECT_EQ(Pass(changed).at("B.mg"), "value B2");
}

TEST_F(SuggestionCacheTest, AnUnchangedPassWritesNothing)
{
    Pass(m_Three);
    struct stat before;
    ASSERT_EQ(::lstat(QFile::encodeName(Path()).constData(), &before), 0);
    WriteResult finished;
    Pass(m_Three, &finished);
    EXPECT_TRUE(finished);
    struct stat after;
    ASSERT_EQ(::lstat(QFile::encodeName(Path()).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino); // not replaced
}

TEST_F(SuggestionCacheTest, FilesAddedAndRemovedFollowTheFolder)
{
    Pass(m_Three);
    // B gone, 0 before A and D after C new.
    Values next = {{"0.mg", {"z", "value 0"}},
                   {"A.mg", m_Three.at("A.mg")},
                   {"C.mg", m_Three.at("C.mg")},
                   {"D.mg", {"d", "value D"}}};
    const std::map<QString, QByteArray> found = Pass(next);
    EXPECT_EQ(found.size(), 2u);
    EXPECT_EQ(found.count("A.mg") + found.count("C.mg"), 2u);
    EXPECT_EQ(Pass(next).size(), 4u);
    // B comes back: its entry was dropped with it.
    Values again = next;
    again["B.mg"] = m_Three.at("B.mg");
    EXPECT_EQ(Pass(again).count("B.mg"), 0u);
}

// Another picker or value version: nothing is offered, the file is written afresh, and no
// copy is kept (it is no damage).
TEST_F(SuggestionCacheTest, AnotherVersionIsMadeAfresh)
{
    struct Row
    {
        const char* what;
        int byte;                   // header byte patched, -1 for none
        std::uint32_t valueVersion; // of the second pass
    };
    const Row rows[] = {{"picker version", 12, 7}, {"value version", -1, 8}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QFile::remove(Path());
        Pass(m_Three);
        if (row.byte >= 0) {
            QByteArray bytes = test::ReadBytes(Path());
            bytes[row.byte] = static_cast<char>(bytes[row.byte] + 1);
            ASSERT_TRUE(test::WriteBytes(Path(), bytes));
        }
        EXPECT_EQ(Open(row.valueVersion)->FileState(), SuggestionCache::State::Outdated);
        EXPECT_TRUE(Pass(m_Three, nullptr, row.valueVersion).empty());
        EXPECT_EQ(Pass(m_Three, nullptr, row.valueVersion).size(), 3u);
        EXPECT_TRUE(Backups().isEmpty());
    }
}

// A damaged file is never read: its bytes are kept aside as they were, and it is rebuilt.
TEST_F(SuggestionCacheTest, ADamagedFileIsKeptAsideAndRebuilt)
{
    struct Row
    {
        const char* what;
        std::function<QByteArray(QByteArray)> damage;
    };
    const Row rows[] = {
        {"cut short", [](QByteArray b) { return b.left(b.size() - 5); }},
        {"a bit changed in a value",
         [](QByteArray b) {
             b[b.indexOf("value B")] = 'V';
             return b;
         }},
        {"not a cache file", [](QByteArray) { return QByteArray("{\"bolts\": []}\n"); }},
        {"empty", [](QByteArray) { return QByteArray(); }},
        {"a newer format",
         [](QByteArray b) {
             b[8] = 2;
             return b;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        for (const QString& b : Backups())
            QFile::remove(m_dir.filePath(b));
        QFile::remove(Path());
        Pass(m_Three);
        const QByteArray damaged = row.damage(test::ReadBytes(Path()));
        ASSERT_TRUE(test::WriteBytes(Path(), damaged));
        EXPECT_EQ(Open()->FileState(), SuggestionCache::State::Damaged);
        WriteResult finished;
        EXPECT_TRUE(Pass(m_Three, &finished).empty());
        EXPECT_TRUE(finished) << finished.detail.toStdString();
        const QStringList backups = Backups();
        ASSERT_EQ(backups.size(), 1);
        EXPECT_EQ(test::ReadBytes(m_dir.filePath(backups[0])), damaged);
        EXPECT_EQ(Pass(m_Three).size(), 3u); // rebuilt
    }
}

// A link, a FIFO or a folder in the cache's place: ignored, never written through or
// replaced, and the summary's pass is told so.
TEST_F(SuggestionCacheTest, ALinkOrFifoInItsPlaceIsLeftAlone)
{
    const QString target = m_dir.filePath(QStringLiteral("elsewhere.bin"));
    struct Row
    {
        const char* what;
        std::function<bool()> make;
    };
    const Row rows[] = {
        {"a link to a cache file",
         [&] {
             Pass(m_Three);
             return QFile::rename(Path(), target) && QFile::link(target, Path());
         }},
        {"a dangling link", [&] { return QFile::link(m_dir.filePath("none"), Path()); }},
        {"a FIFO", [&] { return ::mkfifo(QFile::encodeName(Path()).constData(), 0600) == 0; }},
        {"a folder", [&] { return QDir(m_dir.path()).mkdir(kSuggestionCacheName); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(row.make());
        const QByteArray targetBytes = test::ReadBytes(target);
        const QFileInfo before(Path());
        EXPECT_EQ(Open()->FileState(), SuggestionCache::State::Refused);
        WriteResult finished;
        EXPECT_TRUE(Pass(m_Three, &finished).empty());
        EXPECT_FALSE(finished);
        EXPECT_TRUE(finished.detail.startsWith(QStringLiteral("建议缓存文件无法写入（")))
            << finished.detail.toStdString();
        const QFileInfo after(Path());
        EXPECT_EQ(after.isSymLink(), before.isSymLink());
        EXPECT_EQ(after.isDir(), before.isDir());
        EXPECT_EQ(test::ReadBytes(target), targetBytes);
        EXPECT_TRUE(Backups().isEmpty());
        QFile::remove(Path());
        QDir(m_dir.path()).rmdir(kSuggestionCacheName);
        QFile::remove(target);
    }
}

// A disk that fills up while the cache is written: the old cache stays byte-identical.
TEST_F(SuggestionCacheTest, AFailedWriteKeepsTheOldFile)
{
    Pass(m_Three);
    const QByteArray old = test::ReadBytes(Path());
    Values more = m_Three;
    for (int i = 0; i < 200; ++i)
        more[QStringLiteral("X%1.mg").arg(i, 3, 10, QLatin1Char('0'))] = {QByteArray::number(i),
                                                                          QByteArray(100, 'v')};
    const test::ChildRun run = test::RunWithFileSizeLimit(4096, [&] {
        WriteResult finished;
        Pass(more, &finished);
        return finished ? QByteArray("written") : finished.detail.toUtf8();
    });
    ASSERT_TRUE(run.exited);
    EXPECT_TRUE(QString::fromUtf8(run.report).contains(QStringLiteral("磁盘已满")))
        << run.report.toStdString();
    EXPECT_EQ(test::ReadBytes(Path()), old);
    EXPECT_EQ(test::FolderEntries(m_dir.path()), QStringList{kSuggestionCacheName});
}

} // namespace
} // namespace rovana
