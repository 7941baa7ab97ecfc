#pragma once

#include "SafeFileWriter.h"
#include "WriteResult.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace rovana {

// The longest file the writers read whole; a test file has 13312 bytes.
inline constexpr qint64 kMaxTestFileBytes = 64 * 1024 * 1024;

// Reads a whole test file (mapped with NativePath, opened without blocking). Nothing when
// it cannot be opened, is not a regular file, is shorter than a complete test file
// (13312 bytes) or longer than kMaxTestFileBytes.
std::optional<QByteArray> ReadWholeTestFile(const QString& path);

// Replaces `path` with `bytes` crash-safely (SafeFileWriter): the old file stays
// byte-identical on any failure, and no temporary file is left behind.
WriteResult WriteWholeFileSafely(const QString& path, const QByteArray& bytes,
                                 const WriteOptions& options = {});

} // namespace rovana
