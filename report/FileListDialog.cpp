#include "FileListDialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace rovana {

QStringList FileListReport::Lines() const
{
    return failed + done + notes;
}

FileListDialog::FileListDialog(const FileListReport& report, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Rovana"));
    const QStyle::StandardPixmap icon =
        report.AllWell() ? QStyle::SP_MessageBoxInformation : QStyle::SP_MessageBoxWarning;
    auto* iconLabel = new QLabel(this);
    iconLabel->setObjectName(report.AllWell() ? QStringLiteral("information")
                                              : QStringLiteral("warning"));
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    iconLabel->setPixmap(style()->standardIcon(icon, nullptr, this).pixmap(size, size));
    auto* summary = new QLabel(report.summary, this);
    summary->setWordWrap(true);
    auto* top = new QHBoxLayout;
    top->addWidget(iconLabel, 0, Qt::AlignTop);
    top->addWidget(summary, 1);

    m_pList = new QListWidget(this);
    for (const QString& line : report.failed) {
        auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_MessageBoxWarning), line);
        m_pList->addItem(item);
    }
    m_pList->addItems(report.done);
    m_pList->addItems(report.notes);
    m_pList->setVisible(m_pList->count() > 0);
    m_pList->setMinimumWidth(420);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pList, 1);
    layout->addWidget(buttons);
    // However many files: the list scrolls, the dialog stays on the screen.
    resize(520, std::min(480, 160 + 20 * static_cast<int>(m_pList->count())));
}

} // namespace rovana
