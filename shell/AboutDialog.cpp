#include "AboutDialog.h"

#include "AppIcon.h"
#include "CommandIds.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef ROVANA_VERSION
#define ROVANA_VERSION "0.0"
#endif

namespace rovana {

QString AboutDialog::DescriptionText()
{
    return QStringLiteral("Orvik 锚杆无损检测仪分析软件\nRovana %1 版")
        .arg(QStringLiteral(ROVANA_VERSION));
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(IDD_ABOUTBOX));
    setWindowTitle(QStringLiteral("关于Veltra-Orvik"));
    setWindowIcon(ProgramIcon());

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    auto* text = new QLabel(DescriptionText(), this);
    text->setObjectName(QStringLiteral("description"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace rovana
