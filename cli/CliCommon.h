#pragma once

#include "TestRecord.h"

#include <QStringList>

#include <functional>
#include <iosfwd>
#include <memory>

namespace rovana::cli {

// Exit statuses, the same for every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1; // unreadable input, output that cannot be written
inline constexpr int kExitUsage = 2;   // wrong arguments; nothing was read or written

// Every subcommand takes its arguments (after the subcommand's name) and writes its
// result to `out` and its errors to `err`; it returns the process exit status.
using Command = int (*)(const QStringList& args, std::ostream& out, std::ostream& err);

// True when the arguments ask for help: "--help" or "-h" before a lone "--".
bool WantsHelp(const QStringList& args);

// Writes `why` and the subcommand's usage to `err`; returns kExitUsage.
int UsageError(std::ostream& err, const QString& why, const char* usage);

// One file's failure, as every subcommand reports it on `err`: the path as given, then
// what is wrong ("trunc.mg: 无法读取文件（文件长度 100 字节，不足 13312 字节）").
void ReportFileFailure(std::ostream& err, const QString& path, const QString& what);

// Loads one test file. On failure reports it (ReportFileFailure: "无法读取文件" with the
// reason, "文件不存在" for a missing file; anything but a regular file is refused) and
// returns nothing.
std::unique_ptr<TestRecord> LoadFile(const QString& path, std::ostream& err);

// The frame of the subcommands that read one test file: help goes to `out` with status
// 0; anything but exactly one file (options other than help are unknown; "--" ends the
// options) is a usage error; an unreadable file gives status 1; otherwise `print` writes
// the result to `out`.
int RunOnOneFile(const QStringList& args, std::ostream& out, std::ostream& err, const char* usage,
                 const std::function<void(const TestRecord&, std::ostream&)>& print);

int RunInfo(const QStringList& args, std::ostream& out, std::ostream& err);

} // namespace rovana::cli
