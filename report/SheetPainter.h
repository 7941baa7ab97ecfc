#pragma once

#include "SheetDrawList.h"
#include "SheetInput.h"

#include <QFont>

class QPainter;
class QPaintDevice;

namespace rovana::sheet {

// The Song-style face that stands in for "宋体" at `pointSize`: 宋体 or SimSun where
// installed, else the face derived from Noto Serif CJK SC whose text a PDF gives back
// (see SheetFace.h), else the first installed of the Song-style CJK faces.
QFont SheetFont(double pointSize);
// The fonts of the printed pages: the sheet's face, and the same drawn without shaping for
// the summary pages.
QFont PageFont(const picture::Font& font);

// Size and vertical resolution of a page.
SheetDevice DeviceOf(const QPaintDevice& device);

// Measures texts in the page face `face` as they are drawn on `device`: the advance rounded to
// whole pixels, and the font's line height. `device` must outlive the returned function.
MeasureText DeviceMeasure(const QPaintDevice& device, picture::Face face = picture::Face::Sheet);

// Paints the items in order with `painter`, which is active on the page's device.
void PaintSheet(QPainter& painter, const SheetDrawList& list);

// One page on the painter's device (printer, preview, PDF or image): loads `path` into
// `printData`, computes the sheet and paints it. Returns how the load ended: a file that
// cannot be read gets a page saying so.
LoadResult RenderReportPage(QPainter& painter, const QString& path, TestRecord& printData,
                            const SheetSettings& settings);

} // namespace rovana::sheet
