#include "SuggestionCache.h"

#include "MgFileIo.h"
#include "NativePath.h"
#include "PickerVersion.h"

#include <QDateTime>

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace rovana {

namespace {

constexpr char kMagic[8] = {'R', 'V', 'N', 'S', 'U', 'G', 'G', '\n'};
constexpr qint64 kHeaderSize = 8 + 3 * 4;
constexpr qint64 kDigestSize = SHA256_DIGEST_LENGTH;
constexpr int kHashSize = static_cast<int>(std::tuple_size_v<ContentHash>);
constexpr qint64 kTrailerSize = 4 + kDigestSize;
// An entry's name and value are never longer: a file name is at most 255 bytes.
constexpr int kLongestName = 1024;
constexpr int kLongestValue = 4096;
constexpr qint64 kReadChunk = 64 * 1024;
constexpr qsizetype kWriteChunk = 256 * 1024;

std::uint32_t U32At(const char* p)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(p[i]);
    return v;
}

std::uint16_t U16At(const char* p)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(p[0]) |
                                      static_cast<std::uint8_t>(p[1]) << 8);
}

void PutU32(char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i, v >>= 8)
        p[i] = static_cast<char>(v & 0xff);
}

void PutU16(char* p, std::uint16_t v)
{
    p[0] = static_cast<char>(v & 0xff);
    p[1] = static_cast<char>(v >> 8);
}

// pread until `size` bytes or the end; the bytes read, -1 on a failure.
qint64 ReadFully(int fd, char* into, qint64 size, qint64 at)
{
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, into + got, static_cast<size_t>(size - got), at + got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

} // namespace

ContentHash HashContent(const QByteArray& bytes)
{
    ContentHash out;
    ::SHA256(reinterpret_cast<const unsigned char*>(bytes.constData()),
             static_cast<size_t>(bytes.size()), out.data());
    return out;
}

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
    EVP_DigestInit_ex(state, EVP_sha256(), nullptr);
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

// Copies the damaged file's bytes aside, through the safe writer, before anything replaces
// it; false when they could not be kept (then nothing replaces it).
bool SuggestionCache::KeepAside()
{
    struct stat opened;
    if (m_fd < 0 || ::fstat(m_fd, &opened) != 0)
        return false;
    QByteArray old(static_cast<qsizetype>(opened.st_size), Qt::Uninitialized);
    if (ReadFully(m_fd, old.data(), old.size(), 0) != old.size())
        return false;
    const QString folder = m_strPath.left(m_strPath.size() - kSuggestionCacheName.size() - 1);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = kSuggestionCacheName + QStringLiteral(".bak-") + stamp;
    struct stat taken;
    for (int n = 2; ::lstat(NativePath(folder + QLatin1Char('/') + name).constData(), &taken) == 0;
         ++n)
        name = kSuggestionCacheName + QStringLiteral(".bak-%1-%2").arg(stamp).arg(n);
    const WriteResult kept = WriteWholeFileSafely(folder + QLatin1Char('/') + name, old, m_Options);
    if (!kept) {
        m_BackupFailure = kept;
        return false;
    }
    // The file replaced must still be the one kept aside.
    struct stat now;
    if (::lstat(NativePath(m_strPath).constData(), &now) != 0 || now.st_ino != opened.st_ino ||
        now.st_dev != opened.st_dev || now.st_size != opened.st_size)
        return false;
    m_strBackup = name;
    return true;
}

// Opens the new file at the first difference and copies into it the old entries kept
// unchanged until then.
bool SuggestionCache::BeginWriting()
{
    if (m_pWriter)
        return !m_bGaveUp;
    if (m_bGaveUp || m_State == State::Refused)
        return false;
    if (m_State == State::Damaged && !KeepAside()) {
        m_bGaveUp = true;
        return false;
    }
    m_pWriter = std::make_unique<SafeFileWriter>(m_strPath, m_Options);
    if (!m_pWriter->open()) {
        m_bGaveUp = true;
        return false;
    }
    m_pHash = EVP_MD_CTX_new();
    EVP_DigestInit_ex(m_pHash, EVP_sha256(), nullptr);
    char header[kHeaderSize];
    std::memcpy(header, kMagic, sizeof kMagic);
    PutU32(header + 8, kSuggestionCacheFormat);
    PutU32(header + 12, pick::kPickerVersion);
    PutU32(header + 16, m_nValueVersion);
    Append(header, kHeaderSize);
    QByteArray chunk;
    for (qint64 at = kHeaderSize; at < m_nSameEnd && !m_bGaveUp;) {
        const qint64 n = std::min(kReadChunk, m_nSameEnd - at);
        chunk.resize(static_cast<qsizetype>(n));
        if (ReadFully(m_fd, chunk.data(), n, at) != n)
            m_bGaveUp = true;
        else
            Append(chunk.constData(), n);
        at += n;
    }
    m_nOutCount = m_nSameCount;
    return !m_bGaveUp;
}

