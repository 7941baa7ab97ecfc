// A sheet PDF gives its text back: what pdftotext extracts holds every text the sheet
// prints, character for character, and the Song-style face stays embedded.
#include "AnalysisSave.h"
#include "InstrumentFile.h"
#include "ProjectInfoSave.h"
#include "ReportSheet.h"
#include "SheetDocument.h"
#include "SheetFace.h"
#include "SheetPainter.h"

#include "CliRunner.h"
#include "PdfText.h"
#include "TestFiles.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRawFont>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace rovana::sheet {
namespace {

QSize FixedMeasure(const QString& text, double pointSize)
{
    return {static_cast<int>(text.size() * pointSize * 8), static_cast<int>(pointSize * 10)};
}

struct SheetFile
{
    const char* name;
    ProjectInfoValues info;
    int boltMarkers; // 1: all five markers on the report channel (the defect range prints)
};

// Distinct texts in every field: ideographs whose glyphs radicals share (工 自 长 支 示 目
// 日), digits in Latin runs, spaces, and the standard's and the grades' own texts.
std::vector<SheetFile> Files()
{
    ProjectInfoValues a;
    a.reportChannel = 1;
    a.exposedLength = "0.35";
    a.anchorLength = "4.65";
    a.waveSpeed = "3600";
    a.boltType = 3; // 自钻式锚杆
    a.designGrade = 0;
    a.title = "单根锚杆检测结果表";
    a.itemName = "自钻锚杆示范段目标";
    a.boltNo = "MG0003";
    a.testDate = "2026年06月03日";
    a.testUnit = "长沙工程检测中心";
    a.tester = "张工";
    a.gradeText = "A >=90%";
    a.qualityClass = "II";
    a.testBasis = "JCJ/T 182-2009";
    a.instrument = "RSM-24FD";
    a.installDate = "2026-05-20";
    a.projectName = "长江大桥支护工程";
    a.designDiameter = "25.00";
    a.testDiameter = "32.5";

    ProjectInfoValues b;
    b.reportChannel = 0;
    b.exposedLength = "1.2";
    b.anchorLength = "7.05";
    b.waveSpeed = "4100";
    b.boltType = 1; // 预应力锚杆
    b.designGrade = 2;
    b.title = "锚杆无损检测报告";
    b.itemName = "示范工程二标段";
    b.boltNo = "K12+305-7";
    b.testDate = "2026-07-14";
    b.testUnit = "日照港工程质量检测站";
    b.tester = "李四";
    b.gradeText = "D <75%";
    b.qualityClass = "IV";
    b.testBasis = "GB 50086-2015";
    b.instrument = "TQ-RX 8";
    b.installDate = "2026年7月1日";
    b.projectName = "日照港目录支线自流排水";
    b.designDiameter = "18.25";
    b.testDiameter = "19";
    return {{"a.mg", a, 1}, {"b.mg", b, 0}};
}

QByteArray ComposeFile(const SheetFile& f)
{
    InstrumentRecord record = test::SampleRecord();
    record.project = QStringLiteral("目日工程");
    QByteArray bytes = ComposeInstrumentFile(record);
    AnalysisValues analysis;
    analysis.activeChannel = f.info.reportChannel;
    analysis.waveSpeed = 3600;
    if (f.boltMarkers) {
        ChannelAnalysis& c = analysis.channels[static_cast<std::size_t>(f.info.reportChannel)];
        c.markerSet.fill(true);
        c.markerPos = {20, 120, 400, 200, 260}; // end, free end, bottom, defect start, end
        c.measuredL0 = 1.8f;
        c.measuredLr = 5.04f;
        c.grade = 1;
        c.qualityClass = 2;
    }
    PatchAnalysis(bytes, analysis);
    QString why;
    EXPECT_TRUE(PatchProjectInfo(bytes, f.info, &why)) << why.toStdString();
    return bytes;
}

std::string CodePoints(const QString& text)
{
    std::string out;
    for (const QChar c : text)
        out += QString::asprintf("U+%04X ", c.unicode()).toStdString();
    return out;
}

class SheetTextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const SheetFile& f : Files()) {
            const QString path = m_dir.filePath(f.name);
            ASSERT_TRUE(test::WriteBytes(path, ComposeFile(f)));
            m_files << path;
        }
        m_files << QStringLiteral(ROVANA_SAMPLES_DIR "/MG0003.mg");
    }

    // What the sheet of `path` prints on a page of the PDF writer (A4 at 600 dpi, no
    // margins: the time labels depend on the page's width).
    QStringList SheetTexts(const QString& path)
    {
        QPdfWriter page(m_dir.filePath("page.pdf"));
        page.setResolution(600);
        page.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        TestRecord current;
        current.Load(path);
        TestRecord print;
        return test::PrintedTexts(DrawReportPage(DeviceOf(page), path, print,
                                                 SettingsAfterOpening(current), FixedMeasure));
    }

    QTemporaryDir m_dir;
    QStringList m_files;
};

