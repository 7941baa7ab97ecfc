#include "SummaryXlsx.h"

#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>

namespace rovana::summary {

namespace {

constexpr double kWidthPadding = 2.0;
constexpr double kMaxColumnWidth = 60.0;

// Collects the first error of a chain of libxlsxwriter calls.
struct XlsxStatus
{
    lxw_error error = LXW_NO_ERROR;
    void operator()(lxw_error e)
    {
        if (error == LXW_NO_ERROR)
            error = e;
    }
};

struct Formats
{
    lxw_format* header = nullptr;
    lxw_format* integer = nullptr;
    lxw_format* oneDecimal = nullptr;
    lxw_format* twoDecimals = nullptr;

    lxw_format* ForDecimals(int decimals) const
    {
        return decimals == 2 ? twoDecimals : decimals == 1 ? oneDecimal : integer;
    }
};

Formats MakeFormats(lxw_workbook* book)
{
    Formats f;
    f.header = workbook_add_format(book);
    format_set_bold(f.header);
    format_set_align(f.header, LXW_ALIGN_CENTER);
    f.integer = workbook_add_format(book);
    format_set_num_format(f.integer, "0");
    f.oneDecimal = workbook_add_format(book);
    format_set_num_format(f.oneDecimal, "0.0");
    f.twoDecimals = workbook_add_format(book);
    format_set_num_format(f.twoDecimals, "0.00");
    return f;
}

void WriteText(XlsxStatus& status, lxw_worksheet* sheet, int row, int col, const QString& text,
               lxw_format* format = nullptr)
{
    if (text.isEmpty() && !format)
        return;
    status(worksheet_write_string(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col),
                                  text.toUtf8().constData(), format));
}

void WriteNumber(XlsxStatus& status, lxw_worksheet* sheet, int row, int col, double value,
                 lxw_format* format)
{
    status(worksheet_write_number(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col),
                                  value, format));
}

void SetWidths(XlsxStatus& status, lxw_worksheet* sheet, const std::vector<double>& widths)
{
    for (std::size_t k = 0; k < widths.size(); ++k)
        status(worksheet_set_column(sheet, static_cast<lxw_col_t>(k), static_cast<lxw_col_t>(k),
                                    std::min(widths[k] + kWidthPadding, kMaxColumnWidth), nullptr));
}

// False when the rows could not be read back.
bool WriteTableSheet(XlsxStatus& status, lxw_worksheet* sheet, const Formats& f,
                     const SummaryRows& rows)
{
    std::vector<double> widths(kColumnCount, 0.0);
    for (int k = 0; k < kColumnCount; ++k) {
        const QString& header = ColumnHeaders()[static_cast<std::size_t>(k)];
        WriteText(status, sheet, 0, k, header, f.header);
        widths[static_cast<std::size_t>(k)] = ExcelTextWidth(header);
    }
    int r = 1;
    const bool read = rows.VisitAll([&](const SummaryRow& row) {
        for (int k = 0; k < kColumnCount; ++k) {
            const auto column = static_cast<Column>(k);
            const SummaryCell cell = CellOf(row, column);
            if (cell.number)
                WriteNumber(status, sheet, r, k, *cell.number,
                            f.ForDecimals(ColumnDecimals(column)));
            else
                WriteText(status, sheet, r, k, cell.text);
            auto& w = widths[static_cast<std::size_t>(k)];
            w = std::max(w, ExcelTextWidth(cell.text));
        }
        ++r;
    });
    // The widths are known only after the last row; the library writes them ahead of the
    // rows when the workbook is closed.
    SetWidths(status, sheet, widths);
    worksheet_freeze_panes(sheet, 1, 0);
    if (rows.Count() > 0)
        status(worksheet_autofilter(sheet, 0, 0, static_cast<lxw_row_t>(rows.Count()),
                                    kColumnCount - 1));
    return read;
}

void WriteStatisticsSheet(XlsxStatus& status, lxw_worksheet* sheet, const Formats& f,
                          const SummaryStatistics& statistics)
{
    const std::array<QString, 3> headers = {QStringLiteral("项目"), QStringLiteral("数量"),
                                            QStringLiteral("比例(%)")};
    std::vector<double> widths(headers.size(), 0.0);
    for (std::size_t k = 0; k < headers.size(); ++k) {
        WriteText(status, sheet, 0, static_cast<int>(k), headers[k], f.header);
        widths[k] = std::max(ExcelTextWidth(headers[k]), 8.0);
    }
    int r = 1;
    for (const StatisticsLine& line : StatisticsLines(statistics)) {
        WriteText(status, sheet, r, 0, line.label);
        widths[0] = std::max(widths[0], ExcelTextWidth(line.label));
        if (line.value)
            WriteNumber(status, sheet, r, 1, *line.value, f.ForDecimals(line.decimals));
        else
            WriteText(status, sheet, r, 1, line.ValueText());
        if (line.hasShare && line.share)
            WriteNumber(status, sheet, r, 2, *line.share, f.oneDecimal);
        else if (line.hasShare)
            WriteText(status, sheet, r, 2, line.ShareText());
        ++r;
    }
    SetWidths(status, sheet, widths);
}

} // namespace

double ExcelTextWidth(const QString& text)
{
    double width = 0.0;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                          (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                          (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                          (u >= 0xFFE0 && u <= 0xFFE6);
        width += wide ? 2.0 : 1.0;
    }
    return width;
}

bool WriteSummaryXlsx(const SummaryContent& summary, QIODevice& out, QString* why)
{
    const auto fail = [why](const QString& reason) {
        if (why)
            *why = reason;
        return false;
    };
    // The library writes to a file name: the workbook is built in a private folder and
    // copied onto `out`, so that the caller writes the output the safe way. Rows go to the
    // library's own temporary file as they are written (constant memory), so a workbook of
    // any size is built in the same memory; it keeps texts in the cells, not in a shared
    // table.
    QTemporaryDir dir;
    if (!dir.isValid())
        return fail(QStringLiteral("无法创建临时文件夹：%1").arg(dir.errorString()));
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("summary.xlsx")));
    const QByteArray tmp = QFile::encodeName(dir.path());

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(tmp.constData());
    lxw_workbook* book = workbook_new_opt(path.constData(), &options);
    if (!book)
        return fail(QStringLiteral("无法建立 Excel 工作簿"));
    XlsxStatus status;
    bool read = true;
    const Formats formats = MakeFormats(book);
    lxw_worksheet* table = workbook_add_worksheet(book, "汇总表");
    lxw_worksheet* stats = workbook_add_worksheet(book, "统计");
    if (table && stats) {
        read = WriteTableSheet(status, table, formats, summary.rows);
        WriteStatisticsSheet(status, stats, formats, summary.statistics);
    } else {
        status(LXW_ERROR_MEMORY_MALLOC_FAILED);
    }
    // Closing writes the file and frees the workbook, also after an error.
    const lxw_error closed = workbook_close(book);
    status(closed);
    if (!read)
        return fail(summary.rows.ErrorString());
    if (status.error != LXW_NO_ERROR)
        return fail(QStringLiteral("无法写入 Excel 工作簿：%1")
                        .arg(QString::fromUtf8(lxw_strerror(status.error))));

    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    QByteArray chunk;
    while (!(chunk = file.read(1 << 20)).isEmpty())
        if (out.write(chunk) != chunk.size())
            return fail(out.errorString());
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return true;
}

std::optional<QByteArray> SummaryXlsx(const SiteSummary& summary, QString* why)
{
    return InMemory(summary, WriteSummaryXlsx, why);
}

} // namespace rovana::summary
