#include "ReportSheet.h"

#include "SheetBody.h"
#include "SheetDiagram.h"
#include "SheetItems.h"

namespace rovana::sheet {

SheetRect SheetRectangle(const SheetDevice& device)
{
    const int W = device.width;
    const int H = device.height;
    const int mx = W / 15;
    const int my = H / 15;
    return {Trunc(0.1 * (W - 2 * mx) + mx), my, W - mx, H - my};
}

int DiagramTop(const SheetRect& sheet)
{
    return (4 * (sheet.bottom - sheet.top)) / 13;
}

SheetDrawList DrawSheet(const SheetContext& ctx)
{
    SheetDrawList list;
    const SheetRect sheet = SheetRectangle(ctx.device);
    DrawSheetBody(ctx, sheet, list);
    const int channel = ctx.print.m_nReportChannel;
    if (channel >= 0 && channel < kChannelCount)
        DrawWaveDiagram(ctx, sheet, channel, DiagramTop(sheet), list);
    return list;
}

SheetDrawList DrawUnreadablePage(const SheetDevice& device, const QString& path,
                                 const QString& message, const MeasureText& measure,
                                 const QString& detail)
{
    SheetDrawList list;
    const SheetRect sheet = SheetRectangle(device);
    const int lineHeight = measure(message, kTitlePointSize).height();
    const double body = BodyPointSize(device.dpiY);
    const int pathTop = sheet.top + (3 * lineHeight) / 2;
    AddText(list, SheetRole::Notice, 0, {sheet.left, sheet.top}, message, kTitlePointSize, true);
    AddText(list, SheetRole::Notice, 1, {sheet.left, pathTop}, path, body, true);
    if (!detail.isEmpty())
        AddText(list, SheetRole::Notice, 2,
                {sheet.left, pathTop + (3 * measure(path, body).height()) / 2}, detail, body, true);
    return list;
}

SheetDrawList DrawReportPage(const SheetDevice& device, const QString& path, TestRecord& printData,
                             const SheetSettings& settings, const MeasureText& measure,
                             LoadResult* loaded)
{
    if (path.isEmpty())
        return {};
    const LoadResult result = printData.Load(path);
    if (loaded)
        *loaded = result;
    if (!result)
        return DrawUnreadablePage(device, path, result.message(), measure, result.detail);
    return DrawSheet({device, printData, settings, measure});
}

} // namespace rovana::sheet
