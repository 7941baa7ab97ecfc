#pragma once

#include <QStringList>

#include <iosfwd>

namespace rovana::cli {

// report FOLDER [--pdf OUT.pdf] [--odt OUT.odt]: the inspection report of the folder's test
// files ("锚杆锚固质量无损检测报告"). Without an output option it prints the report's
// content as JSON: the settings as printed (and which were taken from the files or left
// empty because the files disagree), the statistics, the conclusion, the bolts it names,
// the question the window asks before writing, and the page list. Exit statuses as
// `summary`: 1 for unreadable files (the outputs are written all the same), a folder that
// cannot be read or an output that cannot be written (nothing is then written); 2 for
// usage errors and refused outputs. Needs a QGuiApplication.
int RunReport(const QStringList& args, std::ostream& out, std::ostream& err);

} // namespace rovana::cli
