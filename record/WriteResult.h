#pragma once

#include <QString>

namespace rovana {

// How a write of a file ended.
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
    QString detail; // what failed, for the command-line tool and tests
    int error = 0;  // errno of the call that failed, 0 when none applies

    explicit operator bool() const { return status == WriteStatus::Ok; }
    // The message box text for the user, the only place that makes it: "无法读取文件",
    // "无法创建文件", or for a target that could not be written because the disk is
    // full or write access is missing, a message that says so and ends in "无法创建文件".
    QString message() const;
};

} // namespace rovana
