#pragma once

#include <QStringList>

#include <iosfwd>

namespace rovana::cli {

// sheet --pdf OUT.pdf FILE.mg...: one result sheet per file, in the given order, into one
// A4 PDF. A file that cannot be read gets a page saying so, its message goes to `err` and
// the status is 1 once the PDF is written. Usage errors give 2 and no PDF: among them an
// output that is one of the inputs, ends in ".mg" (any case) or exists and is not a
// regular file. A PDF that cannot be written completely leaves an existing file as it
// was and gives 1 with a message. Needs a QGuiApplication.
int RunSheet(const QStringList& args, std::ostream& out, std::ostream& err);

} // namespace rovana::cli
