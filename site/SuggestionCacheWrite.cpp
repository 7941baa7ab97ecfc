// The writing half of the suggestion cache: the new file begun at the first difference,
// a damaged file kept aside first, the end of a pass.
#include "SuggestionCache.h"

#include "MgFileIo.h"
#include "NativePath.h"
#include "PickerVersion.h"
#include "SuggestionCacheFormat.h"

#include <QDateTime>

#include <openssl/evp.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace rovana {

using namespace suggestion_file;

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
    EVP_DigestInit_ex(m_pHash, Sha256Digest(), nullptr);
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
