#pragma once

#include <QDialog>

class QComboBox;

namespace rovana {

class ChannelView;

// Magnification ("放大设置"): the growing gain reached at the right end of the trace.
// Opens on "0" whatever the view's current setting; OK sends the chosen index.
class GainDialog : public QDialog
{
    Q_OBJECT

public:
    explicit GainDialog(ChannelView* view);

    QComboBox* Combo() const { return m_pCombo; }
    // The OK button's work.
    void Apply();

private:
    ChannelView* m_pView;
    QComboBox* m_pCombo;
};

} // namespace rovana
