#include "GainDialog.h"

#include "ChannelView.h"
#include "ViewMessages.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace rovana {

GainDialog::GainDialog(ChannelView* view) : QDialog(view), m_pView(view)
{
    setObjectName(QStringLiteral("144"));
    setWindowTitle(QStringLiteral("放大设置"));
    setModal(true);
    m_pCombo = new QComboBox(this);
    m_pCombo->setObjectName(QStringLiteral("1024"));
    m_pCombo->addItems({"0", "5", "10", "20", "40"});
    m_pCombo->setCurrentIndex(0);
    auto* ok = new QPushButton(QStringLiteral("确  定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        Apply();
        accept();
    });
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("放大倍数"), this));
    row->addWidget(m_pCombo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

void GainDialog::Apply()
{
    if (!m_pView)
        return;
    m_pView->SendViewMessage(WM_SETMAGNIFY, m_pCombo->currentIndex());
    m_pView->viewport()->update();
}

} // namespace rovana
