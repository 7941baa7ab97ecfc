#include "EvaluationPanel.h"

#include "ChannelViewHost.h"
#include "NameTables.h"
#include "TestEdit.h"

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
    // Why the selected channel has no grade or class, under the result.
    m_pReason = Place(new QLabel(this), IDC_STATIC_REASON, Units(0, 236, 114, 20));
    m_pReason->setWordWrap(true);
    QPalette red = m_pReason->palette();
    red.setColor(QPalette::WindowText, QColor(180, 0, 0));
    m_pReason->setPalette(red);
}

int EvaluationPanel::SelectedChannel() const
{
    return m_pReportView ? m_pReportView->ActiveChannel() : -1;
}

void EvaluationPanel::ClickCriterion(int criterion)
{
    m_pCriterion[criterion]->click();
}

void EvaluationPanel::OnCriterionClicked(int criterion)
{
    const int c = SelectedChannel();
    if (c < 0 || c > 2 || !m_pReportView) {
        Refresh(); // no channel selected: nothing to grade
        return;
    }
    m_pReportView->Edit().SetGrade(c, criterion);
    Refresh();
}

void EvaluationPanel::CheckCriterion(int criterion)
{
    m_pCriteria->setExclusive(false);
    for (int i = 0; i < 4; ++i)
        m_pCriterion[i]->setChecked(i == criterion);
    m_pCriteria->setExclusive(true);
}

void EvaluationPanel::Refresh()
{
    const int c = SelectedChannel();
    if (c < 0 || c > 2 || !m_pReportView) {
        CheckCriterion(-1);
        m_pAnchor->clear();
        m_pGrade->setCurrentIndex(-1);
        m_pClass->setCurrentIndex(-1);
        m_pReason->clear();
        return;
    }
    const TestEdit& edit = m_pReportView->Edit();
    const ChannelOutcome o = edit.Outcome(c);
    const int grade = edit.Marks(c).grade;
    CheckCriterion(grade >= 0 && grade <= 3 ? grade : -1);
    const ChannelResult& r = o.result;
    m_pAnchor->setText(r.measured ? QString::asprintf("%.2f", static_cast<double>(r.anchorLength))
                                  : QString());
    m_pGrade->setCurrentIndex(r.Evaluated() ? r.grade : -1);
    m_pClass->setCurrentIndex(r.Evaluated() ? r.qualityClass : -1);
    m_pReason->setText(o.reason.isEmpty() ? QString()
                                          : QStringLiteral("%1：%2").arg(VerdictText(o.verdict),
                                                                        o.reason));
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

QString EvaluationPanel::ShownReason() const
{
    return m_pReason->text();
}

int EvaluationPanel::CheckedCriterion() const
{
    return m_pCriteria->checkedId();
}

} // namespace rovana
