#include "CalibrationDialog.h"

#include "NumberText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace rovana {

CalibrationDialog::CalibrationDialog(int currentSpeed, Calibrate calibrate,
                                     const std::optional<SiteCalibration>& last, bool canRestore,
                                     const QString& siteWarning, QWidget* parent)
    : QDialog(parent), m_nCurrent(currentSpeed), m_fnCalibrate(std::move(calibrate)), m_Last(last)
{
    setWindowTitle(QStringLiteral("由已知长度标定波速"));
    m_pLength = new QLineEdit(this);
    m_pResult = new QLabel(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("已知长度(m)"), m_pLength);
    form->addRow(QStringLiteral("标定波速"), m_pResult);

    auto* buttons = new QDialogButtonBox(this);
    const auto add = [&](const QString& text, Choice choice, QDialogButtonBox::ButtonRole role) {
        QPushButton* b = buttons->addButton(text, role);
        b->setObjectName(QString::number(static_cast<int>(choice)));
        connect(b, &QPushButton::clicked, this, [this, choice] { Choose(choice); });
        return b;
    };
    add(QStringLiteral("应用于本测试"), Choice::ThisTest, QDialogButtonBox::AcceptRole);
    add(QStringLiteral("应用于全部测试"), Choice::Folder, QDialogButtonBox::AcceptRole);
    if (canRestore)
        add(QStringLiteral("恢复原波速"), Choice::Restore, QDialogButtonBox::ResetRole);
    add(QStringLiteral("取消"), Choice::Cancel, QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    if (!siteWarning.isEmpty()) {
        auto* warning = new QLabel(siteWarning, this);
        warning->setObjectName(QStringLiteral("siteWarning"));
        warning->setWordWrap(true);
        warning->setStyleSheet(QStringLiteral("color: #b00000"));
        layout->addWidget(warning);
    }
    layout->addLayout(form);
    if (m_Last)
        layout->addWidget(
            new QLabel(QStringLiteral("上次标定：%1，已知长度 %2 m，波速 %3 m/s（%4）")
                           .arg(m_Last->file)
                           .arg(m_Last->knownLength, 0, 'f', 2)
                           .arg(m_Last->waveSpeed)
                           .arg(m_Last->date),
                       this));
    layout->addWidget(buttons);
    connect(m_pLength, &QLineEdit::textChanged, this, &CalibrationDialog::Update);
    Update();
}

double CalibrationDialog::KnownLength() const
{
    return LenientToFloat(m_pLength->text());
}

void CalibrationDialog::Update()
{
    QString why;
    m_Speed =
        m_pLength->text().trimmed().isEmpty() ? std::nullopt : m_fnCalibrate(KnownLength(), &why);
    const QString current = QStringLiteral("（当前 %1 m/s）").arg(m_nCurrent);
    m_pResult->setText(m_Speed ? QStringLiteral("%1 m/s %2").arg(*m_Speed).arg(current)
                               : (why.isEmpty() ? QStringLiteral("—") : why) + current);
    for (QPushButton* b : findChildren<QPushButton*>()) {
        const auto choice = static_cast<Choice>(b->objectName().toInt());
        if (choice == Choice::ThisTest || choice == Choice::Folder)
            b->setEnabled(m_Speed.has_value());
    }
}

void CalibrationDialog::Choose(Choice choice)
{
    if ((choice == Choice::ThisTest || choice == Choice::Folder) && !m_Speed)
        return;
    m_Choice = choice;
    if (choice == Choice::Cancel)
        reject();
    else
        accept();
}

} // namespace rovana
