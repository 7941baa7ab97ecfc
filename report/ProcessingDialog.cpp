#include "ProcessingDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

namespace rovana {

ProcessingDialog::ProcessingDialog(const processing::ChainSettings& settings, int sampleIntervalUs,
                                   QWidget* parent)
    : QDialog(parent), m_nInterval(sampleIntervalUs)
{
    setWindowTitle(QStringLiteral("信号处理"));
    m_pFilter = new QComboBox(this);
    m_pFilter->addItems({QStringLiteral("无"), QStringLiteral("低通"), QStringLiteral("高通"),
                         QStringLiteral("带通")});
    m_pOrder = new QSpinBox(this);
    m_pOrder->setRange(processing::kMinOrder, processing::kMaxOrder);
    m_pLow = new QDoubleSpinBox(this);
    m_pHigh = new QDoubleSpinBox(this);
    for (QDoubleSpinBox* box : {m_pLow, m_pHigh}) {
        box->setRange(0.0, 1000000.0);
        box->setDecimals(0);
        box->setSuffix(QStringLiteral(" Hz"));
    }
    m_pGain = new QComboBox(this);
    m_pGain->addItems(
        {QStringLiteral("无"), QStringLiteral("线性放大"), QStringLiteral("指数放大")});
    m_pGainValue = new QDoubleSpinBox(this);
    m_pGainValue->setRange(processing::kMinGain, processing::kMaxGain);
    m_pGainValue->setPrefix(QStringLiteral("×"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("滤波"), m_pFilter);
    form->addRow(QStringLiteral("阶数"), m_pOrder);
    form->addRow(QStringLiteral("下限频率"), m_pLow);
    form->addRow(QStringLiteral("上限频率"), m_pHigh);
    form->addRow(QStringLiteral("随深度放大"), m_pGain);
    form->addRow(QStringLiteral("设计长度处放大倍数"), m_pGainValue);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Apply())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_fnRefuse = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };
    SetSettings(settings);
}

processing::ChainSettings ProcessingDialog::Settings() const
{
    processing::ChainSettings s;
    s.filter = static_cast<processing::FilterKind>(m_pFilter->currentIndex());
    s.order = m_pOrder->value();
    s.lowHz = m_pLow->value();
    s.highHz = m_pHigh->value();
    s.gain = static_cast<processing::GainKind>(m_pGain->currentIndex());
    s.gainAtDesign = m_pGainValue->value();
    s.enabled = s.filter != processing::FilterKind::None || s.gain != processing::GainKind::None;
    return s;
}

void ProcessingDialog::SetSettings(const processing::ChainSettings& s)
{
    m_pFilter->setCurrentIndex(s.enabled ? static_cast<int>(s.filter) : 0);
    m_pOrder->setValue(s.order);
    m_pLow->setValue(s.lowHz);
    m_pHigh->setValue(s.highHz);
    m_pGain->setCurrentIndex(s.enabled ? static_cast<int>(s.gain) : 0);
    m_pGainValue->setValue(s.gainAtDesign);
}

bool ProcessingDialog::Apply()
{
    const std::string why = processing::CheckSettings(Settings(), m_nInterval);
    if (why.empty())
        return true;
    m_fnRefuse(QString::fromStdString(why));
    return false;
}

void ProcessingDialog::ShowSiteWarning(const QString& text)
{
    if (text.isEmpty())
        return;
    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("siteWarning"));
    label->setWordWrap(true);
    label->setStyleSheet(QStringLiteral("color: #b00000"));
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, label);
}

} // namespace rovana
