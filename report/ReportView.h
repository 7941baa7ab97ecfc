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
class SheetDocument;
} // namespace sheet

class ReportViewHost;
struct EditState;
struct SiteFile;
struct SiteCalibration;
struct FileListReport;
class SiteStore;
class CalibrationDialog;
class ChannelView;
class DiskChangeBar;
class TestFileWatcher;
struct AnalysisValues;
struct WriteOptions;
struct WriteResult;

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
    // Writes the seven status-bar texts when a test is loaded, and the folder's processing
    // ("信号处理: 带通 100–3000 Hz 4阶") when its traces are processed.
    void UpdateStatusPanes();
    // The folder's amplitude of channel c on its view: a fixed one, the test's own fit, or
    // (unset) what the view has.
    void ApplySiteAmplitude(int c);
    // "适合幅值" on the selected channel: a step of the history, kept for the folder.
    void FitActiveAmplitude();
    void AmplitudeChosen(int channel, bool fit) override;
    // The folder's growing gain of channel c on its view, as a load sets it: the kept one,
    // else 1 (none).
    void ApplySiteGain(int c);
    void GainChosen(int channel) override;
    // 恢复原始放大 (Ctrl+0): growing gain of the active channel off, kept for the folder, a
    // step of the history.
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
    // After a load: the history's clean state is the file as loaded.
    void MarkSaved();
    // Whether a save would write anything other than what the file held when it was
    // loaded or last saved: a change undone is no change.
    bool HasUnsavedChanges() const { return m_Edit.HasUnsavedChanges(); }
    // The test's own file as loaded, watched for changes by other programs; the bar that
    // says so above the views (report/ReportViewDisk.cpp). A save onto a file changed since
    // it was loaded asks first: "MG0003.mg 已被其他程序修改。" 覆盖 / 另存为 / 取消.
    TestFileWatcher* m_pTestFile = nullptr;
    DiskChangeBar* m_pDiskChangeBar = nullptr;
    enum class ChangedFileAnswer
    {
        Overwrite,
        SaveAs,
        Cancel,
    };
    std::function<ChangedFileAnswer(const QString& fileName)> m_fnAskChangedFile;
    // The history's steps since the last save ("底部", "撤销 清除"), in the order taken.
    QStringList UnsavedEdits() const;
    // A write of this window onto a test file other than the save of the analysis (the
    // report settings' project information): `write` gets the options to write with. When
    // the file is the test on screen and was as loaded until then, what `write` put in place
    // is the file as loaded: no notice, no question at the next save.
    WriteResult WriteOwnFile(const QString& path,
                             const std::function<WriteResult(const WriteOptions&)>& write);
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
    // The sheet settings of a page: the report options, the compress switch, and the
    // folder's amplitudes, growing gains and processing as the site store keeps them.
    sheet::SheetSettings SheetSettingsForPrint() const;
    // Pages first..last (1-based) of the print list as a document of sheets.
    sheet::SheetDocument PrintDocument(int first, int last) const;
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
    // Writes `speed` into every test of the folder with the analysis it gives, through the
    // calibration journal and after asking; the test on screen is saved first and shown
    // again from its file. Not a step of the history: its way back is TakeBackCalibration.
    void CalibrateFolder(int speed, const SiteCalibration& record);
    // 恢复原波速: the folder's last calibration taken back, each file to its own bytes.
    void TakeBackCalibration();
    // How the calibration dialog is run; tests choose instead of the engineer.
    std::function<void(CalibrationDialog&)> m_fnRunCalibration;
    // How the view asks before a change of many files (true for 确定) and shows what such a
    // change did; tests answer and read instead.
    std::function<bool(const QString& question)> m_fnConfirm;
    std::function<void(const FileListReport&)> m_fnShowReport;

    QString m_strCurPath;
    QString m_strFolder;
    // The test on screen: the record it came from and what the engineer set on it.
    TestEdit m_Edit;
    // The record on screen as edited, for reading (m_Edit.Edited()).
    const TestRecord& m_CurData = m_Edit.Edited();
    std::array<ChannelView*, 3> m_pChannelView{};
    int m_nActiveChannel = -1;
    ReportOptions m_ReportOptions;
    // The folder's processing chain; when it changes anything, the time-domain traces show
    // its output instead of the low-pass filter's.
    processing::ChainSettings m_Chain;
    // The folder's reference bolt, drawn grey behind every time-domain trace; none unset.
    std::unique_ptr<TestRecord> m_pReference;
    QString m_strReferenceFile; // its file name in the folder
    // The folder's site file, read and written only through this store.
    SiteStore* m_pSite = nullptr;
    // Takes the folder's chain and reference bolt from its site file (after a load from
    // another folder). A reference that can no longer be read is not drawn.
    void ReadSite(const QString& folder);
    // The store's settings into the views, and its warning into the status bar.
    void TakeSite(bool show);
    // Whether the site file can be written; when it cannot be read, says so and offers to
    // start afresh after keeping its bytes beside it (only when `ask`).
    bool SiteWritable(bool ask);
    // The test on screen becomes the folder's reference, or there is none; every view
    // shows it at once and the site file keeps it. False when the folder cannot be written
    // (the choice then holds for this run).
    bool SetReference(bool on);
    void SetReferenceToCurrent(int channel) override;
    void ClearReference(int channel) override;
    void TellReferenceKept(bool kept);
    // Shows the site's settings in every view and writes them, changed, through the site
    // store (asking to start afresh when `ask` and the file cannot be read); false when
    // they were not kept.
    bool ShowAndKeep(const std::function<void(SiteFile&)>& change, bool ask = true);
    // Applies `chain` to every channel view now and keeps it in the folder's site file;
    // false when it was not kept (the chain then holds for this run).
    bool SetProcessing(const processing::ChainSettings& chain, bool ask = true);
    int m_nPageCount = 0;
    int m_nStepDepth = 0;      // inside a step of the history
    bool m_bRestoring = false; // undo or redo putting a state back

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void InstallDefaultDialogs();
    void InstallPrintDialogs();
    void InstallDiskWatch();
    // The bar above the views after the test's file changed on disk, or none.
    void ShowDiskChange();
    void LayOutViews();
    // A save onto `target`, with the question when it is the test's own file and that
    // changed on disk since it was loaded.
    bool SaveTo(QString target);
    // The analysis on screen patched into the test's file as loaded (as on disk when that
    // is not known), written to `target`.
    bool WriteResultsTo(const QString& target);
    // A print into a PDF file goes through the safe writer: the pages into a QPdfWriter set
    // up as the printer, then committed; false (with the message) when it fails.
    bool IsPdfFileJob(const QPrinter& printer) const;
    int PrintPagesToPdf(const QPrinter& printer, int first, int last);
    void InstallSite(); // the site store and the site's dialogs

    bool IsCurrentFile(const QString& path) const;
    // Every view and the panel follow the test being edited.
    void OnEditChanged();

    ReportViewHost* m_pHost;
    QString m_strSiteWarning;     // the site's warning as last put into the status bar
    DisplaySettings m_OwnDisplay; // used only without a host
};

} // namespace rovana
