#include "SummaryWindow.h"

#include "NativePath.h"
#include "OutputFile.h"
#include "RowSuggestion.h"
#include "SummaryCsv.h"
#include "SummaryPainter.h"
#include "SummaryTableModel.h"
#include "SummaryXlsx.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <sys/stat.h>

namespace rovana {

namespace {

constexpr int kStatisticsRowsPerColumn = 8;

void SetUpA4(QPrinter& printer)
{
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    printer.setFullPage(true);
    printer.setDocName(summary::kSummaryTitle);
}

// A burst of changes (a save writes a temporary file, then renames it) gives one refresh.
constexpr int kRefreshDelayMs = 300;
// Files of a folder watched one by one; the folder itself is always watched.
constexpr int kWatchedFilesAtMost = 2000;

} // namespace

SummaryWindow::SummaryWindow(const QString& folder, QWidget* parent)
    : QDialog(parent), m_strFolder(folder)
{
    setWindowTitle(QStringLiteral("检测结果汇总 - %1").arg(QDir::toNativeSeparators(folder)));
    setModal(false);
    setSizeGripEnabled(true);
    resize(1100, 700);

    m_pModel = new SummaryTableModel(this);
    m_pProxy = new QSortFilterProxyModel(this);
    m_pProxy->setSourceModel(m_pModel);
    m_pProxy->setSortRole(SummaryTableModel::kSortRole);
    m_pTable = new QTableView(this);
    m_pTable->setModel(m_pProxy);
    m_pTable->setSortingEnabled(true);
    m_pTable->sortByColumn(-1, Qt::AscendingOrder); // the tree's order until a header is clicked
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->verticalHeader()->setVisible(false);
    m_pTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(m_pTable, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        const QString path = index.data(SummaryTableModel::kPathRole).toString();
        if (!path.isEmpty())
            emit OpenFileRequested(path);
    });

    auto* statistics = new QGroupBox(QStringLiteral("统计"), this);
    m_pStatistics = new QGridLayout(statistics);

