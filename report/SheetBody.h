#pragma once

#include "SheetDrawList.h"
#include "SheetInput.h"

namespace rovana {
struct BoltResult;
}

namespace rovana::sheet {

// The positions of the sheet's table, device pixels.
struct SheetLayout
{
    int X0 = 0;   // origin of the title and of the basic-information column lines
    int top1 = 0; // top of the frame: 1.2 title lines below the sheet's top
    int Ybot = 0; // bottom of the frame
    int Lx = 0;   // left edge of the frame; the heading column runs from Lx to the sheet's left
    int E = 0;    // a third of the sheet's height
    int D2 = 0;   // E - top1
    int h = 0;    // height of a basic-information row
    int y4 = 0;   // below the basic information
    int Y5 = 0;   // below the diagram; top of the design parameters
    int y6 = 0;   // top of the test parameters
    int y7 = 0;   // top of the test result
    int y8 = 0;   // bottom of the test result (no line there)
    friend bool operator==(const SheetLayout&, const SheetLayout&) = default;
};

// The single-precision 0.8 of the frame's bottom and the three lower blocks.
inline constexpr double kFrameBottomShare = static_cast<double>(0.8f);

// Computes the table's positions for the sheet rectangle `sheet`.
SheetLayout ComputeSheetLayout(const SheetContext& ctx, const SheetRect& sheet);

// Appends the title, the frame, the grid and all table texts: section headings, basic
// information, design and test parameters, the conclusion and the testing organisation.
void DrawSheetBody(const SheetContext& ctx, const SheetRect& sheet, SheetDrawList& list);

// The conclusion, with the lengths of the test row: "自由端长:…m, 锚固长度:…m", then for an
// evaluated bolt its grade and class and, after a CR LF, " 评定合格" or " 评定不合格" (class
// IV); a bolt nobody evaluated gets " 未评定" after the lengths, with no grade or class, and
// one nobody measured (no end and bottom on its report channel) " 未评定" alone.
QString ConclusionText(const BoltResult& result);

} // namespace rovana::sheet
