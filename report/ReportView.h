#pragma once

#include "ChannelViewHost.h"
#include "DisplaySettings.h"
#include "ProcessingChain.h"
#include "ReportOptions.h"
#include "TestEdit.h"
#include "TestRecord.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QPainter;
class QPrinter;
class QUndoStack;

namespace rovana {
namespace sheet {
struct SheetSettings;
}

class ReportViewHost;
struct EditState;
struct SiteFile;
class CalibrationDialog;
class ChannelView;
struct AnalysisValues;

// Status-bar panes written by the report view.
inline constexpr int ID_INDICATOR_PROJECT = 59142;
inline constexpr int ID_INDICATOR_FILE = 59143;
inline constexpr int ID_INDICATOR_SAMPLES = 59144;
inline constexpr int ID_INDICATOR_INTERVAL = 59145;
inline constexpr int ID_INDICATOR_HIGHPASS = 59146;
inline constexpr int ID_INDICATOR_LOWPASS = 59147;
inline constexpr int ID_INDICATOR_DATE = 59148;
inline constexpr int ID_INDICATOR_SPARE = 59149;

// The centre pane: owns the test records and the three channel views stacked one above
// the other, keeps the active channel and writes the acquisition data to the status bar.
class ReportView : public QWidget, public ChannelViewHost
{
    Q_OBJECT

public:
    explicit ReportView(ReportViewHost* host, QWidget* parent = nullptr);
    ~ReportView() override;

    // Channel distribution of a load for channel c: clear the view's buffers, copy the
    // raw samples, filter or copy them for display, transform them into spectrum and
    // phase (the frame keeps peak frequency and bin width) and set the scroll width to the
    // sample count.
    void DistributeChannel(int c);
    // The panel shows the selected channel as the test being edited derives it.
    void RefreshInfoPanel(int c) override;
    // Takes a test loaded from its file: its markers, grades, wave speed and report
    // channel become the test being edited, saved as they are. Says in the status bar when
    // the rule re-derived a stored class.
    void TakeLoadedRecord(const TestRecord& record);
    // Writes the seven status-bar texts when a test is loaded.
    void UpdateStatusPanes();
    // 恢复原始放大 (Ctrl+0): growing gain of the active channel off, a step of the history.
    void ResetActiveMagnification();

    // The history of the test on screen; a load starts a new one, a save keeps it.
    QUndoStack* m_pUndo = nullptr;
    void EditStep(const QString& name, const std::function<void()>& change) override;
    EditState CaptureEditState() const;
    void RestoreEditState(const EditState& state);
    // Repaints the report view and its channel views.
    void RepaintAll();

    // Save: asks for a target (proposing the current file's name) and writes a copy of
    // the current file with the test being edited (markers, lengths, evaluation, wave
    // speed) and the selected channel as its report channel. False when cancelled or
    // refused (the message says why).
    bool SaveCopyWithResults() override;
    // What the save writes: the test being edited with the selected channel as its report
    // channel (a selection outside 0..2 keeps the test's).
    EditInputs InputsToSave() const;
    AnalysisValues CollectAnalysis() const;
    // Saves the analysis into the test's own file, without a dialog; false (with the
    // message) when that fails.
    bool SaveInPlace();
    // Whether a save would write anything other than what the file held when it was
    // loaded or last saved: a change undone is no change.
    bool HasUnsavedChanges() const { return m_Edit.HasUnsavedChanges(); }
    // Save picture: the view as shown, as a ".bmp" next to the test file.
    bool SaveViewPicture();

    // Takes the report settings dialog's options: the four flags and five of the texts
    // (not the item name); the title is always the report title.
    void SetReportOptions(ReportOptions options);

    // Printing and preview of one result sheet per print-list entry, in list order.
    // Print: the print dialog chooses printer and page range; after the last page of a
    // real print the list is emptied. Preview never empties it.
    bool OnFilePrint();
    void OnFilePrintPreview();
    // The sheet settings of a page: the report options,
    // the channel views' amplitude and growing gain, the compress switch.
    sheet::SheetSettings SheetSettingsForPrint() const;
    // Pages first..last (1-based) of the print list onto the printer; returns the number
    // of pages drawn, or -1 when the printer or its output file could not be opened or
    // finished with an error. Page n shows the file m_strFolder/entry n-1.
    int PrintPages(QPrinter& printer, int first, int last);

