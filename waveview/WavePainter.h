#pragma once

#include "DrawList.h"

#include <QFont>

class QPainter;

namespace rovana::wave {

// "宋体" of the original: the families tried in order are 宋体, SimSun, then the Song-style
// (serif) and the sans CJK faces of fonts-noto-cjk, so that Chinese renders on Linux.
QFont SongFont(double pointSize);
// Stands in for the device context's default font (the Windows system font): a bold sans
// face with a 16-pixel character cell.
QFont DcDefaultFont();
QFont FontFor(const FontSpec& spec);

// Paints a draw list with GDI semantics on a painter without transformation: lines and
// polylines leave out their last point (LineTo), rectangles and ellipses cover
// left..right-1 x top..bottom-1, text is placed by its top-left cell corner, no
// antialiasing. R2_NOTXORPEN (pixel = NOT (pen XOR screen)) is emulated with
// QPainter::RasterOp_NotSourceXorDestination, which computes (NOT src) XOR dst, the same
// bits; it needs the raster paint engine, which every widget, QImage and QPixmap uses here.
void PaintDrawList(QPainter& painter, const DrawList& list);

} // namespace rovana::wave
