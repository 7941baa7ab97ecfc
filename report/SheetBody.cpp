#include "SheetBody.h"

#include "BoltResult.h"
#include "NameTables.h"
#include "SheetItems.h"

#include <array>

namespace rovana::sheet {

namespace {

// A section heading, written one character per line from `firstY` down.
struct Heading
{
    QString text;
    int firstY;
};

// The texts of one five-column parameter block (design or test).
struct ParameterBlock
{
    int top;
    int bottom;
    SheetRole headingRole;
    SheetRole valueRole;
    std::array<QString, 5> values;
};

const std::array<QString, 5> kParameterHeadings = {
    QStringLiteral("Φ(mm)"), QStringLiteral("L(m)"), QStringLiteral("L0(m)"),
    QStringLiteral("Lr(m)"), QStringLiteral("D(%)"),
};

QString Metres(float value)
{
    return QString::asprintf("%0.2f m", static_cast<double>(value));
}

// Diameters carry their own unit: their heading gives millimetres.
QString Millimetres(float value)
{
    return QString::asprintf("%0.2f mm", static_cast<double>(value));
}

void DrawTitle(const SheetContext& ctx, const SheetRect& s, const SheetLayout& lay,
               SheetDrawList& list)
{
    if (ctx.settings.options.bShowTitle == 0)
        return;
    const QString& title = ctx.print.m_strTitle;
    const int cx = ctx.measure(title, kTitlePointSize).width();
    const int x = Trunc(((s.right - cx - s.left) / 2 + lay.X0) - 0.05 * ctx.device.width);
    AddText(list, SheetRole::Title, 0, {x, s.top}, title, kTitlePointSize, true);
}

void DrawGrid(const SheetRect& s, const SheetLayout& lay, SheetDrawList& list)
{
    AddShape(list, SheetItem::Kind::Rectangle, SheetRole::Frame,
             {lay.Lx, lay.top1, s.right, lay.Ybot});
    AddLine(list, SheetRole::HeadingColumn, 0, {s.left, lay.top1}, {s.left, lay.Ybot});
    for (int k = 1; k <= 3; ++k) {
        const int y = lay.top1 + k * lay.h;
        AddLine(list, SheetRole::GridLine, k, {s.left, y}, {s.right, y});
    }
    AddLine(list, SheetRole::GridLine, kGridInfoEnd, {lay.Lx, lay.y4}, {s.right, lay.y4});
    AddLine(list, SheetRole::GridLine, kGridDiagramEnd, {lay.Lx, lay.Y5}, {s.right, lay.Y5});

    const int w = s.right - s.left;
    const std::array<int, 3> columns = {w / 6 + lay.X0 - 40, w / 2 + lay.X0 - 40,
                                        w / 6 + w / 2 + lay.X0 - 40};
    const int bottom = lay.top1 + (4 * lay.D2) / 6;
    for (int i = 0; i < 3; ++i)
        AddLine(list, SheetRole::ColumnLine, kColumnInfo + i, {columns[i], lay.top1},
                {columns[i], bottom});
}

void DrawHeadings(const SheetContext& ctx, const SheetRect& s, const SheetLayout& lay,
                  SheetDrawList& list)
{
    const double pt = BodyPointSize(ctx.device.dpiY);
    const QSize c = ctx.measure(QStringLiteral("声"), pt);
    const int step = c.height() + 15;
    const int x = Trunc(s.left - 0.05 * (s.right - s.left) - c.width() / 2);
    const auto first = [&](int n, int top, int bottom) {
        return top + (bottom - n * step - top) / 2;
    };
    const std::array<Heading, 5> headings = {{
        {QStringLiteral("基本信息"), s.top + (lay.E - 4 * step - lay.top1) / 2},
        {QStringLiteral("检测波形及解释示意图"),
         lay.top1 + (5 * lay.D2) / 7 +
             ((5 * (lay.top1 - lay.E)) / 7 - 10 * step + (12 * lay.E) / 10) / 2},
        {QStringLiteral("设计参数"), first(4, lay.Y5, lay.y6)},
        {QStringLiteral("检测参数"), first(4, lay.y6, lay.y7)},
        {QStringLiteral("检测结果"), first(4, lay.y7, lay.y8)},
    }};
    for (int section = 0; section < 5; ++section) {
        const Heading& hd = headings[section];
        for (int i = 0; i < hd.text.size(); ++i)
            AddText(list, SheetRole::Heading, section * 100 + i, {x, hd.firstY + i * step},
                    hd.text.mid(i, 1), pt, true);
    }
}

void DrawBasicInformation(const SheetContext& ctx, const SheetRect& s, const SheetLayout& lay,
                          SheetDrawList& list)
{
    const TestRecord& d = ctx.print;
    const BoltResult result = ResultOf(d);
    const std::array<std::array<QString, 4>, 4> cells = {{
        {QStringLiteral("工程名称"), d.m_strProjectName, QStringLiteral("项目名称"),
         d.m_strItemName},
        {QStringLiteral("锚杆编号"), result.boltNo, QStringLiteral("检测依据"), d.m_strTestBasis},
        {QStringLiteral("安装日期"), d.m_strInstallDate, QStringLiteral("设备型号"),
         d.m_strInstrument},
        {QStringLiteral("锚杆类型"), NameAt(kBoltTypeNames, d.m_nBoltType),
         QStringLiteral("检测日期"), result.testDate},
    }};
    const double pt = BodyPointSize(ctx.device.dpiY);
    const int w = s.right - s.left;
    const std::array<int, 4> rowOffset = {0, lay.h, (2 * lay.D2) / 6, (3 * lay.D2) / 6};
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            const QString& text = cells[row][col];
            const QSize ext = ctx.measure(text, pt);
            const int y = lay.top1 + rowOffset[row] + (lay.h - ext.height()) / 2;
            const int half = col < 2 ? 0 : w / 2;
            const bool label = col % 2 == 0;
            const int x =
                label ? s.left + half + (w / 6 - ext.width()) / 2 : s.left + w / 6 + half + 45;
            AddText(list, label ? SheetRole::InfoLabel : SheetRole::InfoValue, row * 4 + col,
                    {x, y}, text, pt, true);
        }
    }
}

