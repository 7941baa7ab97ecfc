// The result sheet on real paint devices: an image, a PDF and the command-line tool.
#include "ReportSheet.h"
#include "SheetBody.h"
#include "SheetDiagram.h"
#include "SheetDocument.h"
#include "SheetPainter.h"

#include "CliRunner.h"
#include "PdfText.h"
#include "PosixTestSupport.h"
#include "TestFiles.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace rovana::sheet {
namespace {

const QString kSampleWithAnalysis = QStringLiteral(ROVANA_SAMPLES_DIR "/MG0003.mg");
constexpr int kImageDpi = 150;
constexpr int kDarkLevel = 128; // grey value below which a pixel counts as ink

QImage BlankA4Image()
{
    QImage image(1240, 1754, QImage::Format_RGB32); // A4 at 150 dpi
    const int dotsPerMetre = qRound(kImageDpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    return image;
}

int InkPixels(const QImage& image, const QRect& area)
{
    int ink = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ink += qGray(image.pixel(x, y)) < kDarkLevel ? 1 : 0;
    return ink;
}

int NonWhitePixels(const QImage& image, const QRect& area)
{
    int count = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            count += image.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
    return count;
}

// One character alone on a small image.
QImage Glyph(QChar c, const QFont& font = SheetFont(24))
{
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, 64, 64), Qt::AlignCenter, QString(c));
    return image;
}

int PdfPageCount(const QByteArray& pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return static_cast<int>(QString::fromLatin1(pdf).count(page));
}

QStringList EmbeddedFontNames(const QByteArray& pdf)
{
    static const QRegularExpression name(QStringLiteral("/FontName\\s*/(\\S+)"));
    QStringList names;
    for (const auto& m : name.globalMatch(QString::fromLatin1(pdf)))
        names << m.captured(1);
    return names;
}

class SheetImageTest : public ::testing::Test
{
protected:
    SheetImageTest()
    {
        EXPECT_TRUE(current.Load(kSampleWithAnalysis));
        settings = SettingsAfterOpening(current);
    }
    QImage Render()
    {
        QImage image = BlankA4Image();
        QPainter painter(&image);
        EXPECT_TRUE(RenderReportPage(painter, kSampleWithAnalysis, printData, settings));
        return image;
    }
    // Where the title stands on the image, from the same computation the painter used.
    QRect TitleArea(const QImage& image)
    {
        TestRecord d = current;
        const SheetDrawList list = DrawSheet({DeviceOf(image), d, settings, DeviceMeasure(image)});
        for (const SheetItem& item : list)
            if (item.role == SheetRole::Title)
                return QRect(item.at, DeviceMeasure(image)(item.text, item.font.pointSize));
        ADD_FAILURE() << "no title";
        return {};
    }

    TestRecord current;
    TestRecord printData;
    SheetSettings settings;
};

TEST_F(SheetImageTest, ChineseTitleIsDrawnAsInk)
{
    const QImage image = Render();
    const QRect title = TitleArea(image);
    ASSERT_GT(title.width(), 100);
    EXPECT_GT(InkPixels(image, title), 500);
    // The body below the title is drawn too: the frame and the basic information.
    EXPECT_GT(InkPixels(image, QRect(0, title.bottom() + 1, image.width(), 400)), 2000);

    settings.options.bShowTitle = 0;
    EXPECT_EQ(InkPixels(Render(), title), 0);
}

TEST_F(SheetImageTest, TraceStaysInsideTheDiagramCell)
{
    // 2048 samples of 10 µs span twice the diagram's width: without clipping the trace
    // would run over the right margin.
    const QImage image = Render();
    const SheetRect sheet = SheetRectangle(DeviceOf(image));
    const int yD = DiagramTop(sheet);
    const int diagH = (sheet.bottom - sheet.top) / 7;
    EXPECT_GT(NonWhitePixels(image, QRect(sheet.left, yD, sheet.right - sheet.left, diagH)), 500);
    EXPECT_EQ(NonWhitePixels(image, QRect(sheet.right + 2, yD, image.width(), diagH)), 0);
}

