#include "ReportOdt.h"

#include "NameTables.h"
#include "PicturePainter.h"
#include "ReportCharts.h"
#include "ReportDocument.h"
#include "ReportText.h"
#include "SheetPainter.h"
#include "SummaryTable.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QTextTable>
#include <QUrl>

namespace rovana::inspection {

namespace {

// Sizes of the text document: its pixels are 1/96 inch, as the writer takes them.
constexpr double kPixelsPerMm = 96.0 / 25.4;
constexpr double kTextWidthMm = 160.0; // A4 less the word processor's margins
constexpr double kTextHeightMm = 240.0;

QTextCharFormat CharAt(double pointSize, bool bold = false)
{
    QTextCharFormat format;
    format.setFontFamilies(SongFamilies());
    format.setFontPointSize(pointSize);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    return format;
}

QTextBlockFormat BlockOf(Qt::Alignment alignment = Qt::AlignLeft, bool pageBreak = false)
{
    QTextBlockFormat format;
    format.setAlignment(alignment);
    if (pageBreak)
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    format.setBottomMargin(4);
    return format;
}

// PNG bytes of an image, kept as a resource of the document: a sheet's pixels are not.
void AddPicture(QTextDocument& text, QTextCursor& cursor, const QString& name, const QImage& image,
                double widthMm)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    text.addResource(QTextDocument::ImageResource, QUrl(name), png);
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(widthMm * kPixelsPerMm);
    format.setHeight(widthMm * kPixelsPerMm * image.height() / std::max(1, image.width()));
    cursor.insertImage(format);
}

// A white page of `widthMm` x `heightMm` at `dpi` for a picture to be painted on.
QImage Canvas(double widthMm, double heightMm, int dpi)
{
    const double perMm = dpi / 25.4;
    QImage image(static_cast<int>(widthMm * perMm), static_cast<int>(heightMm * perMm),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(perMm * 1000.0));
    image.setDotsPerMeterY(static_cast<int>(perMm * 1000.0));
    image.fill(Qt::white);
    return image;
}

void Paint(QImage& image, const picture::Picture& picture)
{
    QPainter painter(&image);
    picture::Paint(painter, picture, sheet::PageFont);
}

void AddFields(QTextCursor& cursor, const std::vector<std::pair<QString, QString>>& rows)
{
    if (rows.empty())
        return;
    QTextTableFormat format;
    format.setBorder(0.5);
    format.setCellPadding(3);
    format.setCellSpacing(0);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QTextTable* table = cursor.insertTable(static_cast<int>(rows.size()), 2, format);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < 2; ++c) {
            QTextCursor cell = table->cellAt(r, c).firstCursorPosition();
            const auto& [label, value] = rows[static_cast<std::size_t>(r)];
            cell.insertText(c == 0 ? label : value, CharAt(10.5));
        }
    cursor.movePosition(QTextCursor::End);
}

void AddParagraph(QTextCursor& cursor, const QString& text, double pointSize = 10.5,
                  bool bold = false, Qt::Alignment alignment = Qt::AlignLeft,
                  bool pageBreak = false, double indent = 0.0)
{
    QTextBlockFormat block = BlockOf(alignment, pageBreak);
    block.setTextIndent(indent);
    cursor.insertBlock(block, CharAt(pointSize, bold));
    cursor.insertText(text, CharAt(pointSize, bold));
}

} // namespace

ReportOdt::ReportOdt(const ReportContent& content)
    : m_Content(content), m_pText(std::make_unique<QTextDocument>())
{}

ReportOdt::~ReportOdt() = default;

int ReportOdt::Steps() const
{
    return static_cast<int>(m_Content.files.size());
}

