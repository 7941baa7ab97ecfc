// The report settings dialog at work: opening, the file list, the selection of a test,
// saving the project information and choosing what to print.
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

const QString kDefaultBasis = QStringLiteral("JCJ/T 182-2009");
const QString kDefaultInstrument = QStringLiteral("TQ-RX");
const QString kUnknownFile = QStringLiteral("未知文件");

// The texts the print list takes: the leaves below the tree's first root item, depth
// first. An item with children stands for its children; the root's siblings are not
// visited.
void CollectLeaves(const QTreeWidgetItem* item, QStringList& out)
{
    if (item->childCount() == 0) {
        out.append(item->text(0));
        return;
    }
    for (int i = 0; i < item->childCount(); ++i)
        CollectLeaves(item->child(i), out);
}

// The part of a path after its last separator, when that separator is not the first
// character.
std::optional<QString> NameAfterSeparator(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return std::nullopt;
    return path.mid(slash + 1);
}

} // namespace

void ReportSettingsDialog::OnInitDialog()
{
    SetFieldText(IDC_EDIT_BASIS, kDefaultBasis);
    SetFieldText(IDC_EDIT_INSTRUMENT, kDefaultInstrument);

    // The file of the test on screen as it is on disk; a failed load leaves the fields to
    // the record's defaults and nothing can be saved.
    TestRecord& d = m_Record;
    m_bFileReadable = static_cast<bool>(d.Load(m_pView->m_strCurPath));
    m_strLoadedPath = m_pView->m_strCurPath;
    m_pApplyBox->setChecked(true);

    const int ch = ChannelAtOpening(d.m_nReportChannel);
    CheckOnlyChannel(ch);
    if (d.m_bInfoSaved == 1)
        Apply(FillSavedInfo(d, ch));
    else
        Apply(FillInstrumentInfo(d, ch, m_pHost->LastValues()));
    SelectBoltType(d.m_nBoltType);
    m_pTitleBox->setChecked(true);

    FillFileList();
    m_pHost->EmptyPrintList();
}

void ReportSettingsDialog::FillFileList()
{
    QStringList names;
    if (const QTreeWidgetItem* root = m_pHost->FileTreeRoot())
        CollectLeaves(root, names);
    m_bFilling = true;
    m_pFileList->SetRows(names);

    m_strFilePath = m_pView->m_strCurPath;
    if (const auto name = NameAfterSeparator(m_strFilePath))
        m_strFileName = *name;
    const int row = m_pFileList->FindExact(m_strFileName);
    if (row >= 0) {
        m_pFileList->setCurrentRow(row);
        m_pFileLabel->setText(m_strFileName);
    }
    m_bFilling = false;
}

// ---------------------------------------------------------------------------------------
// Messages and handlers.

int ReportSettingsDialog::SendDialogMessage(int message)
{
    return message == WM_PRINTSET_SAVE ? OnReportSettingsSave() : 0;
}

void ReportSettingsDialog::PostDialogMessage(int message)
{
    QMetaObject::invokeMethod(
        this, [this, message] { SendDialogMessage(message); }, Qt::QueuedConnection);
}

int ReportSettingsDialog::OnReportSettingsSave()
{
    m_strTestDate = FieldText(IDC_EDIT_TESTDATE);
    m_nApplyToFollowing = m_pApplyBox->isChecked() ? 1 : 0;

    // A file the reader refused shows empty fields; writing them would overwrite its
    // information with nothing.
    if (!m_bFileReadable) {
        m_fnMessage(QStringLiteral("无法读取文件"));
        return 0;
    }
    // The writer refuses texts that do not fit into the file (255 bytes each, the whole
    // block before byte 512) with a message of its own, and then writes nothing.
    // Written as the window's own: the test on screen is then not reported as changed.
    const ProjectInfoValues values = CollectValues();
    const WriteResult result =
        m_pView->WriteOwnFile(m_strFilePath, [this, &values](const WriteOptions& options) {
            return SaveProjectInfo(m_strFilePath, values, options);
        });
    if (!result) {
        m_fnMessage(result.message());
        return 0;
    }
    if (m_strFilePath == m_pView->m_strCurPath)
        m_bSavedCurrent = true;
    if (m_nApplyToFollowing == 1)
        m_pHost->SetLastValues({FieldText(IDC_EDIT_ITEM), FieldText(IDC_EDIT_TESTDATE),
                                FieldText(IDC_EDIT_INSTALLDATE), FieldText(IDC_EDIT_TESTUNIT),
                                FieldText(IDC_EDIT_TESTER)});
    return 1;
}

