// The summary with the site's suggestion cache: the same bytes out with the cache empty
// and full, a kept value used for an unchanged file and never for a changed one, and a
// folder the cache cannot be written into still summarised.
#include "CliRunner.h"
#include "RowSuggestion.h"
#include "SummaryTable.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace rovana::summary {
namespace {

// The shipped samples, whose signals give the picker something to find, in a folder.
class SampleFolder
{
public:
    SampleFolder()
    {
        const QDir samples(QStringLiteral(ROVANA_SAMPLES_DIR));
        for (const QString& name : samples.entryList({QStringLiteral("*.mg")}, QDir::Files))
            EXPECT_TRUE(QFile::copy(samples.filePath(name), m_dir.filePath(name)));
    }
    QString Folder() const { return m_dir.path(); }
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QString Cache() const { return m_dir.filePath(kSuggestionCacheName); }

private:
    QTemporaryDir m_dir;
};

TEST(SummaryCacheTest, OutputsAreTheSameWithTheCacheEmptyAndFull)
{
    const SampleFolder site;
    QTemporaryDir out;
    const QStringList csvArgs = {"summary", site.Folder(), "--csv", out.filePath("site.csv")};
    const test::CliRun emptyJson = test::RunCli({"summary", site.Folder()});
    ASSERT_EQ(emptyJson.exitCode, 0) << emptyJson.err.toStdString();
    ASSERT_TRUE(QFileInfo(site.Cache()).isFile());
    // The samples give suggestions: the cache holds real values.
    EXPECT_TRUE(emptyJson.out.contains("\"suggestedLength\": 6.")) << emptyJson.out.toStdString();
    const test::CliRun fullJson = test::RunCli({"summary", site.Folder()});
    EXPECT_EQ(fullJson.exitCode, 0);
    EXPECT_EQ(fullJson.out, emptyJson.out);
    EXPECT_FALSE(fullJson.err.contains(kSuggestionCacheName)) << fullJson.err.toStdString();

    ASSERT_EQ(test::RunCli(csvArgs).exitCode, 0);
    const QByteArray fullCsv = test::ReadBytes(out.filePath("site.csv"));
    ASSERT_TRUE(QFile::remove(site.Cache()));
    ASSERT_EQ(test::RunCli(csvArgs).exitCode, 0);
    EXPECT_EQ(test::ReadBytes(out.filePath("site.csv")), fullCsv);
}

// A cache file that is not one: kept aside under a name standard error gives, and rebuilt;
// the summary and its exit status are as without it.
TEST(SummaryCacheTest, ADamagedCacheIsKeptAsideAndNamed)
{
    const SampleFolder site;
    const test::CliRun expected = test::RunCli({"summary", site.Folder()});
    ASSERT_TRUE(test::WriteBytes(site.Cache(), "garbage"));
    const test::CliRun run = test::RunCli({"summary", site.Folder()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, expected.out);
    const QStringList backups = QDir(site.Folder()).entryList({kSuggestionCacheName + ".bak-*"});
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(test::ReadBytes(site.Path(backups[0])), "garbage");
    EXPECT_TRUE(run.err.contains(
        site.Cache() + QStringLiteral(": 建议缓存文件无法读取（不是建议缓存文件），已另存为 ") +
        backups[0] + QStringLiteral(" 并重建")))
        << run.err.toStdString();
    EXPECT_EQ(OpenSuggestionCache(site.Folder())->FileState(), SuggestionCache::State::Read);
}

// Replaces the value kept for `name` with `planted`, under the hash of its bytes now.
void PlantValue(const QString& folder, const QString& name, const RowSuggestion& planted)
{
    const std::unique_ptr<SuggestionCache> cache = OpenSuggestionCache(folder);
    ASSERT_EQ(cache->FileState(), SuggestionCache::State::Read);
    for (const QString& path : FolderTestFiles(folder)) {
        const QString file = QFileInfo(path).fileName();
        const std::optional<KeptSuggestion> kept = cache->Lookup(file);
        ASSERT_TRUE(kept.has_value()) << file.toStdString();
        const QByteArray value = file == name ? EncodeRowSuggestion(planted) : kept->value;
        cache->Keep(file, HashContent(test::ReadBytes(path)), value);
    }
    ASSERT_TRUE(cache->Finish());
}

TEST(SummaryCacheTest, AnUnchangedFileTakesItsKeptValueAChangedOneIsPickedAgain)
{
    const SampleFolder site;
    const std::optional<SiteSummary> first = SummarizeFolder(site.Folder());
    ASSERT_TRUE(first.has_value());
    const SummaryRow& sample = first->rows[2]; // MG0003.mg: saved analysis, a suggestion
    ASSERT_EQ(sample.fileName, QStringLiteral("MG0003.mg"));
    ASSERT_TRUE(sample.suggestedLength.has_value());
    ASSERT_TRUE(sample.measured);

    // A value no picker gives: taken as kept, so the picker did not run for that file; the
    // review is judged from it against the saved L, on every summary: 99.50 m asks for one,
    // the saved L itself does not.
    PlantValue(site.Folder(), sample.fileName, {99.5f, {}});
    const std::optional<SiteSummary> kept = SummarizeFolder(site.Folder());
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->rows[2].suggestedLength, std::optional<float>(99.5f));
    EXPECT_TRUE(kept->rows[2].review);
    PlantValue(site.Folder(), sample.fileName, {sample.measuredLength, {}});
    const std::optional<SiteSummary> agreeing = SummarizeFolder(site.Folder());
    ASSERT_TRUE(agreeing.has_value());
    EXPECT_FALSE(agreeing->rows[2].review);
    PlantValue(site.Folder(), sample.fileName, {99.5f, {QStringLiteral("底部反射不明显")}});
    const std::optional<SiteSummary> again = SummarizeFolder(site.Folder());
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(kept->rows[2], again->rows[2]); // reasons shown only where no L is offered
    EXPECT_EQ(CellOf(kept->rows[2], Column::SuggestedLength).text, QStringLiteral("99.50"));
    for (std::size_t r : {0u, 1u, 3u})
        EXPECT_EQ(kept->rows[r], first->rows[r]);

    // One byte of the samples changed: the content differs, the picker reads it again.
    QByteArray bytes = test::ReadBytes(sample.path);
    bytes[bytes.size() - 1] = static_cast<char>(bytes[bytes.size() - 1] ^ 1);
    ASSERT_TRUE(test::WriteBytes(sample.path, bytes));
    const std::optional<SiteSummary> changed = SummarizeFolder(site.Folder());
    ASSERT_TRUE(changed.has_value());
    EXPECT_EQ(changed->rows[2].suggestedLength, sample.suggestedLength);
    EXPECT_EQ(changed->rows[2].review, sample.review);
}

// The cache's value and its bytes: what Encode makes, Decode gives back; bytes it never
// makes are no value.
TEST(SummaryCacheTest, KeptValuesReadBackAndForeignBytesAreRefused)
{
    const RowSuggestion values[] = {
        {},
        {6.25f, {}},
        {0.0f, {QStringLiteral("自由端不明显")}},
        {std::nullopt, {QStringLiteral("底部反射不明显"), QStringLiteral("自由端不明显")}},
    };
    for (const RowSuggestion& v : values)
        EXPECT_EQ(DecodeRowSuggestion(EncodeRowSuggestion(v)), std::optional<RowSuggestion>(v));
    const QByteArray foreign[] = {
        QByteArray(),                             // too short
        QByteArray("\x02\0\0\0\0", 5),            // an unknown flag
        QByteArray("\x00\0\0\x80\x3f", 5),        // a length's bits without the flag
        QByteArray("\x01\0\0\x80\x3fno end", 11), // a reason not ended
    };
    for (const QByteArray& bytes : foreign)
        EXPECT_FALSE(DecodeRowSuggestion(bytes).has_value()) << bytes.toHex().toStdString();
}

// A folder nobody may write into: the summary is the same, standard error says the cache
// was not kept, and the exit status is the summary's.
TEST(SummaryCacheTest, AReadOnlyFolderIsStillSummarised)
{
    const test::CliAsAnotherUser cli;
    if (!cli.WhyNot().isEmpty())
        GTEST_SKIP() << cli.WhyNot().toStdString();
    const SampleFolder writable, readOnly;
    const test::CliRun expected = test::RunCli({"summary", writable.Folder()});
    ASSERT_EQ(expected.exitCode, 0);
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly.Folder()).constData(), 0555), 0);
    const test::CliRun run = cli.Run({"summary", readOnly.Folder()});
    ::chmod(QFile::encodeName(readOnly.Folder()).constData(), 0755);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, expected.out);
    EXPECT_TRUE(run.err.contains(QStringLiteral("建议缓存文件无法写入（")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith(readOnly.Cache())) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(readOnly.Cache()));
}

} // namespace
} // namespace rovana::summary
