#include "ReportSettingsDialog.h"

#include "BoltResult.h"
#include "ChannelView.h"
#include "CheckList.h"
#include "EvaluationPanel.h"
#include "NameTables.h"
#include "NumberEdit.h"
#include "ProgramMessage.h"
#include "ReportSettingsHost.h"
#include "ReportSettingsIds.h"
#include "ReportSettingsTemplate.h"
#include "ReportView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidgetItem>

namespace rovana {

using namespace reportsettings;

namespace {

const QString kCaption = QStringLiteral("打印设置");
constexpr int kEditHeight = 14; // dialog units

} // namespace

// ---------------------------------------------------------------------------------------
// Construction.

ReportSettingsDialog::ReportSettingsDialog(ReportSettingsHost* host, QWidget* parent)
    : QDialog(parent), m_pHost(host), m_pView(host->ReportPane())
{
    setWindowTitle(kCaption);
    setModal(true);
    setWindowFlags((windowFlags() | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) &
                   ~Qt::WindowContextHelpButtonHint);
    m_fnMessage = [this](const QString& text) { ShowProgramMessage(this, text); };
    BuildControls();
    OnInitDialog();
}

void ReportSettingsDialog::BuildControls()
{
    QFont dialogFont = QApplication::font();
    dialogFont.setPointSize(kReportSettingsFontPoints);
    setFont(dialogFont);
    const QSize base = DialogBaseUnits(QFontMetrics(dialogFont));
    for (const DialogControl& c : ReportSettingsTemplate()) {
        QWidget* w = CreateControl(c);
        // A combo box's template height includes its drop-down list; the closed box is as
        // high as an edit.
        QRect units = c.units;
        if (c.kind == ControlKind::ComboEdit || c.kind == ControlKind::ComboList)
            units.setHeight(kEditHeight);
        w->setGeometry(MapDialogRect(units, base));
        w->setEnabled(!(c.state & kDisabled));
        if (c.state & kHidden)
            w->setVisible(false);
        if (c.id >= 0)
            m_Controls.insert(c.id, w);
    }
    setFixedSize(MapDialogRect(QRect(QPoint(0, 0), kReportSettingsTemplateSize), base).size());

    m_pFileLabel = qobject_cast<QLabel*>(m_Controls.value(IDC_STATIC_FILE));
    m_pFileList = qobject_cast<CheckList*>(m_Controls.value(IDC_LIST_FILES));
    m_pTitleBox = qobject_cast<QCheckBox*>(m_Controls.value(IDC_CHECK_TITLE));
    m_pSelectAll = qobject_cast<QCheckBox*>(m_Controls.value(IDC_CHECK_ALL));
    m_pApplyBox = qobject_cast<QCheckBox*>(m_Controls.value(IDC_CHECK_APPLY));
    m_pBoltType = qobject_cast<QComboBox*>(m_Controls.value(IDC_COMBO_BOLTTYPE));
    m_pDesignGrade = qobject_cast<QComboBox*>(m_Controls.value(IDC_COMBO_DESIGNGRADE));
    for (int ch = 0; ch < 3; ++ch)
        m_pChannelBox[ch] = qobject_cast<QCheckBox*>(m_Controls.value(kChannelBoxes[ch]));

    // Copies of the file's analysis: shown, never typed over.
    for (int id : {IDC_EDIT_GRADE, IDC_EDIT_QUALITY, IDC_EDIT_EXPOSED, IDC_EDIT_ANCHORAGE})
        if (auto* edit = qobject_cast<QLineEdit*>(m_Controls.value(id)))
            edit->setReadOnly(true);

    for (const QString& name : kBoltTypeNames)
        m_pBoltType->addItem(name);
    for (const QString& name : kGradeNames)
        m_pDesignGrade->addItem(name);

    connect(qobject_cast<QPushButton*>(m_Controls.value(IDC_BUTTON_SAVE)), &QPushButton::clicked,
            this, &ReportSettingsDialog::OnSaveButton);
    connect(qobject_cast<QPushButton*>(m_Controls.value(IDOK)), &QPushButton::clicked, this,
            &ReportSettingsDialog::accept);
    connect(qobject_cast<QPushButton*>(m_Controls.value(IDCANCEL)), &QPushButton::clicked, this,
            &ReportSettingsDialog::reject);
    for (int ch = 0; ch < 3; ++ch)
        connect(m_pChannelBox[ch], &QCheckBox::clicked, this, [this, ch] { OnChannelBox(ch); });
    connect(m_pSelectAll, &QCheckBox::clicked, this, &ReportSettingsDialog::OnSelectAll);
    connect(m_pFileList, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_bFilling)
            OnFileSelChange();
    });
}

