#include "AnsiCodec.h"

#include <gtest/gtest.h>

namespace rovana {
namespace {

TEST(AnsiCodecTest, ChineseRoundTripsThroughCodePage936)
{
    const QString text = QStringLiteral("单根锚杆检测结果表 JCJ/T 182-2009 Φ25");
    const QByteArray encoded = ToAnsi(text);
    // Each of the nine Chinese characters takes two bytes.
    EXPECT_EQ(encoded.left(2), QByteArray("\xB5\xA5")); // 单
    EXPECT_EQ(FromAnsi(encoded), text);
}

TEST(AnsiCodecTest, AsciiPassesUnchanged)
{
    const QByteArray ascii("MG0001 K12+350 ~%");
    EXPECT_EQ(ToAnsi(QString::fromLatin1(ascii)), ascii);
    EXPECT_EQ(FromAnsi(ascii), QString::fromLatin1(ascii));
}

TEST(AnsiCodecTest, CharactersTheCodePageLacksBecomeQuestionMarks)
{
    EXPECT_EQ(ToAnsi(QStringLiteral("a😀b")), QByteArray("a?b"));
    EXPECT_EQ(ToAnsi(QStringLiteral("ก")), QByteArray("?")); // Thai
}

TEST(AnsiCodecTest, InvalidBytesDecodeToReplacementCharacters)
{
    // 0xFF is no lead byte; a lead byte at the end has no trail byte.
    const QString decoded = FromAnsi(QByteArray("A\xFF"
                                                "B\xB5",
                                                4));
    ASSERT_EQ(decoded.size(), 4);
    EXPECT_EQ(decoded[0], QChar('A'));
    EXPECT_EQ(decoded[1], QChar(0xFFFD));
    EXPECT_EQ(decoded[2], QChar('B'));
    EXPECT_EQ(decoded[3], QChar(0xFFFD));
}

TEST(AnsiCodecTest, EmptyStaysEmpty)
{
    EXPECT_TRUE(ToAnsi(QString()).isEmpty());
    EXPECT_TRUE(FromAnsi(QByteArray()).isEmpty());
}

} // namespace
} // namespace rovana
