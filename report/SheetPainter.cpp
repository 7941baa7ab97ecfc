#include "SheetPainter.h"

#include "PicturePainter.h"
#include "ReportSheet.h"
#include "SheetFace.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <map>
#include <memory>

namespace rovana::sheet {

QFont PageFont(const picture::Font& font)
{
    QFont qfont = SheetFont(font.pointSize);
    if (font.face == picture::Face::SheetUnshaped)
        qfont.setStyleStrategy(QFont::PreferNoShaping);
    return qfont;
}

QFont SheetFont(double pointSize)
{
    QFont font;
    font.setFamilies(SheetFamilies());
    font.setPointSizeF(pointSize);
    return font;
}

SheetDevice DeviceOf(const QPaintDevice& device)
{
    return {device.width(), device.height(), device.logicalDpiY()};
}

MeasureText DeviceMeasure(const QPaintDevice& device, picture::Face face)
{
    // Metrics per point size, kept as long as the function.
    auto cache = std::make_shared<std::map<double, QFontMetricsF>>();
    const QPaintDevice* target = &device;
    return [cache, target, face](const QString& text, double pointSize) {
        auto it = cache->find(pointSize);
        if (it == cache->end())
            it =
                cache->emplace(pointSize, QFontMetricsF(PageFont({face, pointSize}), target)).first;
        const QFontMetricsF& metrics = it->second;
        return QSize(qRound(metrics.horizontalAdvance(text)), qRound(metrics.height()));
    };
}

void PaintSheet(QPainter& painter, const SheetDrawList& list)
{
    picture::Paint(painter, list, PageFont);
}

LoadResult RenderReportPage(QPainter& painter, const QString& path, TestRecord& printData,
                            const SheetSettings& settings)
{
    const QPaintDevice& device = *painter.device();
    LoadResult loaded;
    PaintSheet(painter, DrawReportPage(DeviceOf(device), path, printData, settings,
                                       DeviceMeasure(device), &loaded));
    return loaded;
}

} // namespace rovana::sheet
