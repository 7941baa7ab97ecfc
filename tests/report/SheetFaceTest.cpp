// The derived sheet face carries only the glyphs a sheet can print: every character a test
// file's GBK texts decode to, and the program's own texts. A character it leaves out on
// purpose (a radical that shares an ideograph's glyph) is still drawn by the source face.
#include "SheetFace.h"
#include "AnsiCodec.h"
#include "NameTables.h"
#include "SheetPainter.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <set>

namespace rovana::sheet {
namespace {

QString CodePoints(const QString& text)
{
    QString out;
    for (const QChar c : text.left(40))
        out += QStringLiteral("U+%1 ").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    return out;
}

QRawFont DerivedFace()
{
    return QRawFont::fromFont(SheetFont(11));
}

QRawFont StockFace()
{
    QFont stock(QStringLiteral("Noto Serif CJK SC"), 11);
    stock.setStyleStrategy(QFont::NoFontMerging);
    return QRawFont::fromFont(stock);
}

quint32 GlyphOf(const QRawFont& face, QChar c)
{
    return face.glyphIndexesForString(QString(c)).value(0);
}

// Whether the sheet's font, with Qt's fallback to other faces, draws `c` with a real glyph.
bool SheetDraws(QChar c)
{
    QTextLayout layout(QString(c), SheetFont(11));
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    return !runs.isEmpty() && runs.front().glyphIndexes().value(0) != 0;
}

TEST(SheetFaceTest, EveryCharacterOfATestFileIsInTheFaceOrLeftToTheSourceFace)
{
    const QRawFont face = DerivedFace();
    ASSERT_EQ(face.familyName(), QString::fromLatin1(kSheetFaceFamily));
    const QRawFont stock = StockFace();
    ASSERT_EQ(stock.familyName(), QStringLiteral("Noto Serif CJK SC"));

    // The glyphs of the unified ideographs in the source face: a character sharing one of
    // them is left out of the derived face's map on purpose.
    std::set<quint32> ideographGlyphs;
    for (char16_t u = 0x4E00; u <= 0x9FFF; ++u)
        if (const quint32 glyph = GlyphOf(stock, QChar(u)); glyph != 0)
            ideographGlyphs.insert(glyph);

    int decoded = 0;
    QString missing, undrawn;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
            const QString text = FromAnsi(QByteArray(pair, 2));
            if (text.size() != 1 || text[0] == QChar::ReplacementCharacter)
                continue;
            ++decoded;
            const QChar c = text[0];
            if (face.supportsCharacter(c))
                continue;
            // Left out: a radical drawn by the source face, or a character the source face
            // lacks too (U+2252 ≒), drawn by whatever installed face has it.
            const quint32 glyph = GlyphOf(stock, c);
            if (glyph != 0 && !ideographGlyphs.contains(glyph))
                missing += c;
            else if (!SheetDraws(c))
                undrawn += c;
        }
    }
    EXPECT_GT(decoded, 21000); // the GBK repertoire
    EXPECT_TRUE(missing.isEmpty())
        << missing.size() << " characters missing: " << CodePoints(missing).toStdString();
    EXPECT_TRUE(undrawn.isEmpty()) << CodePoints(undrawn).toStdString();
}

TEST(SheetFaceTest, TheProgramsOwnCharactersAreInTheFace)
{
    const QRawFont face = DerivedFace();
    ASSERT_EQ(face.familyName(), QString::fromLatin1(kSheetFaceFamily));
    // Digits, Latin, the signs of the sheet and the summary, and full-width forms.
    QString wanted = QStringLiteral("①②③④⑤×–—≥≤℃µ°±…、。，：；（）％～—·“”"
                                    "锚杆检测结果汇总表单根第页共请复核自动识别长度");
    for (char16_t u = 0x20; u < 0x7F; ++u)
        wanted += QChar(u);
    for (char16_t u = 0xFF01; u <= 0xFF5E; ++u)
        wanted += QChar(u);
    for (const QString& name : kGradeNames)
        wanted += name;
    QString missing;
    for (const QChar c : wanted)
        if (!face.supportsCharacter(c))
            missing += c;
    EXPECT_TRUE(missing.isEmpty())
        << missing.toStdString() << " " << CodePoints(missing).toStdString();
}

TEST(SheetFaceTest, TheFaceIsNotTheWholeCjkFace)
{
    const QRawFont face = DerivedFace();
    ASSERT_EQ(face.familyName(), QString::fromLatin1(kSheetFaceFamily));
    // Outside GBK and the program's texts: an extension A ideograph and a Hangul syllable.
    EXPECT_FALSE(face.supportsCharacter(QChar(0x3400)));
    EXPECT_FALSE(face.supportsCharacter(QChar(0xAC00)));
    // The sheet's font still draws them, from the source face.
    const QFontMetricsF metrics(SheetFont(11));
    EXPECT_GT(metrics.horizontalAdvance(QString(QChar(0x3400))), 0.0);
}

} // namespace
} // namespace rovana::sheet
