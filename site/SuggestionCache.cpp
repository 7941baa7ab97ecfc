#include "SuggestionCache.h"

#include "NativePath.h"
#include "PickerVersion.h"
#include "SuggestionCacheFormat.h"

#include <openssl/evp.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace rovana {

using namespace suggestion_file;

std::optional<QByteArray> KeptSuggestion::For(const ContentHash& content) const
{
    if (content != hash)
        return std::nullopt;
    return value;
}

SuggestionCache::SuggestionCache(const QString& folder, std::uint32_t valueVersion,
                                 WriteOptions options)
    : m_strPath(folder + QLatin1Char('/') + kSuggestionCacheName), m_nValueVersion(valueVersion),
      m_Options(std::move(options))
{
    m_Options.refuseLinks = true; // a file the program owns by name
    if (!folder.isEmpty())
        Open();
    else
        Ignore(State::Refused, QStringLiteral("没有文件夹"));
}

SuggestionCache::~SuggestionCache()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_pHash)
        EVP_MD_CTX_free(m_pHash);
}

void SuggestionCache::Ignore(State state, const QString& why)
{
    m_State = state;
    m_strProblem = why;
    m_Next.reset(); // the old file stays open: the entries kept until now are copied from it
    // A file to be written afresh differs from what the pass keeps, whatever it keeps. One
    // that is left alone is only written, and refused, when the pass keeps something.
    if (state == State::Outdated || state == State::Damaged)
        Differ();
}

