#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace rovana {

// The icon of a message box of this program: information for the confirmation of
// something done ("已保存！", "图片已保存至…"), a warning for every error and refusal.
QMessageBox::Icon MessageIcon(const QString& text);

// One message box with the program's caption, the text and an OK button, modal.
void ShowProgramMessage(QWidget* parent, const QString& text);

} // namespace rovana
