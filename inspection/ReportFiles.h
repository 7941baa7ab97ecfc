#pragma once

#include "DocumentPdf.h"
#include "ReportContent.h"

#include <QString>

namespace rovana::inspection {

// Where the report goes: a PDF, an OpenDocument text, or both.
struct ReportTargets
{
    QString pdf;
    QString odt;
};

// How writing the report ended.
struct ReportFilesResult
{
    bool written = false;   // every file asked for is in place
    bool cancelled = false; // the progress said stop: nothing was written
    QString message; // why not, naming the file ("磁盘已满，无法创建文件: OUT.pdf")
    int pages = 0;   // the PDF's
    QStringList unreadable; // files whose sheets say they could not be read
};

// Writes the report of `content` into each target through the safe writer: every file is
// made completely in a temporary file first, and only when all are complete are they put
// in place, so that a cancel or a failure leaves every earlier report byte for byte as it
// was. `progress` sees the PDF's pages and then the ODT's sheets. Needs a QGuiApplication.
ReportFilesResult WriteReportFiles(const ReportContent& content, const ReportTargets& targets,
                                   const document::PageProgress& progress = {},
                                   const WriteOptions& options = {});

} // namespace rovana::inspection
