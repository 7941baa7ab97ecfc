#include "ChannelView.h"
#include "DisplaySettings.h"
#include "EvaluationPanel.h"
#include "PdfText.h"
#include "ProjectInfoSave.h"
#include "ReportSheet.h"
#include "ReportView.h"
#include "ReportViewHost.h"
#include "SheetInput.h"
#include "SheetPainter.h"
#include "TestFiles.h"
#include "ViewMessages.h"

#include <QFileInfo>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "EditSupport.h"

#include <gtest/gtest.h>

namespace rovana {
namespace {

class PrintFrame : public ReportViewHost
{
public:
    DisplaySettings& Display() override { return display; }
    int FileLoaded() const override { return 1; }
    void SetStatusPane(int, const QString&) override {}
    EvaluationPanel* EvaluationPane() override { return &panel; }
    QStringList PrintList() const override { return list; }
    void ClearPrintList() override { list.clear(); }
    void SetPrintMode(int mode) override { printMode = mode; }

    DisplaySettings display;
    EvaluationPanel panel;
    QStringList list;
    int printMode = -1;
};

int PdfPages(const QString& path)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return static_cast<int>(QString::fromLatin1(test::ReadBytes(path)).count(page));
}

class PrintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"a.mg", "b.mg", "c.mg"})
            ASSERT_TRUE(test::WriteBytes(m_dir.filePath(name),
                                         ComposeInstrumentFile(test::SampleRecord())));
        view.m_strFolder = m_dir.path();
        view.ReadSite(m_dir.path());
        frame.list = {"a.mg", "b.mg", "c.mg"};
        pdf = m_dir.filePath("out.pdf");
    }
    // A print dialog that prints into a PDF, pages first..last (0 = all).
    void PrintInto(int first, int last)
    {
        view.m_fnPrintDialog = [this, first, last](QPrinter& printer) {
            printer.setOutputFileName(pdf);
            if (first > 0) {
                printer.setPrintRange(QPrinter::PageRange);
                printer.setFromTo(first, last);
            }
            return true;
        };
    }

    QTemporaryDir m_dir;
    PrintFrame frame;
    ReportView view{&frame};
    QString pdf;
};

// The file a print to PDF offers: the test's folder and bolt number, or the folder's name
// for several sheets; never a fixed file in the home folder.
TEST_F(PrintTest, ThePdfOfferedIsNamedAfterTheBoltOrTheFolder)
{
    const QString site = QFileInfo(m_dir.path()).fileName();
    struct Row
    {
        const char* boltNo;
        QStringList list;
        QString offered;
    };
    const Row rows[] = {
        {"K12-3", {"a.mg"}, "K12-3.pdf"},
        {"A/7 ", {"a.mg"}, "A_7.pdf"},
        {"", {"a.mg"}, "a.pdf"},
        {"K12-3", {"a.mg", "b.mg", "c.mg"}, site + ".pdf"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.boltNo);
        InstrumentRecord record = test::SampleRecord();
        record.file = QString::fromUtf8(r.boltNo);
        ASSERT_TRUE(test::WriteBytes(m_dir.filePath("a.mg"), ComposeInstrumentFile(record)));
        frame.list = r.list;
        QString offered;
        view.m_fnPrintDialog = [&offered](QPrinter& printer) {
            offered = printer.outputFileName();
            return false;
        };
        EXPECT_FALSE(view.OnFilePrint());
        EXPECT_EQ(offered, m_dir.path() + "/" + r.offered);
    }
}

TEST_F(PrintTest, RealPrintOfAllPagesEmptiesTheList)
{
    PrintInto(0, 0);
    ASSERT_TRUE(view.OnFilePrint());
    EXPECT_EQ(frame.printMode, 1);
    EXPECT_EQ(view.m_nPageCount, 3);
    EXPECT_TRUE(frame.list.isEmpty());
    EXPECT_EQ(PdfPages(pdf), 3);
}

TEST_F(PrintTest, PrintingPageTwoOfThreeKeepsTheList)
{
    PrintInto(2, 2);
    ASSERT_TRUE(view.OnFilePrint());
    EXPECT_EQ(frame.list.size(), 3);
    EXPECT_EQ(PdfPages(pdf), 1);
}

TEST_F(PrintTest, CancelledPrintDialogPrintsNothing)
{
    view.m_fnPrintDialog = [](QPrinter&) { return false; };
    EXPECT_FALSE(view.OnFilePrint());
    EXPECT_EQ(frame.list.size(), 3);
}

// A printer (here its output file) that cannot be opened prints nothing: that is said,
// as every write that fails says it, and the list stays for another try.
TEST_F(PrintTest, APrintThatCannotStartSaysSoAndKeepsTheList)
{
    QStringList messages;
    view.m_fnMessage = [&](const QString& text) { messages << text; };
    view.m_fnPrintDialog = [this](QPrinter& printer) {
        printer.setOutputFileName(m_dir.filePath("no-such-folder/out.pdf"));
        return true;
    };
    EXPECT_FALSE(view.OnFilePrint());
    EXPECT_EQ(messages, QStringList{QStringLiteral("无法创建文件: ") +
                                    m_dir.filePath("no-such-folder/out.pdf")});
    EXPECT_EQ(frame.list.size(), 3);
}

