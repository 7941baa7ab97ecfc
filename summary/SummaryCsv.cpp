#include "SummaryCsv.h"

namespace rovana::summary {

namespace {

void AppendField(QByteArray& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const bool quote =
        utf8.contains(',') || utf8.contains('"') || utf8.contains('\r') || utf8.contains('\n');
    if (!quote) {
        out += utf8;
        return;
    }
    out += '"';
    for (char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// A spreadsheet program takes a cell that begins with one of these as a formula (or, for
// tab and carriage return, strips them and then may): a bolt number "=HYPERLINK(...)"
// typed on the instrument must stay text.
bool StartsLikeAFormula(const QString& text)
{
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    return !text.isEmpty() && kFormulaStarts.contains(text.front());
}

void AppendLine(QByteArray& out, const std::array<QString, kColumnCount>& fields)
{
    for (int k = 0; k < kColumnCount; ++k) {
        if (k > 0)
            out += ',';
        const QString& field = fields[static_cast<std::size_t>(k)];
        if (!IsNumberColumn(static_cast<Column>(k)) && StartsLikeAFormula(field))
            AppendField(out, QLatin1Char('\'') + field);
        else
            AppendField(out, field);
    }
    out += "\r\n";
}

} // namespace

QByteArray SummaryCsv(const SiteSummary& summary)
{
    QByteArray out("\xEF\xBB\xBF");
    out.reserve(static_cast<qsizetype>(summary.rows.size()) * 120 + 256);
    AppendLine(out, ColumnHeaders());
    std::array<QString, kColumnCount> fields;
    for (const SummaryRow& row : summary.rows) {
        for (int k = 0; k < kColumnCount; ++k)
            fields[static_cast<std::size_t>(k)] = CellOf(row, static_cast<Column>(k)).text;
        AppendLine(out, fields);
    }
    return out;
}

} // namespace rovana::summary