TEST(SheetFontTest, SongFaceDrawsRealChineseGlyphs)
{
    const QString family = QFontInfo(SheetFont(20)).family();
    EXPECT_TRUE(family.contains("Serif CJK") || family.contains("宋体") ||
                family.contains("SimSun") || family.contains("Ming"))
        << family.toStdString();
    const QFontMetricsF metrics(SheetFont(20));
    EXPECT_TRUE(metrics.inFont(QChar(0x5355))); // 单
    const QImage dan = Glyph(QChar(0x5355));
    const QImage gen = Glyph(QChar(0x6839));  // 根
    const QImage none = Glyph(QChar(0xE000)); // private use: a box or nothing in any font
    EXPECT_GT(InkPixels(dan, dan.rect()), 30);
    EXPECT_GT(InkPixels(gen, gen.rect()), 30);
    EXPECT_NE(dan, gen);
    EXPECT_NE(dan, none);
    EXPECT_NE(gen, none);
}

// The check above can fail: a face without Chinese and without fallback draws the same
// box (or nothing) for every character.
TEST(SheetFontTest, AFaceWithoutChineseDrawsIdenticalBoxes)
{
    QFont latin(QStringLiteral("DejaVu Sans"), 24);
    latin.setStyleStrategy(QFont::NoFontMerging);
    if (!QFontInfo(latin).family().contains("DejaVu"))
        GTEST_SKIP() << "DejaVu Sans is not installed";
    EXPECT_EQ(Glyph(QChar(0x5355), latin), Glyph(QChar(0x6839), latin));
}

TEST(SheetPdfTest, OnePagePerFileWithAnEmbeddedCjkFont)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("sheets.pdf");
    const SheetPdfResult result = WriteSheetPdf(pdf, {kSampleWithAnalysis, kSampleWithAnalysis});
    ASSERT_TRUE(result.written);
    EXPECT_EQ(result.pages, 2);
    EXPECT_TRUE(result.unreadable.isEmpty());
    const QByteArray bytes = test::ReadBytes(pdf);
    EXPECT_EQ(PdfPageCount(bytes), 2);
    const QStringList fonts = EmbeddedFontNames(bytes);
    EXPECT_TRUE(std::any_of(fonts.begin(), fonts.end(), [](const QString& f) {
        return f.contains("CJK");
    })) << fonts.join(' ').toStdString();
}

TEST(SheetPdfTest, UnreadableFilesGetTheirPageAndAreReported)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing.mg");
    const SheetPdfResult result =
        WriteSheetPdf(dir.filePath("out.pdf"), {missing, kSampleWithAnalysis, missing});
    EXPECT_EQ(result.pages, 3);
    EXPECT_EQ(result.unreadable, QStringList({missing, missing}));
    EXPECT_EQ(result.messages, QStringList({"无法读取文件", "无法读取文件"}));
    EXPECT_FALSE(WriteSheetPdf(dir.filePath("no/such/folder/out.pdf"), {missing}).written);
}

TEST(SheetPdfTest, SettingsAfterOpeningFollowTheFile)
{
    struct Row
    {
        int reportChannel, b1, b2, b3;
    };
    for (const Row& r : {Row{0, 1, 0, 0}, Row{1, 0, 1, 0}, Row{2, 0, 0, 1}, Row{-1, 0, 0, 1}}) {
        TestRecord d;
        d.m_nReportChannel = r.reportChannel;
        d.m_nSampleInterval = 5;
        d.m_nSampleCount = 1500;
        const SheetSettings s = SettingsAfterOpening(d);
        SCOPED_TRACE(r.reportChannel);
        EXPECT_EQ(s.options.bChannel1, r.b1);
        EXPECT_EQ(s.options.bChannel2, r.b2);
        EXPECT_EQ(s.options.bChannel3, r.b3);
        EXPECT_EQ(s.options.bShowTitle, 1);
        EXPECT_EQ(s.bCompress, 1);
        for (const ChannelScale& c : s.channels)
            EXPECT_EQ(c, (ChannelScale{1700, 1, true})); // each trace fits its record
    }
}

