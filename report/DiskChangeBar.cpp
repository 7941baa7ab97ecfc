#include "DiskChangeBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace rovana {

DiskChangeBar::DiskChangeBar(QWidget* parent)
    : QFrame(parent), m_pIcon(new QLabel(this)), m_pText(new QLabel(this)),
      m_pReload(new QPushButton(QStringLiteral("重新载入"), this)),
      m_pDismiss(new QPushButton(QStringLiteral("忽略"), this))
{
    setObjectName(QStringLiteral("DiskChangeBar"));
    setFrameShape(QFrame::StyledPanel);
    // A warning's colours, as message bars of desktop editors have them.
    setStyleSheet(QStringLiteral("#DiskChangeBar { background: #fff4ce; border: 1px solid #e0b000; "
                                 "border-radius: 3px; }"));
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    m_pIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize));
    m_pText->setWordWrap(true);
    m_pText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 8, 4);
    row->addWidget(m_pIcon, 0, Qt::AlignTop);
    row->addWidget(m_pText, 1);
    row->addWidget(m_pReload, 0, Qt::AlignVCenter);
    row->addWidget(m_pDismiss, 0, Qt::AlignVCenter);
    connect(m_pReload, &QPushButton::clicked, this, &DiskChangeBar::ReloadRequested);
    connect(m_pDismiss, &QPushButton::clicked, this, [this] {
        hide();
        emit Dismissed();
    });
}

void DiskChangeBar::Show(const QString& headline, bool unsaved, const QStringList& edits,
                         bool canReload)
{
    QString text = headline;
    if (unsaved) {
        const QString listed =
            edits.isEmpty() ? QString() : QStringLiteral("：") + edits.join(QStringLiteral("、"));
        text += QLatin1Char('\n') + (canReload ? QStringLiteral("重新载入将放弃未保存的修改%1。")
                                               : QStringLiteral("未保存的修改%1，可另存为保留。"))
                                        .arg(listed);
    } else if (canReload) {
        text += QLatin1Char('\n') + QStringLiteral("没有未保存的修改。");
    }
    m_pText->setText(text);
    setAccessibleDescription(text);
    m_pReload->setVisible(canReload);
    show();
}

QString DiskChangeBar::Text() const
{
    return m_pText->text();
}

} // namespace rovana
