#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <functional>

class QButtonGroup;
class QComboBox;
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
inline constexpr int IDC_EDIT_LENGTH = 1042;

// Everything the panel holds and shows, for undo.
struct PanelState
{
    std::array<int, 3> grade{-1, -1, -1};
    std::array<int, 3> qualityClass{-1, -1, -1};
    std::array<float, 3> anchor{};
    QString anchorText, lengthText;
    int criterion = 0;
    int checked = -1; // the criterion button that is on, -1 for none
    int shownGrade = -1, shownClass = -1;
    QString shownAnchor, shownLength;
    friend bool operator==(const PanelState&, const PanelState&) = default;
};

// The evaluation panel on the right: the four grading criteria, the anchorage length,
// the compactness grade and the quality class of the selected channel. Grade, class
// and lengths are outputs; only the criteria buttons are inputs.
class EvaluationPanel : public QWidget
{
    Q_OBJECT

public:
    explicit EvaluationPanel(QWidget* parent = nullptr);

    // The report view whose selected channel and current record the panel follows.
    void SetReportView(const ChannelViewHost* view) { m_pReportView = view; }

    // Grade 0..3 of the selected channel: shown, stored and its criterion switched on.
    // Any other value clears the shown grade and leaves the criteria as they are.
    void SetPanelGrade(int grade);
    // Shows Lr, keeps L, stores Lr for the channel and re-derives its class from L.
    void SetPanelLengths(int channel, float anchorLength, float totalLength);
    // The class of the channel from its grade and the measured total length L.
    void UpdateQualityClass(int channel, float totalLength);
    // Criteria off, anchorage field empty, no grade and no class shown; the stored
    // per-channel values and the kept length stay.
    void ClearPanel();
    // A click on criterion 0..3, as the user makes it.
    void ClickCriterion(int criterion);
    // How a click on a criterion becomes one step of the history: it runs `change` and
    // keeps what it did under `name`. Without it the click just happens.
    std::function<void(const QString& name, const std::function<void()>& change)> m_fnEditStep;

    PanelState State() const;
    // Puts the panel back as `state` had it, without a click.
    void Restore(const PanelState& state);

    // Per channel: grade index 0..3 (A..D), class index 0..3 (I..IV), -1 for none;
    // anchorage length Lr in metres.
    std::array<int, 3> m_nChannelGrade{-1, -1, -1};
    std::array<int, 3> m_nChannelClass{-1, -1, -1};
    std::array<float, 3> m_fChannelAnchor{};
    QString m_strAnchor;  // text of the anchorage field
    QString m_strLength;  // measured total length L, held as text
    int m_nCriterion = 0; // index of the criterion that is on
    // The criterion button the panel turned on (-1 for none): a click has already checked
    // its button when the step around it begins, so the history keeps this one.
    int m_nChecked = -1;

    // What the panel shows now (-1 for no selection).
    int ShownGrade() const;
    int ShownClass() const;
    QString ShownAnchor() const;
    int CheckedCriterion() const; // -1 when all four are off

private:
    void BuildForm();
    void OnCriterionClicked(int criterion);
    int SelectedChannel() const;
    float DesignLength() const;
    void ReadControls();

    const ChannelViewHost* m_pReportView = nullptr;
    std::array<QRadioButton*, 4> m_pCriterion{};
    QButtonGroup* m_pCriteria = nullptr;
    QLineEdit* m_pAnchor = nullptr;
    QLineEdit* m_pLength = nullptr;
    QComboBox* m_pGrade = nullptr;
    QComboBox* m_pClass = nullptr;
};

} // namespace rovana
