#pragma once

#include "DrawList.h"

#include <QFont>

class QPainter;

namespace rovana::wave {

// The "宋体" face: the families tried in order are 宋体, SimSun, then the Song-style
// (serif) and the sans CJK faces of fonts-noto-cjk, so that Chinese renders on Linux.
QFont SongFont(double pointSize);
// The plain axis font: a bold sans face with a 16-pixel character cell.
QFont DcDefaultFont();
QFont FontFor(const FontSpec& spec);

// Paints a draw list on a painter without transformation: lines and polylines leave out
// their last point, rectangles and ellipses cover left..right-1 x top..bottom-1, text is
// placed by its top-left cell corner, no antialiasing. The not-xor pen
// (pixel = NOT (pen XOR screen)) is
// QPainter::RasterOp_NotSourceXorDestination, which computes (NOT src) XOR dst, the same
// bits; it needs the raster paint engine, which every widget, QImage and QPixmap uses here.
void PaintDrawList(QPainter& painter, const DrawList& list);

} // namespace rovana::wave
