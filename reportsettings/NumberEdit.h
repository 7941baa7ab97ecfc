#pragma once

#include <QLineEdit>

#include <cstdint>

namespace rovana {

// Notices the numeric edit control gives its parent.
inline constexpr int EN_UPDATE = 0x0400; // command notification: the text has changed
inline constexpr int WM_FLOATEDIT_KILLFOCUS = 0x0400 + 50; // WM_USER + 50 = 0x0432

// A single-line edit for decimal numbers. Typed characters pass a filter (digits,
// backspace, and one each of ".", "+" and "-" in the whole text); the text is read into
// the value on every change and rewritten in the decimal-places format ("%.2f" by default)
// when the control loses the focus. Pasted text is not filtered; it reads as its longest
// numeric prefix, or 0.
class NumberEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit NumberEdit(int id, QWidget* parent = nullptr);

    int Id() const { return m_nId; }

    // Takes `value` and writes it as the text, unless an active limit refuses it; a
    // refused value changes nothing.
    void SetValue(float value);
    float Value() const { return m_fValue; }

    // Limits; each applies only once set. The dialogs of this program set none.
    void SetMaximum(float maximum);
    void SetMinimum(float minimum);
    // Decimals of the rewritten text: 1..4 give "%.1f".."%.4f", any other value "%f".
    void SetDecimalPlaces(std::int8_t places) { m_nDecimalPlaces = places; }

    // Whether the filter lets character `c` into a control whose whole text is `text`.
    static bool AcceptsCharacter(QChar c, const QString& text);
    // The number a text stands for: its longest decimal prefix after leading blanks, as
    // a float; 0 for an empty text or one without a number.
    static float ReadNumber(const QString& text);
    // `value` in the format of `places` decimals.
    static QString FormatNumber(float value, int places);

signals:
    // A change notice to the parent: notification `code` (EN_UPDATE) from control `id`.
    void CommandNotice(int code, int id);
    // A private message to the parent: WM_FLOATEDIT_KILLFOCUS with wParam = the control's
    // identifier and lParam = 0.
    void ParentMessage(int message, int wParam, int lParam);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void OnTextChanged(const QString& text);
    void OnFocusLost();

    const int m_nId;
    float m_fValue = 0.0f;
    float m_fMaximum = 0.0f;
    float m_fMinimum = 0.0f;
    int m_bMaximumOn = 0;
    int m_bMinimumOn = 0;
    std::int8_t m_nDecimalPlaces = 2;
};

} // namespace rovana
