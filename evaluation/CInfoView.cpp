#include "CInfoView.h"

#include "CFileData.h"
#include "CMyViewHost.h"
#include "NameTables.h"
#include "QualityClass.h"

#include <QLabel>
#include <QVBoxLayout>

namespace rovana {

CInfoView::CInfoView(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    m_pSummary = new QLabel(this);
    m_pSummary->setObjectName(QStringLiteral("summary"));
    layout->addWidget(m_pSummary);
    layout->addStretch();
    UpdateLabels();
}

int CInfoView::SelectedChannel() const
{
    return m_pReportView ? m_pReportView->ActiveChannel() : -1;
}

float CInfoView::DesignLength() const
{
    return m_pReportView ? m_pReportView->CurrentRecord().m_fDesignLength : 0.0f;
}

void CInfoView::SetPanelGrade(int grade)
{
    m_nShownGrade = grade >= 0 && grade <= 3 ? grade : -1;
    const int c = SelectedChannel();
    if (c >= 0 && c < 3)
        m_nChannelGrade[c] = grade;
    UpdateLabels();
}

void CInfoView::SetPanelLengths(int channel, float anchorLength, float totalLength)
{
    m_strAnchor = QString::asprintf("%.2f", anchorLength);
    m_strLength = QString::asprintf("%0.2f", totalLength);
    if (channel >= 0 && channel < 3)
        m_fChannelAnchor[channel] = anchorLength;
    UpdateQualityClass(channel, totalLength);
}

void CInfoView::UpdateQualityClass(int channel, float totalLength)
{
    if (channel < 0 || channel >= 3)
        return;
    m_nChannelClass[channel] =
        DeriveQualityClass(m_nChannelGrade[channel], DesignLength(), totalLength);
    m_nShownClass = m_nChannelClass[channel];
    UpdateLabels();
}

void CInfoView::ClearPanel()
{
    m_nShownGrade = -1;
    m_nShownClass = -1;
    m_strAnchor.clear();
    UpdateLabels();
}

QString CInfoView::ShownAnchor() const
{
    return m_strAnchor;
}

void CInfoView::UpdateLabels()
{
    m_pSummary->setText(QStringLiteral("锚固长度(m) %1\n密 实 度 %2\n质量等级 %3")
                            .arg(m_strAnchor, NameAt(kGradeNames, m_nShownGrade),
                                 NameAt(kQualityClassNames, m_nShownClass)));
}

} // namespace rovana
