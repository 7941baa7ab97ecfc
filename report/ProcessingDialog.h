#pragma once

#include "ProcessingChain.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

namespace rovana {

// "信号处理": the processing chain of the site — a filter (none, low-pass, high-pass,
// band-pass; Butterworth of order 2..8 with its cut-offs in Hz) and amplification with depth
// (none, linear, exponential; the gain reached at the design length's two-way time). OK
// refuses settings the record's sampling interval cannot take, with the reason.
class ProcessingDialog : public QDialog
{
    Q_OBJECT

public:
    ProcessingDialog(const processing::ChainSettings& settings, int sampleIntervalUs,
                     QWidget* parent = nullptr);

    processing::ChainSettings Settings() const;
    void SetSettings(const processing::ChainSettings& settings);
    // OK's work: false, with the reason shown, when the settings are refused.
    bool Apply();
    std::function<void(const QString&)> m_fnRefuse;
    // Shows, above the settings, why the folder's site file will not keep them.
    void ShowSiteWarning(const QString& text);

private:
    int m_nInterval;
    QComboBox* m_pFilter = nullptr;
    QSpinBox* m_pOrder = nullptr;
    QDoubleSpinBox* m_pLow = nullptr;
    QDoubleSpinBox* m_pHigh = nullptr;
    QComboBox* m_pGain = nullptr;
    QDoubleSpinBox* m_pGainValue = nullptr;
};

} // namespace rovana
