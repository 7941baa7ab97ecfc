#pragma once

#include <QString>

namespace rovana {

// How a load of a ".mg" file ended. Anything but Ok leaves the record untouched.
enum class LoadStatus
{
    Ok,
    CannotOpen,  // missing, unreadable, a directory, or empty
    Malformed,   // too short, a text without terminator, a block overrun, a bad sample count
    InvalidDate, // the acquisition date is out of range or not a calendar day
};

struct LoadResult
{
    LoadStatus status = LoadStatus::Ok;
    QString detail; // what exactly was wrong, for the command-line tool and tests

    explicit operator bool() const { return status == LoadStatus::Ok; }

    // The message a user sees: "无法读取文件" for files that cannot be read or make no
    // sense, a message naming the date for an invalid test date.
    QString message() const;
    // The message with what was wrong: "无法读取文件（文件不存在）".
    QString described() const;
    // The same with the file's name, as the program shows a refused file:
    // "无法读取文件（文件长度 5000 字节，不足 13312 字节）: MG0001.mg".
    QString explained(const QString& fileName) const;

    static LoadResult ok() { return {}; }
    static LoadResult fail(LoadStatus status, QString detail)
    {
        return {status, std::move(detail)};
    }
};

} // namespace rovana
