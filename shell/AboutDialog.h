#pragma once

#include <QDialog>

namespace rovana {

// The About box (dialog 100): caption "关于Veltra-Orvik", the program icon, a static
// text with the program description and version, and an OK button.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);

    // The static text: description and version.
    static QString DescriptionText();
};

} // namespace rovana