struct CliRun
{
    int exitCode = -1;
    QString err;
};

CliRun RunCli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(ROVANA_CLI_PATH), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

TEST(CliSheetTest, TwoSamplesGiveTwoPages)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("two.pdf");
    const CliRun run = RunCli(
        {"sheet", "--pdf", pdf, ROVANA_SAMPLES_DIR "/MG0001.mg", ROVANA_SAMPLES_DIR "/MG0003.mg"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(PdfPageCount(test::ReadBytes(pdf)), 2);
}

// The trace follows the folder's processing as in the program, and the page says so;
// --raw ignores the folder, and options given replace it.
TEST(CliSheetTest, FollowsTheFolderProcessingUnlessRawOrOverridden)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("MG0003.mg");
    ASSERT_TRUE(QFile::copy(ROVANA_SAMPLES_DIR "/MG0003.mg", file));
    ASSERT_TRUE(test::WriteBytes(dir.filePath("rovana-site.json"),
                                 R"({"version": 1, "processing": {"enabled": true,
                                 "filter": "lowpass", "order": 4, "highHz": 2000}})"));
    const QString pdf = dir.filePath("out.pdf");
    const struct
    {
        QStringList options;
        const char* line; // nullptr: no processing line
    } rows[] = {
        {{}, "信号处理: 低通 2000 Hz 4阶"},
        {{"--raw"}, nullptr},
        {{"--highpass", "300", "--order", "2"}, "信号处理: 高通 300 Hz 2阶"},
        {{"--bandpass", "100-3000"}, "信号处理: 带通 100–3000 Hz 4阶"},
    };
    for (const auto& r : rows) {
        const CliRun run =
            RunCli(QStringList{"sheet"} + r.options + QStringList{"--pdf", pdf, file});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QString text = test::PdfPageText(pdf, 1).out;
        if (r.line)
            EXPECT_TRUE(text.contains(QString::fromUtf8(r.line))) << text.toStdString();
        else
            EXPECT_FALSE(text.contains(QStringLiteral("信号处理"))) << text.toStdString();
    }
    EXPECT_EQ(RunCli({"sheet", "--raw", "--lowpass", "100", "--pdf", pdf, file}).exitCode, 2);
}

// Each trace fits its own record unless the folder keeps an amplitude or --amplitude is
// given; the labels read 4/5 of the full scale.
TEST(CliSheetTest, TracesFitUnlessTheFolderOrTheOptionSetsTheAmplitude)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("MG0003.mg");
    ASSERT_TRUE(QFile::copy(ROVANA_SAMPLES_DIR "/MG0003.mg", file));
    TestRecord record;
    ASSERT_TRUE(record.Load(file));
    sheet::SheetSettings fit = sheet::SettingsAfterOpening(record);
    for (sheet::ChannelScale& c : fit.channels)
        c.bFit = true;
    const sheet::MeasureText measure = [](const QString&, double) { return QSize(10, 10); };
    const int fitted = sheet::DiagramAmplitude(
        {{4960, 7016, 600}, record, fit, measure}, record.m_nReportChannel);
    const QString pdf = dir.filePath("out.pdf");
    const auto label = [&pdf](const QStringList& options) {
        const CliRun run = RunCli(QStringList{"sheet"} + options + QStringList{"--pdf", pdf});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return test::PdfPageText(pdf, 1).out;
    };
    EXPECT_TRUE(label({file}).contains(QStringLiteral("%1 mv").arg(4 * fitted / 5)));
    EXPECT_TRUE(label({"--amplitude", "900", file}).contains(QStringLiteral("720 mv")));
    ASSERT_TRUE(test::WriteBytes(dir.filePath("rovana-site.json"),
                                 R"({"version": 1, "amplitude": [2500, 2500, 2500]})"));
    EXPECT_TRUE(label({file}).contains(QStringLiteral("2000 mv")));
}

