#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;

namespace rovana {

class ChannelView;

// The values a dialog accepts, and what it says about any other.
struct ValueRange
{
    int minimum;
    int maximum;
    const char16_t* refusal;
};

// A small modal dialog with one labelled integer field and an OK button. The field opens
// with its value selected, so that typing replaces it. On OK the value is read like atoi
// (leading digits; none gives 0); a value outside the dialog's range is refused with a
// short message and the dialog stays open. Otherwise the value is sent to the channel
// view with the dialog's message and the view is repainted.
class ValueDialog : public QDialog
{
    Q_OBJECT

public:
    ValueDialog(ChannelView* view, const QString& caption, const QString& label, int editId,
                const QString& okText, int message, int initialValue, ValueRange range);

    int Value() const { return m_nValue; }
    QLineEdit* Edit() const { return m_pEdit; }
    // The OK button's work; false when the value was refused.
    bool Apply();
    // The refusal text; a test replaces how it is shown.
    std::function<void(const QString&)> m_fnRefuse;

private:
    ChannelView* m_pView;
    QLineEdit* m_pEdit;
    int m_nMessage;
    int m_nValue;
    ValueRange m_Range;
};

// Maximum amplitude ("设置"): starts from the view's m_nMaxAmplitude; any value above 0.
class AmplitudeDialog : public ValueDialog
{
    Q_OBJECT

public:
    explicit AmplitudeDialog(ChannelView* view);
};

// Wave speed ("波速设置"): starts from the record's wave speed as of the last repaint;
// 100 to 20000 m/s, the range of stress waves in rock bolts with a wide margin.
class WaveSpeedDialog : public ValueDialog
{
    Q_OBJECT

public:
    explicit WaveSpeedDialog(ChannelView* view);
};

} // namespace rovana