    auto* buttons = new QHBoxLayout;
    const auto addButton = [&](const QString& text, auto slot) {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, slot);
        buttons->addWidget(button);
        m_Buttons.append(button);
    };
    addButton(QStringLiteral("刷新"), [this] { Refresh(); });
    addButton(QStringLiteral("打印"), [this] { OnPrint(); });
    addButton(QStringLiteral("打印预览"), [this] { OnPrintPreview(); });
    addButton(QStringLiteral("保存PDF"), [this] { OnSavePdf(); });
    addButton(QStringLiteral("保存CSV"), [this] { OnSaveCsv(); });
    addButton(QStringLiteral("保存Excel"), [this] { OnSaveExcel(); });
    buttons->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTable, 1);
    layout->addWidget(statistics);
    layout->addLayout(buttons);

    auto* refresh = new QShortcut(QKeySequence::Refresh, this);
    connect(refresh, &QShortcut::activated, this, [this] { Refresh(); });
    m_pRefreshSoon = new QTimer(this);
    m_pRefreshSoon->setSingleShot(true);
    m_pRefreshSoon->setInterval(kRefreshDelayMs);
    connect(m_pRefreshSoon, &QTimer::timeout, this, [this] { Refresh(); });
    m_pWatcher = new QFileSystemWatcher(this);
    const auto changed = [this] { m_pRefreshSoon->start(); };
    connect(m_pWatcher, &QFileSystemWatcher::directoryChanged, this, changed);
    connect(m_pWatcher, &QFileSystemWatcher::fileChanged, this, changed);

    m_fnSaveDialog = [this](const QString& caption, const QString& filter,
                            const QString& proposed) {
        // The dialog would ask about the name as typed, before the suffix is added.
        return QFileDialog::getSaveFileName(this, caption, proposed, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
    m_fnConfirmReplace = [this](const QString& path) {
        return QMessageBox::question(this, windowTitle(),
                                     QStringLiteral("%1 已存在。\n要替换它吗？")
                                         .arg(QDir::toNativeSeparators(DisplayName(path))),
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    m_fnMessage = [this](const QString& text) {
        // Information for the confirmation, a warning for every failure.
        const auto icon =
            text == QStringLiteral("已保存！") ? QMessageBox::Information : QMessageBox::Warning;
        QMessageBox box(icon, windowTitle(), text, QMessageBox::Ok, this);
        box.exec();
    };
}

SummaryWindow::~SummaryWindow() = default;

SummaryWindow* SummaryWindow::Open(const QString& folder, QWidget* parent)
{
    auto* window = new SummaryWindow(folder, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    if (!window->Refresh()) {
        window->close();
        return nullptr;
    }
    return window;
}

bool SummaryWindow::Refresh()
{
    int error = 0;
    const QStringList files = summary::FolderTestFiles(m_strFolder, &error);
    if (error != 0)
        ShowMessage(QStringLiteral("%1: %2").arg(summary::FolderErrorText(error),
                                                 QDir::toNativeSeparators(m_strFolder)));
    std::unique_ptr<QProgressDialog> progress;
    if (files.size() >= kProgressFromFiles) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("正在读取文件…"),
                                                     QStringLiteral("取消"), 0,
                                                     static_cast<int>(files.size()), this);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->setAutoReset(false); // a cancel at the last file still counts
    }
    const auto report = [&progress](int done, int /*total*/) {
        if (!progress)
            return true;
        progress->setValue(done);
        return !progress->wasCanceled();
    };
    // The picker runs only for files the folder's suggestion cache holds nothing for. A
    // cache that cannot be kept (a read-only folder) only costs the next summary time: the
    // window says nothing about it.
    const std::unique_ptr<SuggestionCache> suggestions = summary::OpenSuggestionCache(m_strFolder);
    std::optional<summary::SiteSummary> read =
        summary::SummarizeFiles(m_strFolder, files, report, suggestions.get());
    if (!read)
        return false;
    const QString selected = SelectedPath();
    const bool first = m_Summary.rows.empty();
    m_Summary = std::move(*read);
    m_pModel->SetRows(m_Summary.rows);
    if (first)
        m_pTable->resizeColumnsToContents();
    for (int row = 0; row < m_pProxy->rowCount(); ++row) {
        const QModelIndex index = m_pProxy->index(row, 0);
        if (!selected.isEmpty() &&
            index.data(SummaryTableModel::kPathRole).toString() == selected) {
            m_pTable->selectRow(row);
            break;
        }
    }
    ShowStatistics();
    WatchFolder();
    return true;
}

void SummaryWindow::WatchFolder()
{
    if (const QStringList watched = m_pWatcher->files() + m_pWatcher->directories();
        !watched.isEmpty())
        m_pWatcher->removePaths(watched);
    m_pWatcher->addPath(m_strFolder);
    // Writers that replace a file by a rename change the folder; a file edited in place
    // is seen by its own watch, within the system's limit on watches.
    QStringList files = m_Summary.Paths();
    if (files.size() > kWatchedFilesAtMost)
        files.resize(kWatchedFilesAtMost);
    if (!files.isEmpty())
        m_pWatcher->addPaths(files);
}

summary::SiteSummary SummaryWindow::ShownSummary() const
{
    summary::SiteSummary shown = m_Summary;
    shown.rows.clear();
    for (int row = 0; row < m_pProxy->rowCount(); ++row) {
        const int source = m_pProxy->mapToSource(m_pProxy->index(row, 0)).row();
        shown.rows.push_back(m_Summary.rows[static_cast<std::size_t>(source)]);
    }
    return shown;
}

QString SummaryWindow::SelectedPath() const
{
    const QModelIndexList rows =
        m_pTable->selectionModel() ? m_pTable->selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? QString() : rows.front().data(SummaryTableModel::kPathRole).toString();
}

void SummaryWindow::ShowStatistics()
{
    while (QLayoutItem* item = m_pStatistics->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const std::vector<summary::StatisticsLine> lines =
        summary::StatisticsLines(m_Summary.statistics);
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const summary::StatisticsLine& line = lines[static_cast<std::size_t>(i)];
        const int row = i % kStatisticsRowsPerColumn;
        const int column = 3 * (i / kStatisticsRowsPerColumn);
        QString value = line.ValueText();
        if (line.hasShare)
            value += QStringLiteral("（%1）").arg(line.ShareText());
        m_pStatistics->addWidget(new QLabel(line.label), row, column);
        auto* shown = new QLabel(value);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_pStatistics->addWidget(shown, row, column + 1);
    }
    m_pStatistics->setColumnMinimumWidth(2, 40);
    m_pStatistics->setColumnStretch(5, 1);
}

QPushButton* SummaryWindow::Button(const QString& text) const
{
    for (QPushButton* button : m_Buttons)
        if (button->text() == text)
            return button;
    return nullptr;
}

QStringList SummaryWindow::StatisticsTexts() const
{
    QStringList texts;
    for (int i = 0; i < m_pStatistics->count(); ++i)
        if (const auto* label = qobject_cast<QLabel*>(m_pStatistics->itemAt(i)->widget()))
            texts.append(label->text());
    return texts;
}

void SummaryWindow::ShowMessage(const QString& text)
{
    if (m_fnMessage)
        m_fnMessage(text);
}

int SummaryWindow::RenderOnPrinter(QPrinter& printer) const
{
    return summary::PaintSummary(printer, ShownSummary());
}

void SummaryWindow::OnPrint()
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpA4(printer);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (RenderOnPrinter(printer) == 0)
        ShowMessage(QStringLiteral("无法打印"));
}

void SummaryWindow::OnPrintPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpA4(printer);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { RenderOnPrinter(*p); });
    preview.exec();
}

