#include "DocumentPainter.h"

#include "PicturePainter.h"

#include <QPainter>

namespace rovana::document {

PaintResult PaintPages(QPainter& painter, QPagedPaintDevice& device, Document& document, int first,
                       int count, const PageProgress& progress)
{
    PaintResult result;
    const int pages = document.Layout(device);
    first = std::max(first, 0);
    const int last = count < 0 ? pages : std::min(pages, first + count);
    const picture::FontOf fontOf = [&document](const picture::Font& font) {
        return document.FontOf(font);
    };
    for (int p = first; p < last; ++p) {
        if (progress && !progress(p - first, last - first)) {
            result.cancelled = true;
            return result;
        }
        if (const QString failure = document.Failure(); !failure.isEmpty()) {
            result.failure = failure;
            return result;
        }
        const Page page = document.PageAt(p);
        if (p > first && !device.newPage()) {
            result.failure = QStringLiteral("无法开始新的一页");
            return result;
        }
        picture::Paint(painter, page.picture, fontOf);
        if (!page.problem.isEmpty()) {
            result.unreadable.append(page.problemPath);
            result.messages.append(page.problem);
        }
        ++result.pages;
    }
    result.failure = document.Failure();
    if (result.failure.isEmpty() && progress && !progress(last - first, last - first))
        result.cancelled = true;
    return result;
}

PaintResult PaintDocument(QPagedPaintDevice& device, Document& document, int first, int count,
                          const PageProgress& progress)
{
    QPainter painter;
    if (!painter.begin(&device)) {
        PaintResult result;
        result.failure = QStringLiteral("无法开始绘制");
        return result;
    }
    PaintResult result = PaintPages(painter, device, document, first, count, progress);
    if (!painter.end() && result.failure.isEmpty())
        result.failure = QStringLiteral("无法完成绘制");
    return result;
}

} // namespace rovana::document
