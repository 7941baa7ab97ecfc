#include "EvaluationPanel.h"

#include "ChannelViewHost.h"
#include "NameTables.h"
#include "QualityClass.h"
#include "TestRecord.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace rovana {
namespace {

// The form is laid out in dialog units; one unit is this many pixels.
constexpr double kUnitX = 2.2;
constexpr double kUnitY = 2.2;

QRect Units(int x, int y, int w, int h)
{
    return QRect(int(x * kUnitX), int(y * kUnitY), int(w * kUnitX), int(h * kUnitY));
}

const char* const kCriterionTexts[4] = {
    "波形规则，呈指数衰减，无缺陷反射，底部反射不明显；幅频信号呈单峰形态",
    "波形较规则，呈快速衰减，缺陷反射较弱，底部反射较清晰；幅频信号呈单峰或非对称多峰",
    "波形欠规则，逐步或间歇衰减，缺陷反射明显，底部反射单一清晰；幅频信号呈非对称多峰",
    "波形不规则，慢速衰减或间歇增强，缺陷反射明显，可见多次清晰的底部反射；幅频信号呈多峰",
};
const QRect kCriterionButtons[4] = {Units(9, 23, 9, 24), Units(9, 56, 9, 27), Units(9, 92, 10, 33),
                                    Units(9, 123, 14, 33)};
const QRect kCriterionLabels[4] = {Units(22, 19, 74, 34), Units(22, 54, 80, 34),
                                   Units(22, 89, 83, 41), Units(22, 124, 81, 40)};

template <typename W> W* Place(W* widget, int id, const QRect& rect)
{
    widget->setObjectName(QString::number(id));
    widget->setGeometry(rect);
    return widget;
}

// Labels, group boxes and criteria are dark blue; the anchorage field keeps its look.
void DarkBlue(QWidget* w)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 139));
    p.setColor(QPalette::ButtonText, QColor(0, 0, 139));
    w->setPalette(p);
}

// Grade and class are outputs: their boxes never take input, but they are read at a
// glance, so they keep the colours of an enabled box.
void ReadOnlyLook(QWidget* w)
{
    QPalette p = w->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText,
                                     QPalette::Base, QPalette::Button, QPalette::Window})
        p.setColor(QPalette::Disabled, role, p.color(QPalette::Active, role));
    w->setPalette(p);
}

} // namespace

EvaluationPanel::EvaluationPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("146"));
    setFont(QFont(QStringLiteral("微软雅黑"), 9));
    BuildForm();
}

void EvaluationPanel::BuildForm()
{
    DarkBlue(Place(new QGroupBox(QStringLiteral("评判标准"), this), IDC_GROUP_CRITERIA,
                   Units(0, 7, 114, 153)));
    m_pCriteria = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        m_pCriterion[i] =
            Place(new QRadioButton(this), IDC_RADIO_CRITERION1 + i, kCriterionButtons[i]);
        m_pCriteria->addButton(m_pCriterion[i], i);
        auto* text =
            Place(new QLabel(QString::fromUtf8(kCriterionTexts[i]), this), -1, kCriterionLabels[i]);
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        DarkBlue(text);
        DarkBlue(m_pCriterion[i]);
    }
    connect(m_pCriteria, &QButtonGroup::idClicked, this, [this](int criterion) {
        if (m_fnEditStep)
            m_fnEditStep(QStringLiteral("评判标准"), [&] { OnCriterionClicked(criterion); });
        else
            OnCriterionClicked(criterion);
    });

    DarkBlue(Place(new QGroupBox(QStringLiteral("结果"), this), IDC_GROUP_RESULT,
                   Units(0, 163, 114, 71)));
    DarkBlue(Place(new QLabel(QStringLiteral("锚固长度(m)"), this), IDC_STATIC_ANCHOR,
                   Units(8, 177, 43, 8)));
    m_pAnchor = Place(new QLineEdit(this), IDC_EDIT_ANCHOR, Units(49, 176, 57, 14));
    m_pAnchor->setReadOnly(true);
    DarkBlue(Place(new QLabel(QStringLiteral("密 实 度"), this), IDC_STATIC_GRADE,
                   Units(8, 197, 32, 8)));
    m_pGrade = Place(new QComboBox(this), IDC_COMBO_GRADE, Units(49, 196, 57, 14));
    for (const QString& name : kGradeNames)
        m_pGrade->addItem(name);
    DarkBlue(Place(new QLabel(QStringLiteral("质量等级"), this), IDC_STATIC_CLASS,
                   Units(8, 217, 31, 8)));
    m_pClass = Place(new QComboBox(this), IDC_COMBO_CLASS, Units(48, 217, 57, 14));
    for (const QString& name : kQualityClassNames)
        m_pClass->addItem(name);
    for (QComboBox* box : {m_pGrade, m_pClass}) {
        box->setEnabled(false);
        ReadOnlyLook(box);
        box->setCurrentIndex(-1);
    }
    m_pLength = Place(new QLineEdit(this), IDC_EDIT_LENGTH, Units(56, 138, 40, 14));
    m_pLength->setReadOnly(true);
    m_pLength->hide();
}

