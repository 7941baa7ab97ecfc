#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace rovana {

// How a write of a ".mg" file ended.
enum class WriteStatus
{
    Ok,
    CannotRead,   // the source could not be read or is no test file: "无法读取文件"
    CannotCreate, // the target could not be written: "无法创建文件"
    TextTooLong,  // the texts do not fit into the analysis block; nothing written
};

struct WriteResult
{
    WriteStatus status = WriteStatus::Ok;
    QString detail;

    explicit operator bool() const { return status == WriteStatus::Ok; }
    // The message box text for the user.
    QString message() const;
};

// Reads a whole test file. Nothing when it cannot be opened, is a directory, or is
// shorter than a complete test file (13312 bytes).
std::optional<QByteArray> ReadWholeTestFile(const QString& path);

// Replaces `path` with `bytes` crash-safely: the new content goes to a temporary file
// beside it and takes the old file's place only once it is complete, so the old file
// stays whole on any failure. An existing file that is not writable is refused.
WriteResult WriteWholeFileSafely(const QString& path, const QByteArray& bytes);

} // namespace rovana
