#pragma once

// The byte layout of the suggestion cache file (SuggestionCache.h) and the helpers its
// reading and writing share. Internal to the site library.

#include "SuggestionCache.h"

#include <openssl/sha.h>

#include <QtGlobal>

#include <cerrno>
#include <cstdint>
#include <tuple>

#include <unistd.h>

namespace rovana::suggestion_file {

inline constexpr char kMagic[8] = {'R', 'V', 'N', 'S', 'U', 'G', 'G', '\n'};
inline constexpr qint64 kHeaderSize = 8 + 3 * 4;
inline constexpr qint64 kDigestSize = SHA256_DIGEST_LENGTH;
inline constexpr int kHashSize = static_cast<int>(std::tuple_size_v<ContentHash>);
inline constexpr qint64 kTrailerSize = 4 + kDigestSize;
// An entry's name and value are never longer: a file name is at most 255 bytes.
inline constexpr int kLongestName = 1024;
inline constexpr int kLongestValue = 4096;
inline constexpr qint64 kReadChunk = 64 * 1024;
inline constexpr qsizetype kWriteChunk = 256 * 1024;

inline std::uint32_t U32At(const char* p)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(p[i]);
    return v;
}

inline std::uint16_t U16At(const char* p)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(p[0]) |
                                      static_cast<std::uint8_t>(p[1]) << 8);
}

inline void PutU32(char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i, v >>= 8)
        p[i] = static_cast<char>(v & 0xff);
}

inline void PutU16(char* p, std::uint16_t v)
{
    p[0] = static_cast<char>(v & 0xff);
    p[1] = static_cast<char>(v >> 8);
}

// pread until `size` bytes or the end; the bytes read, -1 on a failure.
inline qint64 ReadFully(int fd, char* into, qint64 size, qint64 at)
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

} // namespace rovana::suggestion_file
