#pragma once

// What a reader gets out of a PDF: its text through pdftotext and its fonts through
// pdffonts (Debian's poppler-utils), and the texts a sheet's draw list prints.
#include "SheetDrawList.h"

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace rovana::test {

struct ToolOutput
{
    bool ok = false; // the tool ran and exited with 0
    QString out;
    QString err;
};

inline ToolOutput RunTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    ToolOutput r;
    r.ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = p.errorString() + QLatin1Char(' ') + QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The text of one page (from 1) in the order it is drawn.
inline ToolOutput PdfPageText(const QString& pdf, int page)
{
    const QString n = QString::number(page);
    return RunTool(QStringLiteral("pdftotext"),
                   {"-raw", "-enc", "UTF-8", "-f", n, "-l", n, pdf, QStringLiteral("-")});
}

// The names of the fonts embedded in the PDF.
inline QStringList EmbeddedFonts(const QString& pdf)
{
    // name, type (may hold spaces), encoding, then "emb sub uni" and the object id.
    static const QRegularExpression row(
        QStringLiteral("^(\\S+)\\s.*\\s(yes|no)\\s+(?:yes|no)\\s+(?:yes|no)\\s+\\d+\\s+\\d+\\s*$"));
    QStringList names;
    for (const QString& line : RunTool(QStringLiteral("pdffonts"), {pdf}).out.split('\n')) {
        const QRegularExpressionMatch m = row.match(line);
        if (m.hasMatch() && m.captured(2) == QLatin1String("yes"))
            names << m.captured(1);
    }
    return names;
}

// The texts the draw list prints, in order.
inline QStringList PrintedTexts(const sheet::SheetDrawList& list)
{
    QStringList texts;
    for (const sheet::SheetItem& item : list)
        if (item.kind == sheet::SheetItem::Kind::TextAt)
            texts << item.text;
    return texts;
}

// The printed texts that do not stand in the extracted text, whitespace runs taken as
// one space on both sides.
inline QStringList MissingTexts(const QString& extracted, const QStringList& printed)
{
    const QString page = extracted.simplified();
    QStringList missing;
    for (const QString& text : printed)
        if (!page.contains(text.simplified()))
            missing << text;
    return missing;
}

// Characters a faithful extraction of a sheet never gives: radicals (U+2E80..U+2FDF) that
// stand for ideographs, and tabs that stand for spaces.
inline QString LookAlikes(const QString& extracted)
{
    QString found;
    for (const QChar c : extracted)
        if ((c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF) || c == QLatin1Char('\t'))
            found += c;
    return found;
}

} // namespace rovana::test
