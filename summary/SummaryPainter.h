#pragma once

#include "SummaryLayout.h"

#include <QByteArray>
#include <QFont>

#include <optional>

class QIODevice;
class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

namespace rovana::summary {

// The result sheet's Song face at `pointSize`, its glyphs taken from the font's character
// map without shaping: text extracted from the PDF (pdftotext, copy and paste) then keeps
// its digits and Latin letters, which the shaped glyph variants of the CJK face lose.
QFont SummaryFont(double pointSize);

// Measures texts in SummaryFont as they are drawn on `device` (advance rounded to whole
// pixels, line height). `device` must outlive the returned function.
sheet::MeasureText SummaryMeasure(const QPaintDevice& device);

// Paints one laid-out page with `painter`, which is active on the page's device.
void PaintSummaryPage(QPainter& painter, const SummaryPage& page);

// Lays the summary out for `device` (a printer, the print preview or a PDF writer) and
// paints every page, starting a new page between them. Returns the number of pages, 0
// when painting could not start. Needs a QGuiApplication (fonts).
int PaintSummary(QPagedPaintDevice& device, const SiteSummary& summary);
int PaintSummary(QPagedPaintDevice& device, const SummaryContent& summary);

// The summary as a PDF, A4 portrait at 600 dpi, in memory. Nothing when it cannot be
// made; `why` then says why.
std::optional<QByteArray> SummaryPdf(const SiteSummary& summary, QString* why = nullptr);

// The same PDF onto `out` as its pages are painted: a site of any size in the memory of
// one page. False when it could not be made; `why` then says why. A failed write shows
// in `out` (the caller's writer reports it).
bool WriteSummaryPdf(const SummaryContent& summary, QIODevice& out, QString* why = nullptr);

} // namespace rovana::summary
