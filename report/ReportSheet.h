#pragma once

#include "SheetDrawList.h"
#include "SheetInput.h"

namespace rovana::sheet {

// The sheet rectangle of a page W x H: a fifteenth of each dimension as margin, the left
// one widened by a tenth of the width between the margins for the heading column.
SheetRect SheetRectangle(const SheetDevice& device);

// Top of the waveform diagram in the sheet rectangle: 4/13 of its height down.
int DiagramTop(const SheetRect& sheet);

// Everything drawn on the sheet of the record ctx.print: title, table and texts, then the
// diagram of the record's report channel when that is 0, 1 or 2.
SheetDrawList DrawSheet(const SheetContext& ctx);

// The page of a file that cannot be read: `message` in the title font and the file's
// path below it, where the sheet's title would stand, then what was wrong (`detail`, "文件长度
// 4000 字节，不足 13312 字节") when there is something to say. No table, no diagram.
SheetDrawList DrawUnreadablePage(const SheetDevice& device, const QString& path,
                                 const QString& message, const MeasureText& measure,
                                 const QString& detail = {});

// One page of a print job: loads `path` into `printData` and draws its sheet. An empty path
// draws nothing. A file that cannot be read gives the page of DrawUnreadablePage, never a
// sheet of the record `printData` still holds from an earlier page. `loaded`, when given,
// receives how the load ended.
SheetDrawList DrawReportPage(const SheetDevice& device, const QString& path, TestRecord& printData,
                             const SheetSettings& settings, const MeasureText& measure,
                             LoadResult* loaded = nullptr);

} // namespace rovana::sheet