void SuggestionCache::Open()
{
    const QByteArray native = NativePath(m_strPath);
    struct stat named;
    if (::lstat(native.constData(), &named) != 0) {
        if (errno == ENOENT)
            return; // Missing
        return Ignore(
            State::Refused,
            QStringLiteral("无法访问：%1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (S_ISLNK(named.st_mode))
        return Ignore(State::Refused, QStringLiteral("是符号链接"));
    if (!S_ISREG(named.st_mode))
        return Ignore(State::Refused, QStringLiteral("不是普通文件"));
    if (named.st_size > kLargestSuggestionCache)
        return Ignore(State::Refused,
                      QStringLiteral("超过 %1 MiB").arg(kLargestSuggestionCache >> 20));
    m_fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    struct stat opened;
    if (m_fd < 0 || ::fstat(m_fd, &opened) != 0)
        return Ignore(State::Refused, QStringLiteral("没有读取权限"));
    // What was opened must be what was looked at: nothing swapped in between.
    if (!S_ISREG(opened.st_mode) || opened.st_dev != named.st_dev ||
        opened.st_ino != named.st_ino || opened.st_size > kLargestSuggestionCache)
        return Ignore(State::Refused, QStringLiteral("已被替换"));

    char header[kHeaderSize];
    const qint64 size = opened.st_size;
    if (ReadFully(m_fd, header, kHeaderSize, 0) != std::min<qint64>(size, kHeaderSize))
        return Ignore(State::Refused, QStringLiteral("无法读取"));
    if (size < static_cast<qint64>(sizeof kMagic) ||
        std::memcmp(header, kMagic, sizeof kMagic) != 0)
        return Ignore(State::Damaged, QStringLiteral("不是建议缓存文件"));
    if (size < kHeaderSize + kTrailerSize)
        return Ignore(State::Damaged, QStringLiteral("文件不完整"));
    const std::uint32_t format = U32At(header + 8);
    if (format > kSuggestionCacheFormat)
        return Ignore(
            State::Damaged,
            QStringLiteral("格式 %1 高于本程序支持的 %2").arg(format).arg(kSuggestionCacheFormat));
    if (format != kSuggestionCacheFormat || U32At(header + 12) != pick::kPickerVersion ||
        U32At(header + 16) != m_nValueVersion)
        return Ignore(State::Outdated, QStringLiteral("版本不同"));
    if (!Verify(size))
        return;
    m_State = State::Read;
    m_nPos = kHeaderSize;
    m_nSameEnd = kHeaderSize;
    Advance();
}

// The whole file against its checksum, before any value of it is offered.
bool SuggestionCache::Verify(qint64 size)
{
    EVP_MD_CTX* state = EVP_MD_CTX_new();
    EVP_DigestInit_ex(state, Sha256Digest(), nullptr);
    const qint64 covered = size - kDigestSize;
    QByteArray chunk(static_cast<qsizetype>(kReadChunk), Qt::Uninitialized);
    bool read = true;
    for (qint64 at = 0; at < covered && read;) {
        const qint64 n = std::min(kReadChunk, covered - at);
        read = ReadFully(m_fd, chunk.data(), n, at) == n;
        EVP_DigestUpdate(state, chunk.constData(), static_cast<size_t>(n));
        at += n;
    }
    unsigned char sum[kDigestSize];
    EVP_DigestFinal_ex(state, sum, nullptr);
    EVP_MD_CTX_free(state);
    char trailer[kTrailerSize];
    if (!read || ReadFully(m_fd, trailer, kTrailerSize, size - kTrailerSize) != kTrailerSize) {
        Ignore(State::Damaged, QStringLiteral("无法读取"));
        return false;
    }
    if (std::memcmp(trailer + 4, sum, kDigestSize) != 0) {
        Ignore(State::Damaged, QStringLiteral("校验和不符"));
        return false;
    }
    m_nCount = U32At(trailer);
    m_nEntriesEnd = size - kTrailerSize;
    return true;
}

// Makes bytes [pos, pos + size) of the old file available in m_Buffer; false when they lie
// past the entries or cannot be read.
bool SuggestionCache::ReadAt(qint64 pos, qint64 size)
{
    if (pos + size > m_nEntriesEnd)
        return false;
    if (pos >= m_nBufferAt && pos + size <= m_nBufferAt + m_Buffer.size())
        return true;
    const qint64 want = std::min(std::max(size, kReadChunk), m_nEntriesEnd - pos);
    m_Buffer.resize(static_cast<qsizetype>(want));
    m_nBufferAt = pos;
    if (ReadFully(m_fd, m_Buffer.data(), want, pos) != want) {
        m_Buffer.clear();
        return false;
    }
    return true;
}

// Reads the next entry of the old file into m_Next; at the end, checks the count.
void SuggestionCache::Advance()
{
    m_Next.reset();
    if (m_State != State::Read)
        return;
    if (m_nPos == m_nEntriesEnd) {
        if (m_nParsed != m_nCount)
            Ignore(State::Damaged, QStringLiteral("条目数不符"));
        return;
    }
    const auto damaged = [this] { Ignore(State::Damaged, QStringLiteral("条目无效")); };
    qint64 pos = m_nPos;
    if (!ReadAt(pos, 2))
        return damaged();
    const int units = U16At(m_Buffer.constData() + (pos - m_nBufferAt));
    pos += 2;
    if (units > kLongestName || !ReadAt(pos, 2 * units + kHashSize + 2))
        return damaged();
    Entry e;
    const char* p = m_Buffer.constData() + (pos - m_nBufferAt);
    e.name.resize(units);
    for (int i = 0; i < units; ++i)
        e.name[i] = QChar(U16At(p + 2 * i));
    p += 2 * units;
    std::memcpy(e.kept.hash.data(), p, e.kept.hash.size());
    const int length = U16At(p + kHashSize);
    pos += 2 * units + kHashSize + 2;
    if (length > kLongestValue || !ReadAt(pos, length))
        return damaged();
    e.kept.value = QByteArray(m_Buffer.constData() + (pos - m_nBufferAt), length);
    pos += length;
    e.end = pos;
    m_nPos = pos;
    ++m_nParsed;
    m_Next = std::move(e);
}

std::optional<KeptSuggestion> SuggestionCache::Lookup(const QString& name)
{
    Asked asked{name, std::nullopt};
    while (m_Next) {
        const int order = m_Next->name.compare(name);
        if (order > 0)
            break;
        if (order < 0) {
            Differ(); // kept for a file no longer listed
            Advance();
            continue;
        }
        asked.found = std::move(m_Next);
        Advance();
        break;
    }
    std::optional<KeptSuggestion> kept;
    if (asked.found)
        kept = asked.found->kept;
    m_Asked.push_back(std::move(asked));
    return kept;
}

void SuggestionCache::Keep(const QString& name, const ContentHash& hash, const QByteArray& value)
{
    // Files looked up before this one and not kept lose their entries.
    while (!m_Asked.empty() && m_Asked.front().name != name) {
        if (m_Asked.front().found)
            Differ();
        m_Asked.pop_front();
    }
    if (m_Asked.empty()) {
        Differ(); // never looked up: kept all the same
    } else {
        const std::optional<Entry>& found = m_Asked.front().found;
        if (!found || found->kept.hash != hash || found->kept.value != value)
            Differ();
        else if (m_bSame) {
            m_nSameEnd = found->end;
            ++m_nSameCount;
        }
        m_Asked.pop_front();
    }
    if (!m_bSame && BeginWriting())
        AppendEntry(name, hash, value);
}

} // namespace rovana
