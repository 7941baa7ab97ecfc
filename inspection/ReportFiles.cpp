#include "ReportFiles.h"

#include "ReportDocument.h"
#include "ReportOdt.h"
#include "SafeFileDevice.h"

namespace rovana::inspection {

namespace {

QString Failed(const WriteResult& result, const QString& path)
{
    QString text = QStringLiteral("%1: %2").arg(result.message(), path);
    if (!result.detail.isEmpty() && result.status != WriteStatus::Ok)
        text += QStringLiteral("（%1）").arg(result.detail);
    return text;
}

} // namespace

ReportFilesResult WriteReportFiles(const ReportContent& content, const ReportTargets& targets,
                                   const document::PageProgress& progress,
                                   const WriteOptions& options)
{
    ReportFilesResult result;
    ReportDocument report(content);
    const int pdfSteps = targets.pdf.isEmpty() ? 0 : static_cast<int>(content.files.size()) + 8;
    ReportOdt odt(content);
    const int odtSteps = targets.odt.isEmpty() ? 0 : odt.Steps();
    const int total = pdfSteps + odtSteps;
    const auto stop = [&result] {
        result.cancelled = true;
        return result;
    };

    document::PageSetup setup;
    setup.title = kInspectionReportTitle;
    document::PdfFile pdf(targets.pdf, setup, options);
    if (!targets.pdf.isEmpty()) {
        const bool made = pdf.Write(report, [&](int done, int pages) {
            return !progress || progress(done * pdfSteps / std::max(pages, 1), total);
        });
        result.pages = pdf.Result().pages;
        result.unreadable = pdf.Result().unreadable;
        if (pdf.Result().cancelled)
            return stop();
        if (!made) {
            result.message = Failed(pdf.Result().write, targets.pdf);
            return result;
        }
    }

    SafeFileWriter odtFile(targets.odt, options);
    if (!targets.odt.isEmpty()) {
        QString why;
        const bool built = odt.Build(
            [&](int done, int) { return !progress || progress(pdfSteps + done, total); }, &why);
        if (!built && why.isEmpty())
            return stop();
        if (!built) {
            result.message = QStringLiteral("无法创建文件: %1（%2）").arg(targets.odt, why);
            return result;
        }
        if (!odtFile.open()) {
            result.message = Failed(odtFile.result(), targets.odt);
            return result;
        }
        bool written = false;
        {
            SafeFileDevice device(odtFile);
            device.open(QIODevice::WriteOnly);
            written = odt.Write(device);
        }
        if (!odtFile.result() || !written) {
            result.message =
                Failed(odtFile.result() ? WriteResult{WriteStatus::CannotCreate,
                                                      QStringLiteral("ODT 未能生成"), 0}
                                        : odtFile.result(),
                       targets.odt);
            return result;
        }
    }
    if (progress && !progress(total, total))
        return stop();

    // Every file is complete: now they are put in place.
    if (!targets.pdf.isEmpty()) {
        if (const document::DocumentResult& committed = pdf.Commit(); !committed.written) {
            result.message = Failed(committed.write, targets.pdf);
            return result;
        }
    }
    if (!targets.odt.isEmpty()) {
        if (const WriteResult committed = odtFile.commit(); !committed) {
            result.message = Failed(committed, targets.odt);
            return result;
        }
    }
    result.written = true;
    return result;
}

} // namespace rovana::inspection
