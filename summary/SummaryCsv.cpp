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

bool WriteSummaryCsv(const SummaryContent& summary, QIODevice& out, QString* why)
{
    const SummaryRows& rows = summary.rows;
    constexpr qsizetype kChunk = 1 << 16;
    QByteArray chunk("\xEF\xBB\xBF");
    chunk.reserve(kChunk + 4096);
    bool written = true;
    const auto flush = [&] {
        written = written && out.write(chunk) == chunk.size();
        chunk.clear();
    };
    AppendLine(chunk, ColumnHeaders());
    std::array<QString, kColumnCount> fields;
    const bool read = rows.VisitAll([&](const SummaryRow& row) {
        for (int k = 0; k < kColumnCount; ++k)
            fields[static_cast<std::size_t>(k)] = CellOf(row, static_cast<Column>(k)).text;
        AppendLine(chunk, fields);
        if (chunk.size() >= kChunk)
            flush();
    });
    flush();
    if (why && !read)
        *why = rows.ErrorString();
    else if (why && !written)
        *why = out.errorString();
    return read && written;
}

QByteArray SummaryCsv(const SiteSummary& summary)
{
    return InMemory(summary, WriteSummaryCsv).value_or(QByteArray());
}

} // namespace rovana::summary
