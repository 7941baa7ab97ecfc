#pragma once

#include "CFileData.h"

#include <QStringList>

#include <iosfwd>
#include <memory>

namespace rovana::cli {

// Every subcommand takes its arguments (after the subcommand's name) and writes its
// result to `out` and its errors to `err`; it returns the process exit status.
using Command = int (*)(const QStringList& args, std::ostream& out, std::ostream& err);

// Loads the one test file a subcommand names. On failure writes the message to `err`
// ("无法读取文件" for a file that cannot be read) and returns nothing.
std::unique_ptr<CFileData> LoadSingleFile(const QStringList& args, std::ostream& err);

int RunInfo(const QStringList& args, std::ostream& out, std::ostream& err);

} // namespace rovana::cli