bool SummaryWindow::Save(const QString& caption, const QString& filter, const QString& suffix,
                         const std::function<std::optional<QByteArray>(QString*)>& make)
{
    QString proposed = m_strFolder + QLatin1Char('/') + summary::kSummaryTitle + suffix;
    QString path;
    for (;;) {
        path = m_fnSaveDialog ? m_fnSaveDialog(caption, filter, proposed) : QString();
        if (path.isEmpty())
            return false;
        if (!path.endsWith(suffix, Qt::CaseInsensitive))
            path += suffix;
        // Ask about the file that will be written; a refused one is said below instead.
        struct stat st;
        if (!summary::CheckOutputPath(path, m_Summary.Paths()) ||
            ::lstat(NativePath(path).constData(), &st) != 0 || !m_fnConfirmReplace ||
            m_fnConfirmReplace(path))
            break;
        proposed = path; // "no": choose again
    }
    QString why;
    const std::optional<QByteArray> bytes = make(&why);
    const summary::OutputResult written =
        bytes ? summary::WriteOutputFile(path, *bytes, m_Summary.Paths())
              : summary::OutputResult::fail(why);
    if (!written) {
        ShowMessage(QStringLiteral("无法创建文件\n%1").arg(written.detail));
        return false;
    }
    ShowMessage(QStringLiteral("已保存！"));
    return true;
}

bool SummaryWindow::OnSavePdf()
{
    return Save(QStringLiteral("保存PDF"), QStringLiteral("PDF (*.pdf)"), QStringLiteral(".pdf"),
                [this](QString* why) { return summary::SummaryPdf(ShownSummary(), why); });
}

bool SummaryWindow::OnSaveCsv()
{
    return Save(QStringLiteral("保存CSV"), QStringLiteral("CSV (*.csv)"), QStringLiteral(".csv"),
                [this](QString*) { return std::optional(summary::SummaryCsv(ShownSummary())); });
}

bool SummaryWindow::OnSaveExcel()
{
    return Save(QStringLiteral("保存Excel"), QStringLiteral("Excel (*.xlsx)"),
                QStringLiteral(".xlsx"),
                [this](QString* why) { return summary::SummaryXlsx(ShownSummary(), why); });
}

} // namespace rovana