QWidget* ReportSettingsDialog::CreateControl(const DialogControl& c)
{
    const QString text = QString::fromUtf16(c.text);
    QWidget* w = nullptr;
    switch (c.kind) {
    case ControlKind::GroupBox:
        w = new QGroupBox(text, this);
        break;
    case ControlKind::Label:
    case ControlKind::Static:
        w = new QLabel(text, this);
        break;
    case ControlKind::CheckBox:
        w = new QCheckBox(text, this);
        break;
    case ControlKind::Edit:
    case ControlKind::FloatEdit: {
        auto* edit =
            c.kind == ControlKind::FloatEdit ? new NumberEdit(c.id, this) : new QLineEdit(this);
        edit->setReadOnly(c.state & kReadOnly);
        w = edit;
        break;
    }
    case ControlKind::ComboEdit:
    case ControlKind::ComboList: {
        auto* combo = new QComboBox(this);
        combo->setEditable(c.kind == ControlKind::ComboEdit);
        combo->setInsertPolicy(QComboBox::NoInsert);
        w = combo;
        break;
    }
    case ControlKind::CheckList:
        w = new CheckList(c.id, this);
        break;
    case ControlKind::PushButton: {
        auto* button = new QPushButton(text, this);
        button->setDefault(c.state & kDefaultButton);
        w = button;
        break;
    }
    }
    if (c.id >= 0)
        w->setObjectName(QString::number(c.id));
    return w;
}

// ---------------------------------------------------------------------------------------
// Fields.

QLineEdit* ReportSettingsDialog::Edit(int id) const
{
    return qobject_cast<QLineEdit*>(m_Controls.value(id));
}

QString ReportSettingsDialog::FieldText(int id) const
{
    if (id == IDC_STATIC_FILE)
        return m_pFileLabel->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(m_Controls.value(id)))
        return combo->currentText();
    const QLineEdit* edit = Edit(id);
    return edit ? edit->text() : QString();
}

void ReportSettingsDialog::SetFieldText(int id, const QString& text)
{
    if (QLineEdit* edit = Edit(id))
        edit->setText(text);
}

void ReportSettingsDialog::Apply(const FieldFill& fill)
{
    for (const auto& [id, text] : fill.texts)
        SetFieldText(id, text);
    if (fill.designGrade) {
        const int grade = *fill.designGrade;
        m_pDesignGrade->setCurrentIndex(grade >= 0 && grade < m_pDesignGrade->count() ? grade : -1);
    }
    if (fill.testDate)
        m_strTestDate = *fill.testDate;
}

void ReportSettingsDialog::SelectBoltType(int index)
{
    if (index >= 0 && index < m_pBoltType->count()) {
        m_pBoltType->setCurrentIndex(index);
        m_pBoltType->setEditText(m_pBoltType->itemText(index));
    } else {
        // Selecting an index the list lacks clears the selection and the field.
        m_pBoltType->setCurrentIndex(-1);
        m_pBoltType->setEditText(QString());
    }
}

int ReportSettingsDialog::BoltTypeSelection() const
{
    // A text typed over the selected item leaves no item selected.
    const int index = m_pBoltType->currentIndex();
    return index >= 0 && m_pBoltType->currentText() == m_pBoltType->itemText(index) ? index : -1;
}

int ReportSettingsDialog::CheckedChannel() const
{
    for (int ch = 0; ch < 3; ++ch)
        if (m_pChannelBox[ch]->isChecked())
            return ch;
    return -1;
}

void ReportSettingsDialog::CheckOnlyChannel(int ch)
{
    for (int c = 0; c < 3; ++c)
        m_pChannelBox[c]->setChecked(c == ch);
}

ProjectInfoValues ReportSettingsDialog::CollectValues() const
{
    ProjectInfoValues v;
    const int ch = CheckedChannel();
    v.reportChannel = ch < 0 ? 0 : ch;
    v.waveSpeed = FieldText(IDC_EDIT_WAVESPEED);
    v.boltType = BoltTypeSelection();
    v.title = FieldText(IDC_EDIT_TITLE);
    v.itemName = FieldText(IDC_EDIT_ITEM);
    v.boltNo = FieldText(IDC_EDIT_BOLTNO);
    v.testDate = FieldText(IDC_EDIT_TESTDATE);
    v.testUnit = FieldText(IDC_EDIT_TESTUNIT);
    v.tester = FieldText(IDC_EDIT_TESTER);
    // Copies of what the file's analysis holds for the report channel, whatever the fields
    // show.
    const ChannelResult analysis = ChannelResultOf(m_Record, v.reportChannel);
    v.gradeText = NameAt(kGradeNames, analysis.grade);
    v.qualityClass = NameAt(kQualityClassNames, analysis.qualityClass);
    v.exposedLength = LengthText(analysis.freeLength);
    v.anchorLength = LengthText(analysis.anchorLength);
    v.testBasis = FieldText(IDC_EDIT_BASIS);
    v.instrument = FieldText(IDC_EDIT_INSTRUMENT);
    v.installDate = FieldText(IDC_EDIT_INSTALLDATE);
    v.projectName = FieldText(IDC_EDIT_PROJECT);
    v.designDiameter = FieldText(IDC_EDIT_DESIGNDIAMETER);
    v.testDiameter = FieldText(IDC_EDIT_TESTDIAMETER);
    v.designGrade = m_pDesignGrade->currentIndex();
    return v;
}

// ---------------------------------------------------------------------------------------
// Opening.

} // namespace rovana
