#include "ValueDialog.h"

#include "ChannelView.h"
#include "NumberText.h"
#include "ViewMessages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace rovana {

ValueDialog::ValueDialog(ChannelView* view, const QString& caption, const QString& label,
                         int editId, const QString& okText, int message, int initialValue,
                         ValueRange range)
    : QDialog(view), m_pView(view), m_nMessage(message), m_nValue(initialValue), m_Range(range)
{
    setWindowTitle(caption);
    setModal(true);
    m_fnRefuse = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };
    m_pEdit = new QLineEdit(QString::asprintf("%d", initialValue), this);
    m_pEdit->setObjectName(QString::number(editId));
    m_pEdit->selectAll();
    auto* ok = new QPushButton(okText, this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (Apply())
            accept();
    });
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(label, this));
    row->addWidget(m_pEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

bool ValueDialog::Apply()
{
    const int value = LenientToInt(m_pEdit->text());
    if (value < m_Range.minimum || value > m_Range.maximum) {
        m_fnRefuse(QString::fromUtf16(m_Range.refusal));
        return false;
    }
    m_nValue = value;
    if (m_pView) {
        m_pView->SendViewMessage(m_nMessage, value);
        m_pView->viewport()->update();
    }
    return true;
}

AmplitudeDialog::AmplitudeDialog(ChannelView* view)
    : ValueDialog(view, QStringLiteral("设置"), QStringLiteral("最大幅值"), 1018,
                  QStringLiteral("确定"), WM_SETMAXAMPLITUDE, view ? view->m_nMaxAmplitude : 0,
                  {1, std::numeric_limits<int>::max(), u"请输入大于 0 的整数"})
{
    setObjectName(QStringLiteral("142"));
}

WaveSpeedDialog::WaveSpeedDialog(ChannelView* view)
    : ValueDialog(view, QStringLiteral("波速设置"), QStringLiteral("波速值"), 1006,
                  QStringLiteral("确  定"), WM_SETWAVESPEED, view ? view->DrawingInput().waveSpeed : 0,
                  {100, 20000, u"波速应为 100 至 20000 m/s 之间的整数"})
{
    setObjectName(QStringLiteral("143"));
}

} // namespace rovana
