#include "ProgramMessage.h"

namespace rovana {

QMessageBox::Icon MessageIcon(const QString& text)
{
    const bool confirmation =
        text == QStringLiteral("已保存！") || text.startsWith(QStringLiteral("图片已保存至"));
    return confirmation ? QMessageBox::Information : QMessageBox::Warning;
}

void ShowProgramMessage(QWidget* parent, const QString& text)
{
    QMessageBox box(MessageIcon(text), QStringLiteral("Rovana"), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace rovana
