#pragma once

// The SHA-256 of a file's content: the one hash the program keeps of what a file held (its
// identity on disk, the calibration journal, the suggestion cache). Made by libcrypto,
// which uses the processor's SHA instructions where it has them.

#include <QByteArray>

#include <openssl/types.h>

#include <array>
#include <cstdint>

namespace rovana {

using ContentHash = std::array<std::uint8_t, 32>;

ContentHash HashContent(const QByteArray& bytes);

// The same hash as 32 bytes.
QByteArray HashBytes(const QByteArray& bytes);

// SHA-256, fetched from the library once for the program's life, for hashes made piece by
// piece.
const EVP_MD* Sha256Digest();

} // namespace rovana
