#include "BitmapFile.h"

#include "MgFileIo.h"

#include <cstdint>

namespace rovana {
namespace {

void Put16(QByteArray& b, int pos, int v)
{
    b[pos] = char(v & 0xFF);
    b[pos + 1] = char((v >> 8) & 0xFF);
}

void Put32(QByteArray& b, int pos, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[pos + i] = char((v >> (8 * i)) & 0xFF);
}

// The colour table of an indexed depth: black and white, the sixteen VGA colours, or a
// 6 x 6 x 6 colour cube followed by greys.
QList<QRgb> ColourTable(int entries)
{
    if (entries == 2)
        return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    if (entries == 16) {
        return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
                qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
                qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
                qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    }
    QList<QRgb> table;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                table.append(qRgb(r * 51, g * 51, b * 51));
    while (table.size() < 256) {
        const int grey = (table.size() - 216) * 255 / 39;
        table.append(qRgb(grey, grey, grey));
    }
    return table;
}

void WriteIndexedRow(QByteArray& b, int pos, const QImage& indexed, int y, int bits)
{
    const int perByte = 8 / bits;
    for (int x = 0; x < indexed.width(); ++x) {
        const int index = indexed.pixelIndex(x, y);
        const int shift = 8 - bits * (x % perByte + 1);
        b[pos + x / perByte] =
            char(static_cast<unsigned char>(b[pos + x / perByte]) | (index << shift));
    }
}

void WriteColourRow(QByteArray& b, int pos, const QImage& rgb, int y, int bytesPerPixel)
{
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
        const int p = pos + x * bytesPerPixel;
        b[p] = char(qBlue(line[x]));
        b[p + 1] = char(qGreen(line[x]));
        b[p + 2] = char(qRed(line[x]));
    }
}

} // namespace

BitmapLayout BitmapLayout::For(int width, int height, int displayDepth)
{
    BitmapLayout l;
    if (displayDepth <= 1) {
        l.bitsPerPixel = 1;
        l.tableEntries = 2;
    } else if (displayDepth <= 4) {
        l.bitsPerPixel = 4;
        l.tableEntries = 16;
    } else if (displayDepth <= 8) {
        l.bitsPerPixel = 8;
        l.tableEntries = 256;
    } else {
        l.bitsPerPixel = displayDepth < 25 ? 24 : 32;
    }
    l.stride = ((l.bitsPerPixel * width + 31) / 32) * 4;
    l.imageSize = height * l.stride;
    l.fileSize = l.imageSize + 4 * l.tableEntries + 54;
    return l;
}

QByteArray EncodeBitmap(const QImage& image, int displayDepth)
{
    const int w = image.width(), h = image.height();
    const BitmapLayout l = BitmapLayout::For(w, h, displayDepth);
    const int table = 4 * l.tableEntries;
    QByteArray b(l.fileSize, '\0');
    Put16(b, 0, 0x4D42);
    Put32(b, 2, std::uint32_t(l.fileSize));
    Put32(b, 10, std::uint32_t(table + 54));
    Put32(b, 14, 40);
    Put32(b, 18, std::uint32_t(w));
    Put32(b, 22, std::uint32_t(h));
    Put16(b, 26, 1);
    Put16(b, 28, l.bitsPerPixel);

    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (l.tableEntries > 0) {
        const QList<QRgb> colours = ColourTable(l.tableEntries);
        for (int i = 0; i < l.tableEntries; ++i) {
            b[54 + 4 * i] = char(qBlue(colours[i]));
            b[55 + 4 * i] = char(qGreen(colours[i]));
            b[56 + 4 * i] = char(qRed(colours[i]));
        }
        const QImage indexed =
            rgb.convertToFormat(QImage::Format_Indexed8, colours, Qt::ThresholdDither);
        for (int y = 0; y < h; ++y)
            WriteIndexedRow(b, 54 + table + (h - 1 - y) * l.stride, indexed, y, l.bitsPerPixel);
    } else {
        for (int y = 0; y < h; ++y)
            WriteColourRow(b, 54 + (h - 1 - y) * l.stride, rgb, y, l.bitsPerPixel / 8);
    }
    return b;
}

bool WriteBitmapFile(const QImage& image, int displayDepth, const QString& path,
                     WriteResult* result, const WriteOptions& options)
{
    const WriteResult written =
        WriteWholeFileSafely(path, EncodeBitmap(image, displayDepth), options);
    if (result)
        *result = written;
    return static_cast<bool>(written);
}

QString PicturePathFor(const QString& testPath)
{
    if (testPath.endsWith(QLatin1String(".mg"), Qt::CaseInsensitive))
        return testPath.left(testPath.size() - 3) + QLatin1String(".bmp");
    return testPath + QLatin1String(".bmp");
}

} // namespace rovana
