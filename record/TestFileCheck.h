#pragma once

#include <QByteArray>
#include <QString>

namespace rovana {

// What a path offers as a test file. Only regular files (and symbolic links to them) are
// test files; a FIFO, a device or a folder is never opened for reading in a way that can
// block.
enum class TestFileCheck
{
    Ok,
    Missing,    // nothing at the path: "文件不存在！"
    NotRegular, // a folder, FIFO, device or socket: "无法读取文件"
    Unreadable, // cannot be opened for reading: "无法读取文件"
    Empty,      // length 0: "无法读取文件"
};

// Why a path is no test file, with its name, as the program says it: "无法读取文件（不是普通
// 文件）: X.mg". Empty for Ok.
QString CheckFailureText(TestFileCheck check, const QString& fileName);

// Checks `path` (mapped with NativePath) without reading it: stat first, then an open
// with O_NONBLOCK and a second look at what was opened.
TestFileCheck CheckTestFile(const QString& path);

struct RegularFileRead
{
    TestFileCheck check = TestFileCheck::Ok; // Empty for a file of length 0
    int error = 0;                           // errno of the failed call
    QByteArray bytes;
    qint64 fileSize = -1; // the length fstat gave for what was opened; -1 when nothing was
    qint64 modified = 0;  // its modification time, nanoseconds since 1970
};

// Reads at most `maxBytes` bytes from the start of the regular file at `path`: opened with
// O_RDONLY | O_NONBLOCK | O_CLOEXEC, refused unless fstat calls it a regular file, then
// read until the end or `maxBytes` (reads interrupted by a signal are resumed). A file
// longer than `maxBytes` gives its first `maxBytes` bytes; `truncated` then says so.
RegularFileRead ReadRegularFile(const QString& path, qint64 maxBytes, bool* truncated = nullptr);

} // namespace rovana
