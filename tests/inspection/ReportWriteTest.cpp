// Writing the report: the OpenDocument copy read back, and writes that are cancelled or
// meet a full disk leave every earlier report byte for byte and nothing beside it.
#include "ReportFiles.h"

#include "CliRunner.h"
#include "inspection/ReportFolder.h"
#include "report/PdfText.h"

#include <gtest/gtest.h>

namespace rovana::inspection {
namespace {

QStringList FolderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The ODT is a zip whose content.xml holds the text: every bolt's number (附录 A's table),
// the conclusion, the chapters; each sheet is a picture of its own.
TEST(ReportWriteTest, TheOpenDocumentTextReadsBackWithEveryBoltNumber)
{
    const test::BoltFolder folder(37);
    const auto content = GatherReport(folder.Folder(), summary::FolderTestFiles(folder.Folder()));
    ASSERT_TRUE(content);
    QTemporaryDir out;
    const QString odt = out.filePath(QStringLiteral("report.odt"));
    const ReportFilesResult written = WriteReportFiles(*content, {{}, odt});
    ASSERT_TRUE(written.written) << written.message.toStdString();
    const test::ToolOutput mimetype = test::RunTool("unzip", {"-p", odt, "mimetype"});
    EXPECT_EQ(mimetype.out, QStringLiteral("application/vnd.oasis.opendocument.text"));
    const test::ToolOutput xml = test::RunTool("unzip", {"-p", odt, "content.xml"});
    ASSERT_TRUE(xml.ok) << xml.err.toStdString();
    for (int i = 1; i <= 37; ++i)
        EXPECT_TRUE(xml.out.contains(QStringLiteral(">%1<").arg(test::BoltNumber(i)))) << i;
    for (const QString& text :
         {kInspectionReportTitle, content->Conclusion(), QStringLiteral("一、工程概况"),
          QStringLiteral("报告编号：RV-37"), QStringLiteral("附录 B　单根锚杆检测结果表")})
        EXPECT_TRUE(xml.out.contains(text)) << text.toStdString();
    // Qt's writer names the pictures Pictures/Picture1.. in the order they stand: the two
    // charts, then one per sheet, each a PNG.
    const QString listing = test::RunTool("unzip", {"-l", odt}).out;
    EXPECT_EQ(listing.count(QRegularExpression(QStringLiteral("Pictures/Picture\\d+\\n"))), 2 + 37);
    const test::ToolOutput last = test::RunTool("unzip", {"-p", odt, "Pictures/Picture39"});
    EXPECT_TRUE(last.ok);
    EXPECT_EQ(last.out.mid(1, 3), QStringLiteral("PNG")); // after the signature's 0x89
}

// A cancel at any point, the last step included, writes nothing: both earlier reports stay
// and no temporary file is left.
TEST(ReportWriteTest, ACancelAtAnyStepWritesNothing)
{
    const test::BoltFolder folder(3);
    const auto content = GatherReport(folder.Folder(), summary::FolderTestFiles(folder.Folder()));
    ASSERT_TRUE(content);
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("r.pdf"));
    const QString odt = out.filePath(QStringLiteral("r.odt"));
    int steps = 0;
    ASSERT_TRUE(WriteReportFiles(*content, {pdf, odt}, [&steps](int, int total) {
                    steps = total;
                    return true;
                }).written);
    ASSERT_GT(steps, 3);
    const QByteArray oldPdf = "old report", oldOdt = "old copy";
    for (int stopAt = 0; stopAt <= steps; ++stopAt) {
        ASSERT_TRUE(test::WriteBytes(pdf, oldPdf));
        ASSERT_TRUE(test::WriteBytes(odt, oldOdt));
        int calls = 0;
        const ReportFilesResult r = WriteReportFiles(*content, {pdf, odt}, [&](int done, int) {
            ++calls;
            return done < stopAt;
        });
        EXPECT_FALSE(r.written) << stopAt;
        EXPECT_TRUE(r.cancelled) << stopAt;
        EXPECT_EQ(test::ReadBytes(pdf), oldPdf) << stopAt;
        EXPECT_EQ(test::ReadBytes(odt), oldOdt) << stopAt;
        EXPECT_EQ(FolderEntries(out.path()), (QStringList{"r.odt", "r.pdf"})) << stopAt;
    }
}

// A full disk is a file-size limit in the child: the PDF, the ODT or both fail, the old
// files come out byte-identical, no temporary file stays, the run ends with status 1.
TEST(ReportWriteTest, AFullDiskLeavesTheOldReportsByteIdentical)
{
    const test::SiteFolder site;
    struct Row
    {
        const char* name;
        bool pdf, odt;
    };
    for (const Row& row :
         {Row{"pdf", true, false}, Row{"odt", false, true}, Row{"both", true, true}}) {
        QTemporaryDir out;
        QStringList args{"report", site.Folder()};
        QByteArray oldPdf = "old pdf", oldOdt = "old odt";
        for (int i = 0; i < 500; ++i) { // old files longer than the limit
            oldPdf += "%PDF-1.4 earlier report ";
            oldOdt += "PK earlier copy ";
        }
        const QString pdf = out.filePath(QStringLiteral("r.pdf"));
        const QString odt = out.filePath(QStringLiteral("r.odt"));
        ASSERT_TRUE(test::WriteBytes(pdf, oldPdf));
        ASSERT_TRUE(test::WriteBytes(odt, oldOdt));
        if (row.pdf)
            args << "--pdf" << pdf;
        if (row.odt)
            args << "--odt" << odt;
        QList<QByteArray> raw;
        for (const QString& a : args)
            raw << a.toUtf8();
        const QTemporaryDir scratch;
        const test::CliRun run =
            test::RunCliRaw(raw, QFile::encodeName(scratch.filePath(QStringLiteral("run"))), 20000);
        EXPECT_EQ(run.exitCode, 1) << row.name << " " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("磁盘已满")))
            << row.name << " " << run.err.toStdString();
        EXPECT_EQ(test::ReadBytes(pdf), oldPdf) << row.name;
        EXPECT_EQ(test::ReadBytes(odt), oldOdt) << row.name;
        EXPECT_EQ(FolderEntries(out.path()), (QStringList{"r.odt", "r.pdf"})) << row.name;
    }
}

} // namespace
} // namespace rovana::inspection
