#pragma once

#include <QStringList>

#include <iosfwd>

namespace rovana::cli {

// summary FOLDER [--csv OUT.csv] [--xlsx OUT.xlsx] [--pdf OUT.pdf]: the site summary of
// the folder's test files. Without an output option it prints {"bolts": [...],
// "statistics": {...}} on `out`. Outputs are written through a temporary file and never
// onto a ".mg" file or an input; a failure writes nothing and gives 1, usage errors give
// 2. Unreadable files are rows of the summary, each also noted on `err`; a folder that
// cannot be listed (missing, no folder, no read access) gives 1, a message naming it and no
// output. --help or -h prints the usage on `out` with 0. Needs a QGuiApplication for --pdf.
int RunSummary(const QStringList& args, std::ostream& out, std::ostream& err);

} // namespace rovana::cli
