#pragma once

#include "ContentHash.h"
#include "SafeFileWriter.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

struct evp_md_ctx_st;

namespace rovana {

// What the echo picker gave for each test file of a folder, as the summary keeps it (a
// value of up to 4096 bytes whose meaning and version, the value version, are the
// summary's), kept beside the site file so that a summary of an unchanged folder runs no
// picker. Derived data: a value is used only for a file whose content hashes exactly as
// the content it was made from, under the same picker version (pick::kPickerVersion) and
// the same value version; anything else is made afresh.
//
// The file "rovana-suggestions.cache" is the site store's (SiteStore::Suggestions opens it)
// and keeps the site file's guarantees: it is read only as a regular file of that name,
// never through a link, never a FIFO or device, never over kLargestSuggestionCache; it is
// written only through SafeFileWriter (the old file or the complete new one) and never
// through a link. A damaged file of its own (cut short, a bit changed, a structure its
// writer never makes, another header, a newer format) is ignored, its bytes are kept as
// "rovana-suggestions.cache.bak-<yyyyMMdd-HHmmss>" beside it (through the safe writer) and
// only then is it written afresh; one made under another version is ignored and written
// afresh. A file it cannot read or keep aside (a link, not a regular file, too large, no
// read permission) is ignored and never overwritten.
//
// Layout, little-endian: the header "RVNSUGG\n", the format, picker and value versions
// (u32 each); entries in the folder's listed order, each the file's name (u16 count of
// UTF-16 units, the units), its content hash (32 bytes), the value (u16 length, the
// bytes); the entry count (u32) and the SHA-256 of every byte before it (32 bytes).
inline const QString kSuggestionCacheName = QStringLiteral("rovana-suggestions.cache");
// Larger is none of this program's: a million test files take about 60 MiB.
inline constexpr qint64 kLargestSuggestionCache = 128 << 20;
inline constexpr std::uint32_t kSuggestionCacheFormat = 1;

// The value kept for one file name, and the hash of the content it was made from.
struct KeptSuggestion
{
    ContentHash hash{};
    QByteArray value;

    // The value, for a file whose content hashes to `content`; nothing for any other file.
    std::optional<QByteArray> For(const ContentHash& content) const;
};

// One pass of a summary over a folder's test files, in the order the folder lists them
// (ListTestFiles): it reads the values kept for them and keeps what the pass gives. Its
// memory does not grow with the files: the old file is read and the new one written as
// the pass goes.
class SuggestionCache
{
public:
    enum class State
    {
        Missing,  // no cache file: a pass that gives values creates it
        Read,     // read: its values are offered
        Outdated, // made by another picker or value version: ignored, written afresh
        Damaged,  // not intact or not this program's: ignored, kept aside, written afresh
        Refused,  // a link, not a regular file, too large, unreadable: ignored, left alone
    };

    ~SuggestionCache();
    SuggestionCache(const SuggestionCache&) = delete;
    SuggestionCache& operator=(const SuggestionCache&) = delete;

    State FileState() const { return m_State; }
    // Why the file is ignored ("是符号链接", "校验和不符"); empty when it is read or missing.
    const QString& Problem() const { return m_strProblem; }
    // The name a damaged file's bytes were kept under by Finish; empty when none was.
    const QString& Backup() const { return m_strBackup; }

    // The value kept for the test file `name` (its name in the folder), or nothing. Names
    // are asked in listed order, each once; a name asked out of that order is only missed.
    std::optional<KeptSuggestion> Lookup(const QString& name);
    // What the pass gives for `name`, made from content that hashes to `hash`; asked after
    // its Lookup, in the same order. A listed file without a Keep loses its entry.
    void Keep(const QString& name, const ContentHash& hash, const QByteArray& value);
    // The end of a pass over every listed file: when what it keeps differs from the file
    // (or the file is outdated or damaged), the file is replaced; the same values write
    // nothing. A pass that ends without Finish (cancelled) leaves the file as it was. A
    // write that fails changes nothing; a Refused file refuses it. The result's detail is
    // the whole message ("建议缓存文件无法写入（…），未作修改").
    WriteResult Finish();

private:
    friend class SiteStore;
    SuggestionCache(const QString& folder, std::uint32_t valueVersion, WriteOptions options);

    struct Entry
    {
        QString name;
        KeptSuggestion kept;
        qint64 end = 0; // the offset after it in the old file
    };
    struct Asked
    {
        QString name;
        std::optional<Entry> found;
    };

    void Open();
    void Ignore(State state, const QString& why);
    bool Verify(qint64 size);
    bool ReadAt(qint64 pos, qint64 size);
    void Advance();
    void Differ() { m_bSame = false; }
    bool KeepAside();
    bool BeginWriting();
    void Append(const char* data, qint64 size);
    void AppendEntry(const QString& name, const ContentHash& hash, const QByteArray& value);
    bool Flush();

    QString m_strPath;
    std::uint32_t m_nValueVersion;
    WriteOptions m_Options;
    State m_State = State::Missing;
    QString m_strProblem;
    QString m_strBackup;

    // The old file, read ahead of the lookups.
    int m_fd = -1;
    qint64 m_nEntriesEnd = 0; // where its entries end and the count begins
    std::uint32_t m_nCount = 0;
    std::uint32_t m_nParsed = 0;
    qint64 m_nPos = 0;   // the next entry's offset
    QByteArray m_Buffer; // bytes of the old file from m_nBufferAt
    qint64 m_nBufferAt = 0;
    std::optional<Entry> m_Next;

    // The pass: the lookups not yet kept, and whether it keeps exactly the old entries so
    // far; then those kept while it still did end at m_nSameEnd in the old file.
    std::deque<Asked> m_Asked;
    bool m_bSame = true;
    qint64 m_nSameEnd = 0;
    std::uint32_t m_nSameCount = 0;

    // The new file, begun at the first difference.
    std::unique_ptr<SafeFileWriter> m_pWriter;
    evp_md_ctx_st* m_pHash = nullptr;
    QByteArray m_Out;
    qint64 m_nOutBytes = 0;
    std::uint32_t m_nOutCount = 0;
    bool m_bGaveUp = false;      // the writer failed or the file grew too large: keep the old one
    WriteResult m_BackupFailure; // the safe writer's failure to keep a damaged file aside
};

} // namespace rovana
