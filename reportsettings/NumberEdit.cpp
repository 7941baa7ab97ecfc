#include "NumberEdit.h"

#include "NumberText.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace rovana {
namespace {

// Keys the dialog handles before an edit sees them (default button, Cancel, tab order).
bool IsDialogKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
           key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

// Ctrl with a letter types a control character (copy, cut, paste, undo, select all).
bool IsControlCharacter(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & (Qt::ControlModifier | Qt::MetaModifier);
    return ctrl && !(mods & Qt::AltModifier) && event->key() >= Qt::Key_A &&
           event->key() <= Qt::Key_Z;
}

} // namespace

NumberEdit::NumberEdit(int id, QWidget* parent) : QLineEdit(parent), m_nId(id)
{
    setObjectName(QString::number(id));
    // Composed input would reach the text without passing the filter.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAcceptDrops(false);
    connect(this, &QLineEdit::textChanged, this, &NumberEdit::OnTextChanged);
}

bool NumberEdit::AcceptsCharacter(QChar c, const QString& text)
{
    if (c == QLatin1Char('\b'))
        return true;
    if (c == QLatin1Char('.') || c == QLatin1Char('+') || c == QLatin1Char('-'))
        return !text.contains(c);
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

float NumberEdit::ReadNumber(const QString& text)
{
    return text.isEmpty() ? 0.0f : LenientToFloat(text);
}

QString NumberEdit::FormatNumber(float value, int places)
{
    const double v = static_cast<double>(value);
    switch (places) {
    case 1:
        return QString::asprintf("%.1f", v);
    case 2:
        return QString::asprintf("%.2f", v);
    case 3:
        return QString::asprintf("%.3f", v);
    case 4:
        return QString::asprintf("%.4f", v);
    default:
        return QString::asprintf("%f", v);
    }
}

void NumberEdit::SetValue(float value)
{
    if ((m_bMaximumOn && value > m_fMaximum) || (m_bMinimumOn && value < m_fMinimum))
        return;
    m_fValue = value;
    setText(FormatNumber(value, m_nDecimalPlaces));
}

void NumberEdit::SetMaximum(float maximum)
{
    m_fMaximum = maximum;
    m_bMaximumOn = 1;
}

void NumberEdit::SetMinimum(float minimum)
{
    m_fMinimum = minimum;
    m_bMinimumOn = 1;
}

void NumberEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Backspace || IsDialogKey(event->key())) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (IsControlCharacter(event)) {
        event->accept(); // swallowed
        return;
    }
    // Keys without a character (arrows, Home, End, Delete, Shift+Insert) edit as usual.
    const QString typed = event->text();
    if (typed.isEmpty()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    for (QChar c : typed) {
        if (!AcceptsCharacter(c, text())) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void NumberEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu leaves the focus where it is.
    if (event->reason() != Qt::PopupFocusReason)
        OnFocusLost();
}

void NumberEdit::OnTextChanged(const QString& text)
{
    m_fValue = ReadNumber(text);
    emit CommandNotice(EN_UPDATE, m_nId);
}

void NumberEdit::OnFocusLost()
{
    if (m_bMaximumOn && m_fValue > m_fMaximum)
        SetValue(m_fMaximum);
    if (m_bMinimumOn && m_fValue < m_fMinimum)
        SetValue(m_fMinimum);
    SetValue(ReadNumber(text()));
    emit ParentMessage(WM_FLOATEDIT_KILLFOCUS, m_nId, 0);
}

} // namespace rovana
