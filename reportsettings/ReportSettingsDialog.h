#pragma once

#include "ProjectInfoSave.h"
#include "ReportOptions.h"
#include "ReportSettingsFill.h"
#include "TestRecord.h"

#include <QDialog>
#include <QHash>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace rovana {

class CheckList;
class ReportView;
class ReportSettingsHost;
struct DialogControl;

// The report settings dialog "打印设置". Shows the project and bolt information of one test
// file at a time, saves it into that file, chooses the channel the result sheet shows,
// lists the folder's files to select, edit and check for printing, and carries values
// over to the files edited next. On OK the report view takes the print options and the
// main window the names of the checked files.
//
// Construction builds the controls and opens the dialog on the report view's current
// file (reloading the report view's record from it); exec() then runs it modally.
class ReportSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    using MessageSink = std::function<void(const QString&)>;

    explicit ReportSettingsDialog(ReportSettingsHost* host, QWidget* parent = nullptr);

    // The dialog's private messages; WM_PRINTSET_SAVE returns 1 when the file was
    // written, 0 otherwise. Other messages return 0.
    int SendDialogMessage(int message);
    // Queues the message; it runs once the current event has been handled.
    void PostDialogMessage(int message);

    // The text of field `id`: edit, combo box or the file name (1013).
    QString FieldText(int id) const;
    // The values a save writes, from the fields as they stand.
    ProjectInfoValues CollectValues() const;
    // The print options OK hands to the report view: the title and channel flags, the
    // texts of the item name, file number, lengths and wave speed, and m_strTestDate.
    ReportOptions BuildReportOptions() const;

    // Failure and success messages (one message box each). Tests replace the sink.
    MessageSink m_fnMessage;

    QString m_strFileName; // name of the file being edited, as the list shows it
    QString m_strFilePath; // full path of the file "保  存" writes
    int m_nApplyToFollowing = 0;
    QString m_strTestDate; // test-date text: set by a fill of a file without saved
                           // information and by every save; OK passes it on

    void accept() override; // OK
    void done(int result) override;

private:
    void BuildControls();
    QWidget* CreateControl(const DialogControl& c);
    void OnInitDialog();

    // Fields.
    QLineEdit* Edit(int id) const;
    void SetFieldText(int id, const QString& text);
    void Apply(const FieldFill& fill);
    void SelectBoltType(int index);
    int BoltTypeSelection() const;
    int CheckedChannel() const;
    void CheckOnlyChannel(int ch);
    // The grade and class a file without saved report information shows for channel ch.
    void ClearFields();

    // Handlers.
    int OnReportSettingsSave();
    void OnSaveButton();
    void OnChannelBox(int ch);
    void OnSelectAll();
    void OnFileSelChange();

    // File list.
    void FillFileList();

    ReportSettingsHost* m_pHost;
    ReportView* m_pView;
    // The file the dialog edits, as read from disk: never the record of the test on screen,
    // whose unsaved changes the dialog must not touch.
    TestRecord m_Record;
    QString m_strLoadedPath;     // the file m_Record was last loaded from
    bool m_bFilling = false;     // the list's selection is being set by the dialog
    bool m_bFileReadable = true; // the edited file's last load succeeded
    bool m_bSavedCurrent = false; // a save went into the file of the test on screen

    QHash<int, QWidget*> m_Controls;
    CheckList* m_pFileList = nullptr;
    QLabel* m_pFileLabel = nullptr;
    QCheckBox* m_pTitleBox = nullptr;
    QCheckBox* m_pSelectAll = nullptr;
    QCheckBox* m_pApplyBox = nullptr;
    QCheckBox* m_pChannelBox[3] = {};
    QComboBox* m_pBoltType = nullptr;
    QComboBox* m_pDesignGrade = nullptr;
};

} // namespace rovana
