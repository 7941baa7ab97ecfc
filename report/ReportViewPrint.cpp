// Printing and print preview of the report view: one result sheet per print-list entry.
#include "ReportView.h"

#include "ChannelView.h"
#include "OutputTarget.h"
#include "PrintFileName.h"
#include "ReportViewHost.h"
#include "SafeFileDevice.h"
#include "SheetPainter.h"
#include "SheetPdf.h"
#include "SiteStore.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
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

// The sheets of pages first..last, one per page of `device`, which `painter` is active on.
int PaintSheets(QPainter& painter, QPagedPaintDevice& device, const QString& folder,
                const QStringList& list, int first, int last, TestRecord& printData,
                const sheet::SheetSettings& settings)
{
    int printed = 0;
    for (int page = first; page <= last; ++page) {
        if (printed > 0)
            device.newPage();
        sheet::RenderReportPage(painter, folder + QLatin1Char('/') + list[page - 1], printData,
                                settings);
        ++printed;
    }
    return printed;
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
    for (int c = 0; c < 3; ++c)
        s.channels[c].nMagnify = m_pChannelView[c]->m_nMagnify;
    s.bCompress = Display().m_bCompress;
    // The print list holds tests of the folder on screen: its processing and amplitudes, as
    // rovana-cli sheet takes them.
    sheet::ApplySiteSettings(m_pSite->Site(), s);
    s.chain = m_Chain;
    return s;
}

int ReportView::PrintPages(QPrinter& printer, int first, int last)
{
    const QStringList list = m_pHost ? m_pHost->PrintList() : QStringList();
    first = std::max(first, 1);
    last = std::min(last, static_cast<int>(list.size()));
    QPainter painter;
    if (first > last)
        return 0;
    if (IsPdfFileJob(printer))
        return PrintPagesToPdf(printer, first, last);
    if (!painter.begin(&printer))
        return -1; // the printer or the output file cannot be opened
    const int printed = PaintSheets(painter, printer, m_strFolder, list, first, last, m_PrintData,
                                    SheetSettingsForPrint());
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return -1;
    return printed;
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
    const auto failed = [this, &path](const WriteResult& result) {
        m_fnMessage(QStringLiteral("%1: %2").arg(result.message(), path));
        return -1;
    };
    SafeFileWriter file(path);
    if (!file.open())
        return failed(file.result());
    SafeFileDevice device(file);
    device.open(QIODevice::WriteOnly);
    // The document as the printer would have made it: page, margins, resolution, names.
    QPdfWriter writer(&device);
    writer.setResolution(printer.resolution());
    writer.setPageLayout(printer.pageLayout());
    writer.setPdfVersion(printer.pdfVersion());
    writer.setTitle(printer.docName().isEmpty() ? kReportTitle : printer.docName());
    writer.setCreator(printer.creator());
    QPainter painter;
    if (!painter.begin(&writer))
        return failed({WriteStatus::CannotCreate, QStringLiteral("无法开始绘制 PDF"), 0});
    const QStringList list = m_pHost ? m_pHost->PrintList() : QStringList();
    const int printed = PaintSheets(painter, writer, m_strFolder, list, first, last, m_PrintData,
                                    SheetSettingsForPrint());
    const bool ended = painter.end();
    device.close();
    if (!file.result())
        return failed(file.result()); // a write failed: the disk is full, for instance
    if (!ended)
        return failed({WriteStatus::CannotCreate, QStringLiteral("PDF 未能完整生成"), 0});
    if (const WriteResult committed = file.commit(); !committed)
        return failed(committed);
    return printed;
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