TEST(CliSheetTest, UnreadableFileStillGetsAPageAndFailsAtTheEnd)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    const QString missing = dir.filePath("missing.mg");
    const CliRun run = RunCli({"sheet", "--pdf", pdf, missing, ROVANA_SAMPLES_DIR "/MG0003.mg"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(missing + QStringLiteral(": 无法读取文件（文件不存在）")))
        << run.err.toStdString();
    EXPECT_EQ(PdfPageCount(test::ReadBytes(pdf)), 2);
}

// A processing option a file cannot take: its page is drawn without it and does not name
// it, the file's path and the reason go to standard error, and the run ends with status 1.
TEST(CliSheetTest, AnOptionAFileRefusesIsLeftOutOfItsPageAndNamed)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    const QString twoMicro = ROVANA_SAMPLES_DIR "/MG0005.mg",
                  tenMicro = ROVANA_SAMPLES_DIR "/MG0003.mg";
    const CliRun run = RunCli({"sheet", "--highpass", "10", "--pdf", pdf, twoMicro, tenMicro});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(twoMicro + ": 高通截止频率不能低于 37 Hz\n"))
        << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(tenMicro) || run.err.contains("error")) << run.err.toStdString();
    const test::ToolOutput refused = test::PdfPageText(pdf, 1), taken = test::PdfPageText(pdf, 2);
    ASSERT_TRUE(refused.ok && taken.ok) << refused.err.toStdString();
    EXPECT_FALSE(refused.out.contains(QStringLiteral("信号处理"))) << refused.out.toStdString();
    EXPECT_TRUE(taken.out.contains(QStringLiteral("信号处理: 高通 10 Hz 4阶")))
        << taken.out.toStdString();
}

TEST(CliSheetTest, UsageErrorsWriteNothing)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    for (const QStringList& args :
         {QStringList{"sheet", "--pdf", pdf}, QStringList{"sheet", pdf},
          QStringList{"sheet", "--pdf", pdf, "--scale", "x.mg"},
          QStringList{"sheet", "--amplitude", "0", "--pdf", pdf, "x.mg"},
          QStringList{"sheet", "--amplitude", "9x", "--pdf", pdf, "x.mg"},
          QStringList{"sheet", "--amplitude", "900", "--amplitude", "900", "--pdf", pdf, "x.mg"}}) {
        EXPECT_EQ(RunCli(args).exitCode, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(pdf));
    }
}

