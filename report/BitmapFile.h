#pragma once

#include "SafeFileWriter.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace rovana {

// The layout of an uncompressed ".bmp" of a picture: bits per pixel from the display
// depth (<= 1: 1 bit, <= 4: 4 bits, <= 8: 8 bits, each with a colour table of 2, 16,
// 256 four-byte entries; below 25: 24 bits; else 32 bits; no table above 8 bits).
struct BitmapLayout
{
    int bitsPerPixel = 24;
    int tableEntries = 0;
    int stride = 0;    // bytes per row, a multiple of 4
    int imageSize = 0; // stride x height
    int fileSize = 0;  // image + table + 54

    static BitmapLayout For(int width, int height, int displayDepth);
};

// The complete file: the 14-byte file header ("BM", size, offset of the pixels), the
// 40-byte info header (height positive: rows bottom-up; image size field 0), the colour
// table, then the rows.
QByteArray EncodeBitmap(const QImage& image, int displayDepth);

// Writes the picture to `path` through the safe writer: the old file or the complete new
// one, synced. False when the file cannot be written completely; an existing file then
// stays as it was and `result`, when given, says why (WriteResult::message()).
bool WriteBitmapFile(const QImage& image, int displayDepth, const QString& path,
                     WriteResult* result = nullptr, const WriteOptions& options = {});

// Where the picture of a test goes: the test path with its ".mg" replaced by ".bmp";
// a name that does not end in ".mg" (in any case) gets ".bmp" appended, so the picture
// never replaces the test file.
QString PicturePathFor(const QString& testPath);

} // namespace rovana