bool ReportOdt::Build(const document::PageProgress& progress, QString* why)
{
    QTextDocument& text = *m_pText;
    text.clear();
    text.setDefaultFont(sheet::SheetFont(10.5));
    QTextCursor cursor(&text);
    const ReportSettings& s = m_Content.Settings();

    // The cover.
    cursor.setBlockFormat(BlockOf(Qt::AlignHCenter));
    for (int i = 0; i < 6; ++i)
        AddParagraph(cursor, QString(), 14, false, Qt::AlignHCenter);
    AddParagraph(cursor, kInspectionReportTitle, 26, true, Qt::AlignHCenter);
    for (int i = 0; i < 4; ++i)
        AddParagraph(cursor, QString(), 14, false, Qt::AlignHCenter);
    for (const auto& [label, value] : CoverFields(s))
        AddParagraph(cursor, label + QStringLiteral("：") + value, 14, false, Qt::AlignHCenter);
    for (int i = 0; i < 4; ++i)
        AddParagraph(cursor, QString(), 14);
    for (const auto& [label, name] : Signatures(s))
        AddParagraph(cursor,
                     label + QStringLiteral("：") + name +
                         QStringLiteral("　　签字：________________　　日期：____________"),
                     12);

    // The contents, without pages: the word processor breaks them.
    AddParagraph(cursor, kContentsTitle, 14, true, Qt::AlignHCenter, true);
    const std::vector<Chapter> chapters = Chapters(m_Content);
    for (const Chapter& chapter : chapters)
        AddParagraph(cursor, chapter.title, 10.5);
    AddParagraph(cursor, kAppendixSummary, 10.5);
    AddParagraph(cursor, kAppendixSheets, 10.5);

    // The chapters; the charts drawn as the PDF draws them.
    QImage probe = Canvas(10, 10, kSheetDpi);
    const sheet::MeasureText measure = sheet::DeviceMeasure(probe, picture::Face::SheetUnshaped);
    bool first = true;
    for (const Chapter& chapter : chapters) {
        AddParagraph(cursor, chapter.title, 14, true, Qt::AlignLeft, first);
        first = false;
        for (const Block& block : chapter.blocks) {
            switch (block.kind) {
            case Block::Kind::Paragraph:
                AddParagraph(cursor, block.text, 10.5, false, Qt::AlignLeft, false, 21.0);
                break;
            case Block::Kind::Names:
                AddParagraph(cursor, block.text);
                AddParagraph(cursor, block.fields.front().second);
                break;
            case Block::Kind::Fields:
                AddParagraph(cursor, QString());
                AddFields(cursor, block.fields);
                break;
            case Block::Kind::Chart: {
                QImage chart = Canvas(kTextWidthMm, 75.0, kSheetDpi);
                const picture::Edges box{0, 0, chart.width(), chart.height()};
                Paint(chart, block.chart == Chart::ClassCounts
                                 ? ClassCountChart(m_Content.summary.statistics, box, 9, measure)
                                 : LengthRatioChart(m_Content.ratios, box, 9, measure));
                AddParagraph(cursor, QString(), 10.5, false, Qt::AlignHCenter);
                AddPicture(text, cursor,
                           QStringLiteral("chart%1.png").arg(static_cast<int>(block.chart)), chart,
                           kTextWidthMm);
                AddParagraph(cursor, block.caption, 10.5, false, Qt::AlignHCenter);
                break;
            }
            }
        }
    }

    // 附录 A: the summary's table as its files have it, then its statistics.
    AddParagraph(cursor, kAppendixSummary, 14, true, Qt::AlignLeft, true);
    const summary::SummaryRows& rows = m_Content.summary.rows;
    QTextTableFormat format;
    format.setBorder(0.5);
    format.setCellPadding(1);
    format.setCellSpacing(0);
    format.setHeaderRowCount(1);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    AddParagraph(cursor, QString());
    QTextTable* table = cursor.insertTable(rows.Count() + 1, summary::kColumnCount, format);
    for (int k = 0; k < summary::kColumnCount; ++k)
        table->cellAt(0, k).firstCursorPosition().insertText(
            summary::ColumnHeaders()[static_cast<std::size_t>(k)], CharAt(6.5, true));
    int r = 1;
    const bool read = rows.VisitAll([&](const summary::SummaryRow& row) {
        for (int k = 0; k < summary::kColumnCount; ++k)
            table->cellAt(r, k).firstCursorPosition().insertText(
                summary::CellOf(row, static_cast<summary::Column>(k)).text, CharAt(6.5));
        ++r;
    });
    if (!read) {
        if (why)
            *why = rows.ErrorString();
        return false;
    }
    cursor.movePosition(QTextCursor::End);
    AddParagraph(cursor, QStringLiteral("统计"), 10.5, true);
    std::vector<std::pair<QString, QString>> statistics;
    for (const summary::StatisticsLine& line :
         summary::StatisticsLines(m_Content.summary.statistics))
        statistics.push_back(
            {line.label,
             line.ValueText() +
                 (line.hasShare ? QStringLiteral("（%1）").arg(line.ShareText()) : QString())});
    AddFields(cursor, statistics);

    // 附录 B: each result sheet as a picture of its page.
    AddParagraph(cursor, kAppendixSheets, 14, true, Qt::AlignLeft, true);
    sheet::SheetDocument sheets(m_Content.files,
                                [this](const QString&, sheet::SheetSettings& settings) {
                                    sheet::ApplySiteSettings(m_Content.site, settings);
                                });
    QImage page = Canvas(210.0, 297.0, kSheetDpi);
    const int count = sheets.Layout(page);
    const double widthMm = std::min(kTextWidthMm, kTextHeightMm * 210.0 / 297.0);
    for (int i = 0; i < count; ++i) {
        if (progress && !progress(i, count))
            return false;
        page.fill(Qt::white);
        Paint(page, sheets.PageAt(i).picture);
        AddParagraph(cursor, QString(), 10.5, false, Qt::AlignHCenter, i > 0);
        AddPicture(text, cursor, QStringLiteral("sheet%1.png").arg(i + 1),
                   page.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither), widthMm);
    }
    return !progress || progress(count, count);
}

bool ReportOdt::Write(QIODevice& out)
{
    QTextDocumentWriter writer(&out, "odf");
    return writer.write(m_pText.get());
}

} // namespace rovana::inspection