// `sheet --pdf *.mg` with the output name forgotten, and its relatives: refused as usage
// errors before anything is written.
TEST(CliSheetTest, OutputThatWouldReplaceAnInputOrNoFileIsRefused)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.mg"), b = dir.filePath("b.mg");
    const QString data = dir.filePath("data.bin"); // a test file without the extension
    const QByteArray bytes = test::ReadBytes(kSampleWithAnalysis);
    for (const QString& f : {a, b, data})
        ASSERT_TRUE(test::WriteBytes(f, bytes));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.pdf"));
    ASSERT_TRUE(QFile::link(data, dir.filePath("link.pdf")));
    // Chains of two links: to a test file that is no input, to nothing, in a loop.
    const QString c = dir.filePath("c.mg");
    ASSERT_TRUE(test::WriteBytes(c, bytes));
    const auto chain = [&dir](const char* name, const char* via, const QString& to) {
        EXPECT_TRUE(QFile::link(to, dir.filePath(via)));
        EXPECT_TRUE(QFile::link(dir.filePath(via), dir.filePath(name)));
        return dir.filePath(name);
    };
    const QString toMg = chain("tomg.pdf", "l2.pdf", c);
    const QString toNothing = chain("dangling.pdf", "d2.pdf", dir.filePath("gone.pdf"));
    const QString loop = chain("loop.pdf", "loop2.pdf", dir.filePath("loop.pdf"));
    const QStringList before = test::FolderEntries(dir.path());
    struct Row
    {
        QStringList args;
        const char* why;
    };
    const Row rows[] = {
        {{"--pdf", a, b}, ".mg"},                                     // sheet --pdf *.mg
        {{"--pdf", dir.filePath("new.MG"), a}, ".mg"},                // any case
        {{"--pdf", data, data}, "输入文件"},                          // an input by name
        {{"--pdf", dir.filePath("x/../data.bin"), data}, "输入文件"}, // spelled otherwise
        {{"--pdf", dir.filePath("link.pdf"), data}, "输入文件"},      // a link to an input
        {{"--pdf", "/dev/full", a}, "不是普通文件"},
        {{"--pdf", dir.filePath("folder.pdf"), a}, "不是普通文件"},
        {{"--pdf", dir.filePath("o.pdf"), "--pdf", dir.filePath("p.pdf"), a}, "--pdf"},
        {{"--pdf", toMg, a}, ".mg"},
        {{"--pdf", toNothing, a}, "不存在"},
        {{"--pdf", loop, a}, "循环"},
    };
    for (const Row& row : rows) {
        const CliRun run = RunCli(QStringList{"sheet"} + row.args);
        SCOPED_TRACE(row.args.join(' ').toStdString() + ": " + run.err.toStdString());
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(row.why)));
        EXPECT_TRUE(run.err.contains(QStringLiteral("用法")));
        for (const QString& f : {a, b, c, data})
            EXPECT_EQ(test::ReadBytes(f), bytes);
        EXPECT_EQ(test::FolderEntries(dir.path()), before);
    }
}

TEST(CliSheetTest, FullDiskLeavesTheEarlierReportAndFails)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("site.pdf");
    ASSERT_EQ(RunCli({"sheet", "--pdf", pdf, kSampleWithAnalysis}).exitCode, 0);
    const QByteArray earlier = test::ReadBytes(pdf);
    ASSERT_GT(earlier.size(), 8192);
    const QStringList before = test::FolderEntries(dir.path());

    // Room for 8 KiB per file: the new two-page PDF cannot be written.
    const rovana::test::CliRun run = rovana::test::RunCliRaw(
        {"sheet", "--pdf", pdf.toUtf8(), QByteArray(ROVANA_SAMPLES_DIR "/MG0001.mg"),
         kSampleWithAnalysis.toUtf8()},
        QDir::tempPath().toUtf8() + "/rovana-sheet-" + QByteArray::number(::getpid()), 8192);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("磁盘已满，无法创建文件: ") + pdf))
        << run.err.toStdString();
    EXPECT_EQ(test::ReadBytes(pdf), earlier);
    EXPECT_EQ(test::FolderEntries(dir.path()), before);

    // Without the limit the same run replaces the report.
    const CliRun again =
        RunCli({"sheet", "--pdf", pdf, ROVANA_SAMPLES_DIR "/MG0001.mg", kSampleWithAnalysis});
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(PdfPageCount(test::ReadBytes(pdf)), 2);
    EXPECT_EQ(test::FolderEntries(dir.path()), before);
}

TEST(SheetPdfTest, FailedSyncLeavesTheEarlierReport)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("site.pdf");
    ASSERT_TRUE(test::WriteBytes(pdf, "%PDF- an earlier report"));
    for (const bool unnamed : {true, false}) {
        WriteOptions options;
        options.unnamedTemporary = unnamed;
        options.syncFile = test::FailingSync;
        const SheetPdfResult result = WriteSheetPdf(pdf, {kSampleWithAnalysis}, options);
        EXPECT_FALSE(result.written);
        EXPECT_EQ(result.write.error, EIO);
        EXPECT_EQ(result.write.message(), QStringLiteral("无法创建文件"));
        EXPECT_EQ(test::ReadBytes(pdf), "%PDF- an earlier report");
        EXPECT_EQ(test::FolderEntries(dir.path()), QStringList{"site.pdf"});
    }
}

} // namespace
} // namespace rovana::sheet
