// Printing and print preview of the report view: one result sheet per print-list entry.
#include "ReportView.h"

#include "ChannelView.h"
#include "PrintFileName.h"
#include "ReportViewHost.h"
#include "SheetPainter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
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
        s.channels[c] = {m_pChannelView[c]->m_nMaxAmplitude, m_pChannelView[c]->m_nMagnify};
    s.bCompress = Display().m_bCompress;
    s.chain = m_Chain; // the print list holds tests of the folder on screen
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
    if (!painter.begin(&printer))
        return -1; // the printer or the output file cannot be opened
    const sheet::SheetSettings settings = SheetSettingsForPrint();
    int printed = 0;
    for (int page = first; page <= last; ++page) {
        if (printed > 0)
            printer.newPage();
        const QString path = m_strFolder + QLatin1Char('/') + list[page - 1];
        sheet::RenderReportPage(painter, path, m_PrintData, settings);
        ++printed;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return -1;
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
