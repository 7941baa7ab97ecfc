#pragma once

#include <QStringList>

#include <iosfwd>

namespace rovana::cli {

// sheet --pdf OUT.pdf FILE.mg...: one result sheet per file, in the given order, into one
// A4 PDF. A file that cannot be read gets a page saying so, its message goes to `err` and
// the status is 1 once the PDF is written; usage errors give 2 and no PDF. Needs a
// QGuiApplication.
int RunSheet(const QStringList& args, std::ostream& out, std::ostream& err);

} // namespace rovana::cli
