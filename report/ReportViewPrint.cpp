// Printing and print preview of the report view: one result sheet per print-list entry.
#include "ReportView.h"

#include "ChannelView.h"
#include "OutputTarget.h"
#include "PrintFileName.h"
#include "ReportViewHost.h"
#include "SheetDocument.h"
#include "SiteStore.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPaintEngine>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace rovana {
namespace {

// A4 portrait at 600 dpi.
void SetUpPrinter(QPrinter& printer)
{
    printer.setResolution(600);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
}

// Why the PDF file `path` must not be written, or nothing: the refusals of every output
// the user names (no test file, nothing but a regular file at the end of its links).
QString RefusedPdfFile(const QString& path)
{
    switch (ExamineOutputTarget(path).refusal) {
    case OutputRefusal::None:
        return {};
    case OutputRefusal::TestFile:
        return QStringLiteral("输出文件不能是 .mg 测试文件: ") + path;
    case OutputRefusal::NotRegular:
        return QStringLiteral("输出文件已存在且不是普通文件: ") + path;
    case OutputRefusal::LinkLoop:
        return QStringLiteral("输出文件是循环的符号链接: ") + path;
    case OutputRefusal::DanglingLink:
        return QStringLiteral("输出文件是指向不存在的文件的符号链接: ") + path;
    }
    return {};
}

// The print list's files: each entry is a file of the folder on screen.
QStringList PrintPaths(const QString& folder, const QStringList& list)
{
    QStringList paths;
    for (const QString& entry : list)
        paths.append(folder + QLatin1Char('/') + entry);
    return paths;
}

} // namespace

void ReportView::InstallPrintDialogs()
{
    m_fnPrintDialog = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        dialog.setMinMax(1, std::max(1, m_nPageCount));
        return dialog.exec() == QDialog::Accepted;
    };
    m_fnPreview = [this](QPrinter& printer, const std::function<void(QPrinter&)>& paint) {
        QPrintPreviewDialog dialog(&printer, this);
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
                [&paint](QPrinter* p) { paint(*p); });
        dialog.exec();
    };
}

sheet::SheetSettings ReportView::SheetSettingsForPrint() const
{
    sheet::SheetSettings s;
    s.options = m_ReportOptions;
    s.bCompress = Display().m_bCompress;
    // The print list holds tests of the folder on screen: its processing, amplitudes and
    // gains as the site store keeps them, as rovana-cli sheet and the report take them (the
    // processing of this run where the folder could not keep it).
    sheet::ApplySiteSettings(m_pSite->Site(), s);
    s.chain = m_Chain;
    return s;
}

sheet::SheetDocument ReportView::PrintDocument(int first, int last) const
{
    const QStringList list = m_pHost ? m_pHost->PrintList() : QStringList();
    return sheet::SheetDocument(PrintPaths(m_strFolder, list.mid(first - 1, last - first + 1)),
                                [settings = SheetSettingsForPrint()](
                                    const QString&, sheet::SheetSettings& s) { s = settings; });
}

int ReportView::PrintPages(QPrinter& printer, int first, int last)
{
    const QStringList list = m_pHost ? m_pHost->PrintList() : QStringList();
    first = std::max(first, 1);
    last = std::min(last, static_cast<int>(list.size()));
    if (first > last)
        return 0;
    if (IsPdfFileJob(printer))
        return PrintPagesToPdf(printer, first, last);
    sheet::SheetDocument sheets = PrintDocument(first, last);
    const document::PaintResult printed = document::PaintDocument(printer, sheets);
    // A printer or an output file that cannot be opened, or a job that ended in an error.
    if (!printed.failure.isEmpty() || printer.printerState() == QPrinter::Error)
        return -1;
    return printed.pages;
}

bool ReportView::IsPdfFileJob(const QPrinter& printer) const
{
    // A printer with a file name and a PDF engine writes that file itself (print to file, or
    // the preview's export); the preview's own engine only records pictures.
    const QPaintEngine* engine = printer.paintEngine();
    return !printer.outputFileName().isEmpty() && engine && engine->type() == QPaintEngine::Pdf;
}

int ReportView::PrintPagesToPdf(const QPrinter& printer, int first, int last)
{
    const QString path = printer.outputFileName();
    if (const QString refused = RefusedPdfFile(path); !refused.isEmpty()) {
        m_fnMessage(refused);
        return -1;
    }
    // The document as the printer would have made it: page, margins, resolution, names.
    document::PageSetup setup;
    setup.resolution = printer.resolution();
    setup.layout = printer.pageLayout();
    setup.version = printer.pdfVersion();
    setup.title = printer.docName().isEmpty() ? kReportTitle : printer.docName();
    setup.creator = printer.creator();
    sheet::SheetDocument sheets = PrintDocument(first, last);
    const document::DocumentResult written = document::WritePdf(path, sheets, setup);
    if (!written.written) {
        m_fnMessage(QStringLiteral("%1: %2").arg(written.write.message(), path));
        return -1;
    }
    return written.pages;
}

bool ReportView::OnFilePrint()
{
    const QStringList list = m_pHost ? m_pHost->PrintList() : QStringList();
    m_nPageCount = static_cast<int>(list.size());
    if (m_pHost)
        m_pHost->SetPrintMode(1);
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer);
    printer.setFromTo(0, 0);
    if (m_nPageCount > 0) {
        // The print dialog's "print to file" offers this name. Naming the file makes the
        // printer a PDF writer; a real printer, where there is one, stays the first choice.
        printer.setOutputFileName(OfferedPdfPath(m_strFolder, list));
        printer.setOutputFormat(QPrinter::NativeFormat);
    }
    if (m_nPageCount == 0 || !m_fnPrintDialog(printer))
        return false;
    int first = 1, last = m_nPageCount;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage();
        last = std::max(first, printer.toPage());
    }
    if (PrintPages(printer, first, last) < 0) {
        // Nothing (or not everything) reached the printer: the list stays for another try.
        // A PDF file's write has said why already.
        if (!IsPdfFileJob(printer))
            m_fnMessage(QStringLiteral("无法打印：打印机或输出文件无法打开"));
        update();
        return false;
    }
    // After a real print of the last page the user chooses files again.
    if (last >= m_nPageCount && m_pHost)
        m_pHost->ClearPrintList();
    update();
    return true;
}

void ReportView::OnFilePrintPreview()
{
    const QStringList list = m_pHost ? m_pHost->PrintList() : QStringList();
    m_nPageCount = static_cast<int>(list.size());
    if (m_pHost)
        m_pHost->SetPrintMode(0);
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer);
    m_fnPreview(printer, [this](QPrinter& p) { PrintPages(p, 1, m_nPageCount); });
    update();
}

} // namespace rovana
