#include "BitmapFile.h"
#include "PosixTestSupport.h"
#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>

namespace rovana {
namespace {

std::uint32_t U32(const QByteArray& b, int pos)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(b[pos + i]);
    return v;
}

std::uint16_t U16(const QByteArray& b, int pos)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[pos]) |
                                      (static_cast<std::uint8_t>(b[pos + 1]) << 8));
}

struct DepthRow
{
    int displayDepth;
    int bits;
    int tableEntries;
};

class BitmapDepthTest : public ::testing::TestWithParam<DepthRow>
{};

TEST_P(BitmapDepthTest, BitDepthAndColourTableFollowTheDisplay)
{
    const BitmapLayout l = BitmapLayout::For(10, 3, GetParam().displayDepth);
    EXPECT_EQ(l.bitsPerPixel, GetParam().bits);
    EXPECT_EQ(l.tableEntries, GetParam().tableEntries);
    EXPECT_EQ(l.stride % 4, 0);
    QImage image(10, 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QByteArray file = EncodeBitmap(image, GetParam().displayDepth);
    EXPECT_EQ(file.size(), l.fileSize);
    EXPECT_EQ(U16(file, 28), GetParam().bits);
    EXPECT_EQ(U32(file, 10), std::uint32_t(54 + 4 * GetParam().tableEntries));
}

INSTANTIATE_TEST_SUITE_P(Displays, BitmapDepthTest,
                         ::testing::Values(DepthRow{1, 1, 2}, DepthRow{4, 4, 16},
                                           DepthRow{8, 8, 256}, DepthRow{16, 24, 0},
                                           DepthRow{24, 24, 0}, DepthRow{32, 32, 0}));

TEST(BitmapFileTest, Window801x600At24BitsHasStride2404)
{
    const BitmapLayout l = BitmapLayout::For(801, 600, 24);
    EXPECT_EQ(l.stride, 2404);
    EXPECT_EQ(l.fileSize, 2404 * 600 + 54);
}

TEST(BitmapFileTest, HeadersAndBottomUpRowsAreWritten)
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::black);
    image.setPixel(0, 0, qRgb(10, 20, 30));   // top left
    image.setPixel(2, 1, qRgb(200, 100, 50)); // bottom right
    const QByteArray f = EncodeBitmap(image, 24);
    EXPECT_EQ(f.left(2), "BM");
    EXPECT_EQ(U32(f, 2), std::uint32_t(f.size()));
    EXPECT_EQ(U32(f, 6), 0u);
    EXPECT_EQ(U32(f, 14), 40u);
    EXPECT_EQ(U32(f, 18), 3u);
    EXPECT_EQ(U32(f, 22), 2u);
    EXPECT_EQ(U16(f, 26), 1);
    EXPECT_EQ(U32(f, 30), 0u); // uncompressed
    EXPECT_EQ(U32(f, 34), 0u); // image size left 0
    const int stride = 12;     // 9 bytes rounded up to 4
    // The bottom row comes first, pixels in blue, green, red order.
    EXPECT_EQ(static_cast<std::uint8_t>(f[54 + 6]), 50);
    EXPECT_EQ(static_cast<std::uint8_t>(f[54 + 8]), 200);
    EXPECT_EQ(static_cast<std::uint8_t>(f[54 + stride]), 30);
    EXPECT_EQ(static_cast<std::uint8_t>(f[54 + stride + 2]), 10);
}

TEST(BitmapFileTest, ThirtyTwoBitsHaveNoColourTable)
{
    QImage image(5, 5, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    const QByteArray f = EncodeBitmap(image, 32);
    EXPECT_EQ(U32(f, 10), 54u);
    EXPECT_EQ(f.size(), 5 * 20 + 54);
    EXPECT_EQ(static_cast<std::uint8_t>(f[54]), 3);
    EXPECT_EQ(static_cast<std::uint8_t>(f[57]), 0);
}

TEST(BitmapFileTest, PictureNeverReplacesTheTestFile)
{
    EXPECT_EQ(PicturePathFor("/d/site1/MG0001.mg"), "/d/site1/MG0001.bmp");
    EXPECT_EQ(PicturePathFor("/d/site1/MG0001.MG"), "/d/site1/MG0001.bmp");
    EXPECT_EQ(PicturePathFor("/d/site1/test"), "/d/site1/test.bmp");
    EXPECT_EQ(PicturePathFor("/d/a.mgx"), "/d/a.mgx.bmp");
}

TEST(BitmapFileTest, UnwritablePathWritesNothing)
{
    QTemporaryDir dir;
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    EXPECT_FALSE(WriteBitmapFile(image, 24, dir.filePath("no/such/dir/x.bmp")));
    EXPECT_TRUE(WriteBitmapFile(image, 24, dir.filePath("x.bmp")));
    EXPECT_EQ(QFileInfo(dir.filePath("x.bmp")).size(), BitmapLayout::For(4, 4, 24).fileSize);
}

TEST(BitmapFileTest, FailedWriteKeepsTheEarlierPictureAndSaysWhy)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("MG0001.bmp");
    ASSERT_TRUE(test::WriteBytes(path, "an earlier picture"));
    QImage image(300, 200, QImage::Format_RGB32); // 180054 bytes at 24 bits
    image.fill(Qt::blue);

    WriteOptions failingSync;
    failingSync.syncFile = test::FailingSync;
    WriteResult why;
    EXPECT_FALSE(WriteBitmapFile(image, 24, path, &why, failingSync));
    EXPECT_EQ(why.message(), QStringLiteral("无法创建文件"));
    EXPECT_EQ(test::ReadBytes(path), "an earlier picture");

    const test::ChildRun full = test::RunWithFileSizeLimit(65536, [&] {
        WriteResult r;
        const bool written = WriteBitmapFile(image, 24, path, &r);
        return QByteArray(written ? "written" : "refused") + ' ' + r.message().toUtf8();
    });
    EXPECT_EQ(full.report,
              QByteArray("refused ") + QStringLiteral("磁盘已满，无法创建文件").toUtf8());
    EXPECT_EQ(test::ReadBytes(path), "an earlier picture");
    EXPECT_EQ(test::FolderEntries(dir.path()), QStringList{"MG0001.bmp"});
}

} // namespace
} // namespace rovana