TEST_F(SheetTextTest, CliPdfGivesBackEveryPrintedText)
{
    const QString pdf = m_dir.filePath("sheets.pdf");
    const test::CliRun run = test::RunCli(QStringList{"sheet", "--pdf", pdf} + m_files);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    for (int page = 1; page <= m_files.size(); ++page) {
        const QString& file = m_files[page - 1];
        SCOPED_TRACE(file.toStdString());
        const test::ToolOutput text = test::PdfPageText(pdf, page);
        ASSERT_TRUE(text.ok) << "pdftotext (poppler-utils): " << text.err.toStdString();
        const QStringList printed = SheetTexts(file);
        ASSERT_GT(printed.size(), 50);
        const QStringList missing = test::MissingTexts(text.out, printed);
        EXPECT_TRUE(missing.isEmpty())
            << "missing: " << missing.join(" | ").toStdString() << "\nextracted:\n"
            << text.out.toStdString();
        const QString lookAlikes = test::LookAlikes(text.out);
        EXPECT_TRUE(lookAlikes.isEmpty()) << CodePoints(lookAlikes);
    }
    // The composed files' own texts, so that a draw list that lost them cannot pass.
    const QString first = test::PdfPageText(pdf, 1).out;
    for (const char* text : {"工程名称", "长江大桥支护工程", "自钻锚杆示范段目标", "自钻式锚杆",
                             "检测日期", "2026年06月03日", "MG0003", "JCJ/T 182-2009", "A >=90%",
                             "25.00 mm", "32.50 mm", "长沙工程检测中心", "缺陷范围"})
        EXPECT_TRUE(first.contains(QString::fromUtf8(text))) << text;

    const QStringList fonts = test::EmbeddedFonts(pdf);
    EXPECT_TRUE(
        std::any_of(fonts.begin(), fonts.end(), [](const QString& f) { return f.contains("CJK"); }))
        << "embedded: " << fonts.join(' ').toStdString();
}

// The characters of `text` that a PDF of `face` does not give back. Qt maps each glyph of an
// embedded font back to the lowest code point (up to U+FFFF) that the cmap gives it, tabs
// and no-break spaces taking the space glyph where the cmap has none of their own.
QString CharactersNotComingBack(const QRawFont& face, const QString& text)
{
    QString bmp;
    for (char32_t u = 1; u <= 0xFFFF; ++u)
        if (u < 0xD800 || u > 0xDFFF)
            bmp += QChar(static_cast<char16_t>(u));
    const QList<quint32> glyphs = face.glyphIndexesForString(bmp);
    EXPECT_EQ(glyphs.size(), bmp.size());
    std::map<quint32, QChar> first;
    for (qsizetype i = 0; i < std::min(bmp.size(), glyphs.size()); ++i)
        first.emplace(glyphs[i], bmp[i]);

    QString lost;
    for (const QChar c : text) {
        const quint32 glyph = face.glyphIndexesForString(QString(c)).value(0);
        if (glyph == 0 || first.at(glyph) != c)
            lost += c;
    }
    return lost;
}

TEST_F(SheetTextTest, EveryPrintedCharacterComesBackFromTheSheetFace)
{
    QString characters;
    for (const QString& file : m_files)
        characters += SheetTexts(file).join(QString());
    const QString shared = QStringLiteral("工自长支示目日 "); // glyphs that other code points share
    for (const QChar c : shared)
        ASSERT_TRUE(characters.contains(c)) << QString(c).toStdString();

    const QRawFont face = QRawFont::fromFont(SheetFont(11));
    ASSERT_EQ(face.familyName(), QString::fromLatin1(kSheetFaceFamily))
        << "the derived face was not found in " << SheetFaceFolders().join(", ").toStdString();
    const QString lost = CharactersNotComingBack(face, characters);
    EXPECT_TRUE(lost.isEmpty()) << lost.toStdString() << " " << CodePoints(lost);

    // The stock face it comes from loses ideographs to radicals and spaces to tabs.
    QFont stock(QStringLiteral("Noto Serif CJK SC"), 11);
    stock.setStyleStrategy(QFont::NoFontMerging);
    const QRawFont stockFace = QRawFont::fromFont(stock);
    if (stockFace.familyName() != QLatin1String("Noto Serif CJK SC"))
        GTEST_SKIP() << "Noto Serif CJK SC is not installed";
    const QString stockLost = CharactersNotComingBack(stockFace, shared);
    EXPECT_EQ(stockLost, shared) << CodePoints(stockLost);
}

} // namespace
} // namespace rovana::sheet