void DrawParameterBlock(const SheetContext& ctx, const SheetRect& s, const ParameterBlock& b,
                        SheetDrawList& list)
{
    const double pt = BodyPointSize(ctx.device.dpiY);
    const int w = s.right - s.left;
    const int cw = w / 5;
    const int height = b.bottom - b.top;
    for (int k = 0; k < 5; ++k) {
        const int ck = (k * w) / 5;
        const QSize head = ctx.measure(kParameterHeadings[k], pt);
        AddText(
            list, b.headingRole, k,
            {s.left + (cw - head.width()) / 2 + ck, b.top + ((2 * height) / 5 - head.height()) / 2},
            kParameterHeadings[k], pt, true);
        const QSize value = ctx.measure(b.values[k], pt);
        AddText(list, b.valueRole, k,
                {s.left + (cw - value.width()) / 2 + ck, b.top + (height + value.height()) / 2},
                b.values[k], pt, true);
    }
}

void DrawParameterLines(const SheetRect& s, const SheetLayout& lay, int top, int bottom,
                        int splitTag, int endTag, int columnTag, SheetDrawList& list)
{
    const int split = top + (2 * (bottom - top)) / 5;
    AddLine(list, SheetRole::GridLine, splitTag, {s.left, split}, {s.right, split});
    AddLine(list, SheetRole::GridLine, endTag, {lay.Lx, bottom}, {s.right, bottom});
    for (int k = 0; k < 5; ++k) {
        const int x = s.left + (k * (s.right - s.left)) / 5;
        AddLine(list, SheetRole::ColumnLine, columnTag + k, {x, top}, {x, bottom});
    }
}

void DrawParameters(const SheetContext& ctx, const SheetRect& s, const SheetLayout& lay,
                    SheetDrawList& list)
{
    const TestRecord& d = ctx.print;
    DrawParameterLines(s, lay, lay.Y5, lay.y6, kGridDesignSplit, kGridDesignEnd, kColumnDesign,
                       list);
    DrawParameterBlock(
        ctx, s,
        {lay.Y5,
         lay.y6,
         SheetRole::DesignHeading,
         SheetRole::DesignValue,
         {Millimetres(d.m_fDesignDiameter), Metres(d.m_fDesignLength), Metres(d.m_fDesignL0),
          Metres(d.m_fDesignLength - d.m_fDesignL0), NameAt(kGradeNames, d.m_nDesignGrade)}},
        list);

    DrawParameterLines(s, lay, lay.y6, lay.y7, kGridTestSplit, kGridTestEnd, kColumnTest, list);
    // The report channel's analysis, as in the conclusion and the summary: a length nobody
    // measured is an empty cell, never 0.00 m.
    const BoltResult result = ResultOf(d);
    const ChannelResult& r = result.report;
    const auto measured = [&r](float metres) { return r.measured ? Metres(metres) : QString(); };
    DrawParameterBlock(ctx, s,
                       {lay.y6,
                        lay.y7,
                        SheetRole::TestHeading,
                        SheetRole::TestValue,
                        {Millimetres(d.m_fTestDiameter), measured(r.length),
                         measured(r.freeLength), measured(r.anchorLength), result.GradeText()}},
                       list);
}