TEST_F(PrintTest, PreviewPaintsEveryPageAndKeepsTheList)
{
    int painted = 0;
    view.m_fnPreview = [&](QPrinter& printer, const std::function<void(QPrinter&)>& paint) {
        printer.setOutputFileName(pdf);
        paint(printer);
        painted = PdfPages(pdf);
    };
    view.OnFilePrintPreview();
    EXPECT_EQ(frame.printMode, 0);
    EXPECT_EQ(painted, 3);
    EXPECT_EQ(frame.list.size(), 3);
}

TEST_F(PrintTest, PageOfAnUnreadableEntryIsNotTheLastBoltsSheet)
{
    frame.list = {"a.mg", "missing.mg"};
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(pdf);
    EXPECT_EQ(view.PrintPages(printer, 1, 2), 2);
    // The missing one's page says so instead of repeating the readable bolt's sheet.
    EXPECT_EQ(PdfPages(pdf), 2);
    const QString second = test::PdfPageText(pdf, 2).out;
    EXPECT_TRUE(second.contains(QStringLiteral("无法读取文件"))) << second.toStdString();
    EXPECT_FALSE(second.contains(QStringLiteral("MG0001"))) << second.toStdString();
}

TEST_F(PrintTest, PrintedPdfGivesBackTheTextsOfEachPage)
{
    ProjectInfoValues info;
    info.boltType = 3;
    info.title = QStringLiteral("单根锚杆检测结果表");
    info.projectName = QStringLiteral("长江工程自流支洞");
    info.itemName = QStringLiteral("示范段目标");
    info.boltNo = QStringLiteral("MG0003");
    info.testBasis = QStringLiteral("JCJ/T 182-2009");
    info.testDate = QStringLiteral("2026年06月03日");
    info.gradeText = QStringLiteral("A >=90%");
    info.qualityClass = QStringLiteral("III");
    info.designDiameter = QStringLiteral("25");
    QByteArray bytes = ComposeInstrumentFile(test::SampleRecord());
    ASSERT_TRUE(PatchProjectInfo(bytes, info));
    ASSERT_TRUE(test::WriteBytes(m_dir.filePath("b.mg"), bytes));

    sheet::SheetDevice page;
    view.m_fnPrintDialog = [&](QPrinter& printer) {
        printer.setOutputFileName(pdf);
        page = sheet::DeviceOf(printer);
        return true;
    };
    const QStringList files = frame.list;
    ASSERT_TRUE(view.OnFilePrint());

    const auto measure = [](const QString& text, double pointSize) {
        return QSize(static_cast<int>(text.size() * pointSize * 8),
                     static_cast<int>(pointSize * 10));
    };
    for (int n = 1; n <= files.size(); ++n) {
        SCOPED_TRACE(files[n - 1].toStdString());
        TestRecord print;
        const QStringList printed = test::PrintedTexts(sheet::DrawReportPage(
            page, m_dir.filePath(files[n - 1]), print, view.SheetSettingsForPrint(), measure));
        const test::ToolOutput text = test::PdfPageText(pdf, n);
        ASSERT_TRUE(text.ok) << "pdftotext (poppler-utils): " << text.err.toStdString();
        const QStringList missing = test::MissingTexts(text.out, printed);
        EXPECT_TRUE(missing.isEmpty())
            << "missing: " << missing.join(" | ").toStdString() << "\nextracted:\n"
            << text.out.toStdString();
        EXPECT_TRUE(test::LookAlikes(text.out).isEmpty()) << text.out.toStdString();
    }
    EXPECT_TRUE(test::PdfPageText(pdf, 2).out.contains(QStringLiteral("长江工程自流支洞")));
    EXPECT_FALSE(test::EmbeddedFonts(pdf).filter(QStringLiteral("CJK")).isEmpty());
}

TEST_F(PrintTest, SheetSettingsComeFromTheFolderAndTheSwitches)
{
    test::ChangeRecord(view, [](TestRecord& d) {
        d.m_nSampleInterval = 5;
        d.m_nSampleCount = 2048;
    });
    frame.display.m_bCompress = 0;
    view.m_pChannelView[1]->m_nMaxAmplitude = 900; // as the engineer sets it: the folder's
    view.AmplitudeChosen(1, false);
    view.m_pChannelView[2]->m_nMaxAmplitude = 700; // not chosen: the screen's alone
    view.m_pChannelView[1]->SendViewMessage(WM_SETMAGNIFY, 2); // the dialog's ×10: the folder's
    view.m_pChannelView[0]->m_nMagnify = 40;                   // not chosen: the screen's alone
    view.m_ReportOptions.bShowTitle = 0;
    const sheet::SheetSettings s = view.SheetSettingsForPrint();
    EXPECT_EQ(s.bCompress, 0);
    EXPECT_EQ(s.channels[1].nMaxAmplitude, 900);
    EXPECT_FALSE(s.channels[1].bFit);
    EXPECT_TRUE(s.channels[2].bFit); // nothing kept for the folder: each test fits
    EXPECT_EQ(s.channels[1].nMagnify, 10);
    EXPECT_EQ(s.channels[0].nMagnify, 1);
    EXPECT_EQ(s.options.bShowTitle, 0);
}

} // namespace
} // namespace rovana
