#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <functional>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace rovana {

class ChannelViewHost;

// Control identifiers of the evaluation panel (each control's object name).
inline constexpr int IDC_GROUP_CRITERIA = 1000;
inline constexpr int IDC_RADIO_CRITERION1 = 1026; // 1026..1029: criteria 1..4
inline constexpr int IDC_GROUP_RESULT = 1025;
inline constexpr int IDC_STATIC_ANCHOR = 1033;
inline constexpr int IDC_EDIT_ANCHOR = 1030;
inline constexpr int IDC_STATIC_GRADE = 1034;
inline constexpr int IDC_COMBO_GRADE = 1031;
inline constexpr int IDC_STATIC_CLASS = 1035;
inline constexpr int IDC_COMBO_CLASS = 1032;
inline constexpr int IDC_STATIC_REASON = 1043;

// The evaluation panel on the right: the four grading criteria, the anchorage length,
// the compactness grade and the quality class of the selected channel, as the test being
// edited derives them. Only the criteria buttons are inputs: a click sets the selected
// channel's grade in the test. Grade and class are shown only for a measured channel (end
// and bottom set, the bottom by the engineer); otherwise the reason says why not.
class EvaluationPanel : public QWidget
{
    Q_OBJECT

public:
    explicit EvaluationPanel(QWidget* parent = nullptr);

    // The report view whose selected channel and test being edited the panel follows.
    void SetReportView(ChannelViewHost* view) { m_pReportView = view; }

    // Shows the selected channel as the test derives it now.
    void Refresh();
    // A click on criterion 0..3, as the user makes it.
    void ClickCriterion(int criterion);
    // How a click on a criterion becomes one step of the history: it runs `change` and
    // keeps what it did under `name`. Without it the click just happens.
    std::function<void(const QString& name, const std::function<void()>& change)> m_fnEditStep;

    // What the panel shows now (-1 for none).
    int ShownGrade() const;
    int ShownClass() const;
    QString ShownAnchor() const;
    QString ShownReason() const;
    int CheckedCriterion() const; // -1 when all four are off

private:
    void BuildForm();
    void OnCriterionClicked(int criterion);
    int SelectedChannel() const;
    void CheckCriterion(int criterion);

    ChannelViewHost* m_pReportView = nullptr;
    std::array<QRadioButton*, 4> m_pCriterion{};
    QButtonGroup* m_pCriteria = nullptr;
    QLineEdit* m_pAnchor = nullptr;
    QComboBox* m_pGrade = nullptr;
    QComboBox* m_pClass = nullptr;
    QLabel* m_pReason = nullptr;
};

} // namespace rovana