int EvaluationPanel::SelectedChannel() const
{
    return m_pReportView ? m_pReportView->ActiveChannel() : -1;
}

float EvaluationPanel::DesignLength() const
{
    return m_pReportView ? m_pReportView->CurrentRecord().m_fDesignLength : 0.0f;
}

void EvaluationPanel::ReadControls()
{
    m_strAnchor = m_pAnchor->text();
    m_strLength = m_pLength->text();
    m_nCriterion = std::max(0, CheckedCriterion());
}

void EvaluationPanel::ClickCriterion(int criterion)
{
    m_pCriterion[criterion]->click();
}

void EvaluationPanel::OnCriterionClicked(int criterion)
{
    ReadControls();
    m_nCriterion = criterion;
    m_nChecked = criterion;
    m_pGrade->setCurrentIndex(m_nCriterion);
    const int c = SelectedChannel();
    if (c < 0 || c > 2)
        return; // no channel selected: nothing to grade
    m_nChannelGrade[c] = m_nCriterion;
    // The exact length of the marker commands, not the two-decimal text of the hidden
    // field: otherwise the class could change with the order of the clicks.
    UpdateQualityClass(c, m_pReportView->MeasuredLength(c));
}

void EvaluationPanel::SetPanelGrade(int grade)
{
    const bool valid = grade >= 0 && grade <= 3;
    m_pGrade->setCurrentIndex(valid ? grade : -1);
    const int c = SelectedChannel();
    if (c >= 0 && c <= 2)
        m_nChannelGrade[c] = grade;
    if (valid) {
        m_pCriterion[grade]->setChecked(true);
        m_nChecked = grade;
    }
}

void EvaluationPanel::SetPanelLengths(int channel, float anchorLength, float totalLength)
{
    m_pAnchor->setText(QString::asprintf("%.2f", anchorLength));
    m_pLength->setText(QString::asprintf("%0.2f", totalLength));
    if (channel >= 0 && channel <= 2)
        m_fChannelAnchor[channel] = anchorLength;
    UpdateQualityClass(channel, totalLength);
    ReadControls();
}

void EvaluationPanel::UpdateQualityClass(int channel, float totalLength)
{
    if (channel < 0 || channel > 2)
        return;
    const int cls = DeriveQualityClass(m_nChannelGrade[channel], DesignLength(), totalLength);
    m_nChannelClass[channel] = cls;
    m_pClass->setCurrentIndex(cls >= 0 && cls <= 3 ? cls : -1);
}

void EvaluationPanel::ClearPanel()
{
    m_pCriteria->setExclusive(false);
    for (QRadioButton* b : m_pCriterion)
        b->setChecked(false);
    m_pCriteria->setExclusive(true);
    m_nChecked = -1;
    m_pAnchor->clear();
    m_pGrade->setCurrentIndex(-1);
    m_pClass->setCurrentIndex(-1);
    ReadControls();
}

int EvaluationPanel::ShownGrade() const
{
    return m_pGrade->currentIndex();
}

int EvaluationPanel::ShownClass() const
{
    return m_pClass->currentIndex();
}

QString EvaluationPanel::ShownAnchor() const
{
    return m_pAnchor->text();
}

int EvaluationPanel::CheckedCriterion() const
{
    return m_pCriteria->checkedId();
}

PanelState EvaluationPanel::State() const
{
    return {m_nChannelGrade, m_nChannelClass, m_fChannelAnchor, m_strAnchor,
            m_strLength,     m_nCriterion,    m_nChecked,       ShownGrade(),
            ShownClass(),    ShownAnchor(),   m_pLength->text()};
}

void EvaluationPanel::Restore(const PanelState& state)
{
    m_nChannelGrade = state.grade;
    m_nChannelClass = state.qualityClass;
    m_fChannelAnchor = state.anchor;
    m_strAnchor = state.anchorText;
    m_strLength = state.lengthText;
    m_nCriterion = state.criterion;
    m_pCriteria->setExclusive(false);
    for (int i = 0; i < 4; ++i)
        m_pCriterion[i]->setChecked(i == state.checked);
    m_pCriteria->setExclusive(true);
    m_nChecked = state.checked;
    m_pGrade->setCurrentIndex(state.shownGrade);
    m_pClass->setCurrentIndex(state.shownClass);
    m_pAnchor->setText(state.shownAnchor);
    m_pLength->setText(state.shownLength);
}

} // namespace rovana
