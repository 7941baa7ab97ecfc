#pragma once

#include "SheetDrawList.h"
#include "SheetInput.h"

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

// The channel whose measured lengths the test parameters show: 0 when bChannel1 is 1,
// else 1 when bChannel2 is 1, else 2.
int LengthChannel(const ReportOptions& options);

// The grade table entry that equals `gradeText` without regard to case, or empty.
QString ConclusionGrade(const QString& gradeText);

// The verdict a quality class text gives: none for an empty or blank class (nobody
// evaluated the bolt), a fail for "IV" in any case, a pass for any other text.
enum class Verdict
{
    NotEvaluated,
    Pass,
    Fail,
};
Verdict VerdictOf(const QString& qualityClass);

// The conclusion: lengths, grade and class, a CR LF, then the verdict " 评定合格",
// " 评定不合格" for the class "IV" in any case, or " 未评定" when the class is empty.
QString ConclusionText(const TestRecord& print);

} // namespace rovana::sheet