    // How printing asks the user: the print dialog (false for Cancel; it may set a page
    // range on the printer) and the preview window, which calls its argument to paint.
    std::function<bool(QPrinter&)> m_fnPrintDialog;
    std::function<void(QPrinter&, const std::function<void(QPrinter&)>&)> m_fnPreview;

    // How the view asks for a save target and tells the user something; tests replace
    // them. The target function returns an empty path for Cancel.
    // It gets the proposed path: the current test's folder and file name.
    std::function<QString(const QString& proposedPath)> m_fnAskSavePath;
    std::function<void(const QString&)> m_fnMessage;

    // ChannelViewHost
    TestEdit& Edit() override { return m_Edit; }
    const TestEdit& Edit() const override { return m_Edit; }
    const TestRecord& CurrentRecord() const override { return m_Edit.Edited(); }
    const DisplaySettings& Display() const override;
    int ActiveChannel() const override { return m_nActiveChannel; }
    void SetActiveChannel(int channel) override { m_nActiveChannel = channel; }
    void RepaintChannel(int channel) override;
    void TellUser(const QString& text) override { m_fnMessage(text); }
    void CalibrateWaveSpeed(int channel) override;
    // Writes `speed` into every test of the folder with the lengths their markers then give,
    // and into the record on screen; says which files changed and which could not be.
    void ApplySpeedToFolder(int speed);
    // How the calibration dialog is run; tests choose instead of the engineer.
    std::function<void(CalibrationDialog&)> m_fnRunCalibration;

    QString m_strCurPath;
    QString m_strFolder;
    // The test on screen: the record it came from and what the engineer set on it.
    TestEdit m_Edit;
    // The record on screen as edited, for reading (m_Edit.Edited()).
    const TestRecord& m_CurData = m_Edit.Edited();
    TestRecord m_PrintData;
    std::array<ChannelView*, 3> m_pChannelView{};
    int m_nActiveChannel = -1;
    ReportOptions m_ReportOptions;
    // The folder's processing chain; when it changes anything, the time-domain traces show
    // its output instead of the low-pass filter's.
    processing::ChainSettings m_Chain;
    // The folder's reference bolt, drawn grey behind every time-domain trace; none unset.
    std::unique_ptr<TestRecord> m_pReference;
    QString m_strReferenceFile; // its file name in the folder
    // Takes the folder's chain and reference bolt from its site file (after a load from
    // another folder). A reference that can no longer be read is not drawn.
    void ReadSite(const QString& folder);
    // The test on screen becomes the folder's reference, or there is none; every view
    // shows it at once and the site file keeps it. False when the folder cannot be written
    // (the choice then holds for this run).
    bool SetReference(bool on);
    void SetReferenceToCurrent(int channel) override;
    void ClearReference(int channel) override;
    void TellReferenceKept(bool kept);
    // Shows the site's settings in every view and writes them, changed, into its site
    // file; false when the folder cannot be written.
    bool ShowAndKeep(const std::function<void(SiteFile&)>& change);
    // Applies `chain` to every channel view now and keeps it in the folder's site file;
    // false when the folder cannot be written (the chain then holds for this run).
    bool SetProcessing(const processing::ChainSettings& chain);
    int m_nPageCount = 0;
    int m_nStepDepth = 0;      // inside a step of the history
    bool m_bRestoring = false; // undo or redo putting a state back

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void InstallDefaultDialogs();
    void InstallPrintDialogs();

    bool IsCurrentFile(const QString& path) const;
    // Writes the test into `target`; on success into its own file the test counts as saved
    // and the status bar says when the report channel changed.
    bool SaveTo(const QString& source, const QString& target);
    // Every view and the panel follow the test being edited.
    void OnEditChanged();

    ReportViewHost* m_pHost;
    DisplaySettings m_OwnDisplay; // used only without a host
};

} // namespace rovana