void ReportSettingsDialog::OnSaveButton()
{
    if (SendDialogMessage(WM_PRINTSET_SAVE))
        m_fnMessage(QStringLiteral("已保存！"));
}

void ReportSettingsDialog::OnChannelBox(int ch)
{
    CheckOnlyChannel(ch);
    for (const auto& [id, text] : ChannelClickTexts(m_Record, ch))
        SetFieldText(id, text);
    PostDialogMessage(WM_PRINTSET_SAVE);
}

void ReportSettingsDialog::OnSelectAll()
{
    const int check = m_pSelectAll->isChecked() ? 1 : 0;
    for (int row = 0; row < m_pFileList->count(); ++row)
        m_pFileList->SetCheck(row, check);
}

void ReportSettingsDialog::OnFileSelChange()
{
    for (int id : {IDC_EDIT_TITLE, IDC_EDIT_ITEM, IDC_EDIT_BOLTNO, IDC_EDIT_WAVESPEED,
                   IDC_EDIT_EXPOSED, IDC_EDIT_ANCHORAGE, IDC_EDIT_TESTUNIT, IDC_EDIT_TESTER})
        SetFieldText(id, QString());

    const QList<QListWidgetItem*> selected = m_pFileList->selectedItems();
    const QString name = selected.isEmpty() ? kUnknownFile : selected.first()->text();
    m_pFileLabel->setText(name);

    m_strFilePath = m_pView->m_strFolder + QLatin1Char('/') + name;
    TestRecord& d = m_Record;
    const LoadResult loaded = d.Load(m_strFilePath);
    m_strLoadedPath = m_strFilePath;
    m_pTitleBox->setChecked(true);
    m_bFileReadable = static_cast<bool>(loaded);
    if (!loaded) {
        // The record still holds the previous file: none of its values may be shown, or
        // saved, under this file's name.
        ClearFields();
        m_fnMessage(loaded.message());
        return;
    }

    if (d.m_bInfoSaved == 1) {
        if (const auto ch = ChannelOnSelection(d.m_nReportChannel))
            CheckOnlyChannel(*ch);
        Apply(FillSavedInfo(d, CheckedChannel()));
    } else {
        Apply(FillInstrumentInfo(d, CheckedChannel(), m_pHost->LastValues()));
    }
    SelectBoltType(d.m_nBoltType);
}

void ReportSettingsDialog::ClearFields()
{
    for (QWidget* w : std::as_const(m_Controls)) {
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            edit->clear();
    }
    m_pDesignGrade->setCurrentIndex(-1);
    SelectBoltType(-1);
}

ReportOptions ReportSettingsDialog::BuildReportOptions() const
{
    const bool title = m_pTitleBox->isChecked();
    ReportOptions o;
    o.bShowTitle = title ? 1 : 0;
    o.strTitle = title ? kReportTitle : QString();
    o.bChannel1 = m_pChannelBox[0]->isChecked() ? 1 : 0;
    o.bChannel2 = m_pChannelBox[1]->isChecked() ? 1 : 0;
    o.bChannel3 = m_pChannelBox[2]->isChecked() ? 1 : 0;
    o.strItemName = FieldText(IDC_EDIT_ITEM);
    o.strFileNumber = FieldText(IDC_EDIT_BOLTNO);
    o.strExposedLength = FieldText(IDC_EDIT_EXPOSED);
    o.strAnchorLength = FieldText(IDC_EDIT_ANCHORAGE);
    o.strWaveSpeed = FieldText(IDC_EDIT_WAVESPEED);
    o.strTestDate = m_strTestDate;
    return o;
}

void ReportSettingsDialog::accept()
{
    m_pHost->TakePrintList(m_pFileList->CheckedTexts());
    m_pView->SetReportOptions(BuildReportOptions());
    QDialog::accept();
}

void ReportSettingsDialog::done(int result)
{
    // A save into the file of the test on screen changed it on disk (its report channel,
    // its information): the test takes the change, unsaved edits staying on top of it.
    TestRecord disk;
    if (m_bSavedCurrent && disk.Load(m_pView->m_strCurPath)) {
        m_pView->m_Edit.TakeFileChange(disk);
        m_pView->m_nActiveChannel = m_pView->m_Edit.Inputs().reportChannel;
        m_pView->RefreshInfoPanel(m_pView->m_nActiveChannel);
        m_pView->RepaintAll();
    }
    QDialog::done(result);
}

} // namespace rovana