void SuggestionCache::Append(const char* data, qint64 size)
{
    if (m_bGaveUp)
        return;
    if (m_nOutBytes + size + kTrailerSize > kLargestSuggestionCache) {
        m_bGaveUp = true; // more files than a cache keeps: the old file stays
        return;
    }
    EVP_DigestUpdate(m_pHash, data, static_cast<size_t>(size));
    m_Out.append(data, static_cast<qsizetype>(size));
    m_nOutBytes += size;
    if (m_Out.size() >= kWriteChunk)
        Flush();
}

void SuggestionCache::AppendEntry(const QString& name, const ContentHash& hash,
                                  const QByteArray& value)
{
    if (name.size() > kLongestName || value.size() > kLongestValue)
        return; // never made: a name no folder lists, a value no analysis gives
    QByteArray entry(2 + 2 * name.size() + kHashSize + 2 + value.size(), Qt::Uninitialized);
    char* p = entry.data();
    PutU16(p, static_cast<std::uint16_t>(name.size()));
    p += 2;
    for (const QChar ch : name) {
        PutU16(p, ch.unicode());
        p += 2;
    }
    std::memcpy(p, hash.data(), hash.size());
    PutU16(p + kHashSize, static_cast<std::uint16_t>(value.size()));
    std::memcpy(p + kHashSize + 2, value.constData(), static_cast<size_t>(value.size()));
    Append(entry.constData(), entry.size());
    ++m_nOutCount;
}

bool SuggestionCache::Flush()
{
    if (!m_bGaveUp && !m_Out.isEmpty() && !m_pWriter->write(m_Out))
        m_bGaveUp = true;
    m_Out.clear();
    return !m_bGaveUp;
}

WriteResult SuggestionCache::Finish()
{
    while (!m_Asked.empty()) {
        if (m_Asked.front().found)
            Differ(); // looked up, never kept
        m_Asked.pop_front();
    }
    while (m_Next) { // kept for files no longer listed
        Differ();
        Advance();
    }
    if (m_State == State::Read && m_nParsed != m_nCount)
        Ignore(State::Damaged, QStringLiteral("条目数不符"));
    if (m_bSame)
        return {};
    const auto refused = [](const QString& why, int error) {
        return WriteResult{WriteStatus::CannotCreate,
                           QStringLiteral("建议缓存文件无法写入（%1），未作修改").arg(why), error};
    };
    if (m_State == State::Refused)
        return refused(m_strProblem, 0);
    BeginWriting();
    if (m_bGaveUp && !m_pWriter) {
        if (m_BackupFailure)
            return refused(QStringLiteral("无法备份原文件"), 0);
        return refused(QStringLiteral("无法备份原文件：%1").arg(m_BackupFailure.message()),
                       m_BackupFailure.error);
    }
    if (!m_bGaveUp) {
        char trailer[kTrailerSize];
        PutU32(trailer, m_nOutCount);
        EVP_DigestUpdate(m_pHash, trailer, 4);
        EVP_DigestFinal_ex(m_pHash, reinterpret_cast<unsigned char*>(trailer + 4), nullptr);
        m_Out.append(trailer, kTrailerSize);
        Flush();
    }
    if (m_bGaveUp) {
        const WriteResult failed = m_pWriter->result();
        m_pWriter->discard();
        if (failed)
            return refused(QStringLiteral("超过 %1 MiB").arg(kLargestSuggestionCache >> 20), EFBIG);
        return refused(failed.message(), failed.error);
    }
    const WriteResult written = m_pWriter->commit();
    if (!written)
        return refused(written.message(), written.error);
    return written;
}

} // namespace rovana
