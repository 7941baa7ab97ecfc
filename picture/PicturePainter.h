#pragma once

#include "Picture.h"

#include <QFont>

#include <functional>

class QPainter;

namespace rovana::picture {

// The QFont of a picture's font: each picture names its faces' families.
using FontOf = std::function<QFont(const Font&)>;

// Paints a picture on a painter, in list order: lines and polylines leave out their last
// point, rectangles and ellipses cover left..right-1 x top..bottom-1, text is placed by the
// top-left corner of its line, no antialiasing. Screen faces are placed with the screen's
// integer metrics, sheet faces with the device's. The not-xor pen (pixel = NOT (pen XOR
// screen)) is QPainter::RasterOp_NotSourceXorDestination, which computes (NOT src) XOR
// dst, the same bits; it needs the raster paint engine (widgets, QImage, QPixmap).
void Paint(QPainter& painter, const Picture& picture, const FontOf& fontOf);

} // namespace rovana::picture
