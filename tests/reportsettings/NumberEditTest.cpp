// The numeric edit control: key filter, reading, rewriting on focus loss, notices.
#include "NumberEdit.h"
#include "ReportSettingsIds.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace rovana {
namespace {

struct FilterRow
{
    const char* text; // the control's whole text
    char16_t typed;
    bool accepted;
};

TEST(NumberEditTest, KeyFilterTable)
{
    const FilterRow rows[] = {
        {"", u'-', true},     {"", u'+', true},   {"", u'.', true},    {"", u'0', true},
        {"", u'9', true},     {"-", u'-', false}, {"+", u'+', false},  {"3.5", u'.', false},
        {"1", u'-', true},    {"-1", u'+', true}, {"", u'e', false},   {"", u'E', false},
        {"", u' ', false},    {"", u',', false},  {"12", u'\b', true}, {"", u'\x16', false},
        {"", u'\x03', false}, {"", u'\r', false}, {"", u'。', false},  {"", u'５', false},
    };
    for (const FilterRow& r : rows)
        EXPECT_EQ(NumberEdit::AcceptsCharacter(QChar(r.typed), QString::fromUtf8(r.text)),
                  r.accepted)
            << "text '" << r.text << "' typed U+" << std::hex << int(r.typed);
}

TEST(NumberEditTest, TypingPassesTheFilter)
{
    NumberEdit edit(1005);
    // Each sign and the point once, in any order; letters and blanks never.
    QTest::keyClicks(&edit, QStringLiteral("-+.1-+.2e 3,x"));
    EXPECT_EQ(edit.text(), QStringLiteral("-+.123"));

    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("1-2"));
    EXPECT_EQ(edit.text(), QStringLiteral("1-2")); // the sign's position is not checked
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("1-"));

    // With 3.5 in the control a "." is swallowed even over the selected ".".
    edit.setText(QStringLiteral("3.5"));
    edit.setSelection(1, 1);
    QTest::keyClick(&edit, '.');
    EXPECT_EQ(edit.text(), QStringLiteral("3.5"));
}

TEST(NumberEditTest, ControlKeysForClipboardDoNothing)
{
    NumberEdit edit(1005);
    QApplication::clipboard()->setText(QStringLiteral("42"));
    edit.setText(QStringLiteral("7"));
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("7"));
    // Arrows and Delete still edit.
    QTest::keyClick(&edit, Qt::Key_End);
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), QString());
}

struct FocusRow
{
    const char* text;
    bool readOnly;
    const char* after;
};

void LoseFocus(QWidget* w, Qt::FocusReason reason = Qt::TabFocusReason)
{
    QFocusEvent out(QEvent::FocusOut, reason);
    QApplication::sendEvent(w, &out);
}

TEST(NumberEditTest, FocusLossRewritesTheText)
{
    const FocusRow rows[] = {
        {"7", false, "7.00"},      {"1e5", false, "100000.00"}, {"-", false, "0.00"},
        {"", false, "0.00"},       {"12", true, "12.00"},       {"abc", false, "0.00"},
        {" 2.5.3", false, "2.50"}, {"-0.126", false, "-0.13"},  {"3.14159", true, "3.14"},
        {"1-2", false, "1.00"},
    };
    for (const FocusRow& r : rows) {
        NumberEdit edit(1047);
        edit.setReadOnly(r.readOnly);
        edit.setText(QString::fromUtf8(r.text)); // as pasted: no filter
        LoseFocus(&edit);
        EXPECT_EQ(edit.text(), QString::fromUtf8(r.after)) << "text '" << r.text << "'";
        EXPECT_EQ(edit.Value(), NumberEdit::ReadNumber(edit.text()));
    }
}

TEST(NumberEditTest, ContextMenuKeepsTheText)
{
    NumberEdit edit(1047);
    edit.setText(QStringLiteral("7"));
    LoseFocus(&edit, Qt::PopupFocusReason);
    EXPECT_EQ(edit.text(), QStringLiteral("7"));
}

TEST(NumberEditTest, RealFocusChangeRewritesReadOnlyControl)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* length = new NumberEdit(1018, &window);
    auto* other = new NumberEdit(1005, &window);
    layout->addWidget(length);
    layout->addWidget(other);
    length->setReadOnly(true);
    length->setText(QStringLiteral("4.5"));
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    length->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(length->hasFocus());

    QSignalSpy notices(length, &NumberEdit::ParentMessage);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(length->text(), QStringLiteral("4.50"));
    ASSERT_EQ(notices.count(), 1);
    EXPECT_EQ(notices[0][0].toInt(), 0x0432); // WM_USER + 50
    EXPECT_EQ(notices[0][1].toInt(), 1018);
    EXPECT_EQ(notices[0][2].toInt(), 0);
}

TEST(NumberEditTest, ChangeNoticeCarriesTheId)
{
    NumberEdit edit(1005);
    EXPECT_EQ(edit.objectName(), QStringLiteral("1005"));
    QSignalSpy notices(&edit, &NumberEdit::CommandNotice);
    QTest::keyClicks(&edit, QStringLiteral("2.5"));
    ASSERT_EQ(notices.count(), 3);
    EXPECT_EQ(notices[2][0].toInt(), 0x0400); // EN_UPDATE
    EXPECT_EQ(notices[2][1].toInt(), 1005);
    EXPECT_FLOAT_EQ(edit.Value(), 2.5f);
}

TEST(NumberEditTest, LimitsRefuseAndClamp)
{
    NumberEdit edit(1005);
    edit.SetMaximum(10.0f);
    edit.SetMinimum(-1.0f);
    edit.SetValue(5.0f);
    EXPECT_EQ(edit.text(), QStringLiteral("5.00"));
    edit.SetValue(12.0f); // refused: nothing changes
    edit.SetValue(-2.0f);
    EXPECT_EQ(edit.text(), QStringLiteral("5.00"));
    EXPECT_FLOAT_EQ(edit.Value(), 5.0f);

    edit.setText(QStringLiteral("15"));
    LoseFocus(&edit);
    EXPECT_EQ(edit.text(), QStringLiteral("10.00"));
    edit.setText(QStringLiteral("-3"));
    LoseFocus(&edit);
    EXPECT_EQ(edit.text(), QStringLiteral("-1.00"));
}

TEST(NumberEditTest, DecimalPlaceFormats)
{
    const std::pair<int, const char*> rows[] = {{1, "3.1"}, {4, "3.1416"}, {0, "3.141590"}};
    for (const auto& [places, text] : rows)
        EXPECT_EQ(NumberEdit::FormatNumber(3.14159f, places), QString::fromUtf8(text)) << places;

    NumberEdit edit(1005);
    edit.SetDecimalPlaces(3);
    edit.SetValue(7.0f);
    EXPECT_EQ(edit.text(), QStringLiteral("7.000"));
}

} // namespace
} // namespace rovana
