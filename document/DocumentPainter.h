#pragma once

#include "Document.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QStringList>

#include <functional>

class QPainter;

namespace rovana::document {

// How far a document has come: pages done of all; returning false cancels.
using PageProgress = std::function<bool(int done, int total)>;

// What painting a document did.
struct PaintResult
{
    int pages = 0;          // pages painted
    bool cancelled = false; // the progress said stop
    QString failure;        // the document's Failure(), or why painting could not start
    QStringList unreadable; // the files whose pages say they could not be read, in order
    QStringList messages;   // for each of them, why
};

// Pages [first, first + count) of `document` (count < 0: to the end) on `device`, which
// `painter` is active on, a new page between them, laid out for that device. Stops at the
// first page after the document failed or the progress said stop.
PaintResult PaintPages(QPainter& painter, QPagedPaintDevice& device, Document& document,
                       int first = 0, int count = -1, const PageProgress& progress = {});

// The same on a device of its own (a printer, the preview's): begins and ends the painter.
// `failure` is "无法开始绘制" when the device cannot be painted on.
PaintResult PaintDocument(QPagedPaintDevice& device, Document& document, int first = 0,
                          int count = -1, const PageProgress& progress = {});

// A PDF's page, resolution and names: A4 portrait without margins at 600 dpi unless set.
struct PageSetup
{
    int resolution = 600;
    QPageLayout layout{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter};
    QPagedPaintDevice::PdfVersion version = QPagedPaintDevice::PdfVersion_1_4;
    QString title;
    QString creator = QStringLiteral("Rovana");
};

} // namespace rovana::document
