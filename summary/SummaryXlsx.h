#pragma once

#include "SummaryRows.h"

#include <QByteArray>

#include <optional>

class QIODevice;

namespace rovana::summary {

// The summary as an Excel workbook (.xlsx, written with libxlsxwriter): the sheet
// "汇总表" with the header row and one row per bolt, numbers as number cells shown with
// the table's decimals, columns as wide as their texts; the sheet "统计" with the
// statistics (项目, 数量, 比例(%)). Nothing when the workbook cannot be built; `why` then
// says why.
std::optional<QByteArray> SummaryXlsx(const SiteSummary& summary, QString* why = nullptr);

// The same workbook onto `out`, its rows read once. False when it could not be made or
// written; `why` then says why.
bool WriteSummaryXlsx(const SummaryContent& summary, QIODevice& out, QString* why = nullptr);

// Column width in Excel's units (widths of a digit) for a text: 2 for a character of the
// wide East Asian ranges, 1 for others.
double ExcelTextWidth(const QString& text);

} // namespace rovana::summary
