#pragma once

#include <QWidget>

#include <array>

class QLabel;

namespace rovana {

class CMyViewHost;

// The evaluation panel on the right: per channel compactness grade, quality class and
// anchorage length. The loading path fills the per-channel arrays; the report view
// drives the shown values when a channel becomes active.
class CInfoView : public QWidget
{
    Q_OBJECT

public:
    explicit CInfoView(QWidget* parent = nullptr);

    // The report view whose active channel and current record the panel follows.
    void SetReportView(const CMyViewHost* view) { m_pReportView = view; }

    // Shows grade index 0..3 (or -1 for none).
    void SetPanelGrade(int grade);
    // Shows the anchorage length of channel c and derives its class from the lengths.
    void SetPanelLengths(int channel, float anchorLength, float totalLength);
    // Class of channel c from its grade and the measured total length.
    void UpdateQualityClass(int channel, float totalLength);
    // No criterion, no anchorage text, no grade and no class selected.
    void ClearPanel();

    std::array<int, 3> m_nChannelGrade{-1, -1, -1};
    std::array<int, 3> m_nChannelClass{-1, -1, -1};
    std::array<float, 3> m_fChannelAnchor{};

    // What the panel shows now: grade and class indices (-1 for none) and the text of
    // the anchorage field.
    int ShownGrade() const { return m_nShownGrade; }
    int ShownClass() const { return m_nShownClass; }
    QString ShownAnchor() const;

private:
    void UpdateLabels();

    int m_nShownGrade = -1;
    int m_nShownClass = -1;
    int SelectedChannel() const;
    float DesignLength() const;

    const CMyViewHost* m_pReportView = nullptr;
    QString m_strAnchor;
    QString m_strLength;
    QLabel* m_pSummary = nullptr;
};

} // namespace rovana
