#pragma once

#include "SummaryRows.h"

#include <QByteArray>

class QIODevice;

namespace rovana::summary {

// The table as CSV: UTF-8 with a byte-order mark (spreadsheet programs then read the
// Chinese texts right), the header line, one line per row, fields quoted as RFC 4180
// asks (a field with a comma, a double quote or a line break is enclosed in double
// quotes, its double quotes doubled), lines ended by CR LF. No statistics. A text cell
// (any column but the number columns) that begins with "=", "+", "-", "@", a tab or a
// carriage return gets a leading apostrophe, so that spreadsheet programs show it as text
// and never run it as a formula.
QByteArray SummaryCsv(const SiteSummary& summary);

// The same, row by row onto `out`. False when a row could not be read back or a write
// failed; `why` then says which.
bool WriteSummaryCsv(const SummaryContent& summary, QIODevice& out, QString* why = nullptr);

} // namespace rovana::summary
