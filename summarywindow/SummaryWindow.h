#pragma once

#include "SummaryTable.h"

#include <QDialog>
#include <QString>

#include <functional>

class QFileSystemWatcher;
class QGridLayout;
class QTimer;
class QPrinter;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace rovana {

class SummaryTableModel;

// The window "检测结果汇总" of a folder: the table of every bolt (sortable by any column),
// the statistics, and buttons to print, preview and save as PDF, CSV or Excel. A
// double-click on a row asks for that file to be opened (OpenFileRequested). The window
// is not modal, so that the main window shows the opened file beside it.
class SummaryWindow : public QDialog
{
    Q_OBJECT

public:
    // The save dialog: caption, filter and proposed path in; the chosen path out, empty for
    // Cancel. It asks nothing about existing files: the window adds the suffix first and
    // then asks itself about the file it will write (ConfirmReplace). Tests replace it, as
    // they replace the message boxes.
    using SaveDialog = std::function<QString(const QString& caption, const QString& filter,
                                             const QString& proposed)>;
    // Asks whether the existing file `path` may be replaced; true for yes.
    using ConfirmReplace = std::function<bool(const QString& path)>;
    using MessageSink = std::function<void(const QString&)>;

    // Folders with at least this many files show a progress bar while they are read.
    static constexpr int kProgressFromFiles = 500;

    explicit SummaryWindow(const QString& folder, QWidget* parent = nullptr);
    ~SummaryWindow() override;

    // Opens the window of `folder` (deleted when closed) and reads the folder; null when
    // the user cancelled the reading.
    static SummaryWindow* Open(const QString& folder, QWidget* parent);

    // Reads the folder afresh and shows the table and statistics, keeping the sort order
    // and the selected bolt. False when cancelled; the window then keeps what it showed.
    // Runs on F5 and 刷新, and by itself shortly after a test file of the folder changes,
    // appears or goes.
    bool Refresh();

    // The summary as the table shows it: its rows in the order on screen. Print, preview,
    // PDF, CSV and Excel take this.
    summary::SiteSummary ShownSummary() const;
    // The full path of the selected bolt's file, empty without a selection.
    QString SelectedPath() const;

    const summary::SiteSummary& Summary() const { return m_Summary; }
    QTableView* Table() const { return m_pTable; }
    // The button with this text ("刷新", "打印", "打印预览", "保存PDF", "保存CSV", "保存Excel").
    QPushButton* Button(const QString& text) const;
    // The statistics as shown: one label and one value text per line.
    QStringList StatisticsTexts() const;

    void SetSaveDialog(SaveDialog dialog) { m_fnSaveDialog = std::move(dialog); }
    void SetConfirmReplace(ConfirmReplace confirm) { m_fnConfirmReplace = std::move(confirm); }
    void SetMessageSink(MessageSink sink) { m_fnMessage = std::move(sink); }

    // Commands. The save commands return whether the file was written.
    void OnPrint();
    void OnPrintPreview();
    bool OnSavePdf();
    bool OnSaveCsv();
    bool OnSaveExcel();
    // Paints the summary on a printer (print, preview); returns the number of pages.
    int RenderOnPrinter(QPrinter& printer) const;

signals:
    // A row was double-clicked: the full path of its file.
    void OpenFileRequested(const QString& path);

private:
    bool Save(const QString& caption, const QString& filter, const QString& suffix,
              const std::function<std::optional<QByteArray>(QString*)>& make);
    void ShowStatistics();
    void ShowMessage(const QString& text);
    void WatchFolder();

    QString m_strFolder;
    summary::SiteSummary m_Summary;
    SummaryTableModel* m_pModel = nullptr;
    QSortFilterProxyModel* m_pProxy = nullptr;
    QTableView* m_pTable = nullptr;
    QGridLayout* m_pStatistics = nullptr;
    QList<QPushButton*> m_Buttons;
    QFileSystemWatcher* m_pWatcher = nullptr;
    QTimer* m_pRefreshSoon = nullptr; // gathers a burst of changes into one refresh
    SaveDialog m_fnSaveDialog;
    ConfirmReplace m_fnConfirmReplace;
    MessageSink m_fnMessage;
};

} // namespace rovana