// The conclusion on two lines: the CR LF of the text breaks it before the verdict.
void DrawResult(const SheetContext& ctx, const SheetRect& s, const SheetLayout& lay,
                SheetDrawList& list)
{
    const double pt = BodyPointSize(ctx.device.dpiY);
    const QString text = ConclusionText(ResultOf(ctx.print));
    const int cy = ctx.measure(text, pt).height();
    const int y = lay.y7 + (lay.y8 - lay.y7 - cy) / 2 - cy;
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    for (int i = 0; i < lines.size(); ++i)
        AddText(list, SheetRole::Conclusion, i, {s.left + 20, y + i * cy}, lines[i], pt, true);

    const QString unit = QStringLiteral("检测单位：");
    const QSize ext = ctx.measure(unit, pt);
    const int unitY = lay.y8 + ext.height();
    AddText(list, SheetRole::UnitLabel, 0, {lay.Lx, unitY}, unit, pt, true);
    const int nameX = Trunc(s.left - 0.1 * (s.right - s.left) + ext.width());
    AddText(list, SheetRole::UnitName, 0, {nameX, unitY}, ctx.print.m_strTestUnit, pt, true);
}

} // namespace

SheetLayout ComputeSheetLayout(const SheetContext& ctx, const SheetRect& s)
{
    const int W = ctx.device.width;
    SheetLayout lay;
    lay.X0 = Trunc(0.1 * W + W / 15);
    const int tmHeight = ctx.measure(QString(), kTitlePointSize).height();
    lay.top1 = Trunc(1.2 * tmHeight + s.top);
    lay.Ybot = Trunc(s.bottom * kFrameBottomShare);
    lay.Lx = Trunc(s.left - 0.1 * (s.right - s.left));
    lay.E = (s.bottom - s.top) / 3;
    lay.D2 = lay.E - lay.top1;
    lay.h = lay.D2 / 6;
    lay.y4 = lay.top1 + 4 * lay.h;
    lay.Y5 = lay.top1 + (12 * lay.E) / 10;
    const double third = (s.bottom * kFrameBottomShare - lay.Y5) / 3;
    lay.y6 = Trunc(lay.Y5 + third);
    lay.y7 = Trunc(third + lay.y6);
    lay.y8 = Trunc(third + lay.y7);
    return lay;
}

void DrawSheetBody(const SheetContext& ctx, const SheetRect& sheet, SheetDrawList& list)
{
    const SheetLayout lay = ComputeSheetLayout(ctx, sheet);
    DrawTitle(ctx, sheet, lay, list);
    DrawGrid(sheet, lay, list);
    DrawHeadings(ctx, sheet, lay, list);
    DrawBasicInformation(ctx, sheet, lay, list);
    DrawParameters(ctx, sheet, lay, list);
    DrawResult(ctx, sheet, lay, list);
}

QString ConclusionText(const BoltResult& result)
{
    const ChannelResult& r = result.report;
    if (!r.measured)
        return QStringLiteral("\r\n 未评定"); // no lengths nobody measured
    const QString lengths =
        QStringLiteral("自由端长:%1m, 锚固长度:%2m")
            .arg(QString::asprintf("%0.2f", static_cast<double>(r.freeLength)),
                 QString::asprintf("%0.2f", static_cast<double>(r.anchorLength)));
    if (result.verdict == Verdict::NotEvaluated)
        return lengths + QStringLiteral("\r\n 未评定");
    return lengths +
           QStringLiteral(", 密实度等级:%1, 锚固质量等级:%2类\r\n ")
               .arg(result.GradeText(), result.ClassText()) +
           (result.verdict == Verdict::Fail ? QStringLiteral("评定不合格")
                                            : QStringLiteral("评定合格"));
}

} // namespace rovana::sheet
