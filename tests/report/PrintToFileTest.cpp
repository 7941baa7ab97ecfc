// Printing into a PDF file (the print dialog's file printer, the preview's export) goes
// through the safe writer like every other output: a write that fails says why, names the
// file and leaves an earlier PDF byte for byte; a target no output may replace is refused.
#include "DisplaySettings.h"
#include "EvaluationPanel.h"
#include "PosixTestSupport.h"
#include "ReportView.h"
#include "ReportViewHost.h"
#include "TestFiles.h"

#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace rovana {
namespace {

class PrintListFrame : public ReportViewHost
{
public:
    DisplaySettings& Display() override { return display; }
    int FileLoaded() const override { return 1; }
    void SetStatusPane(int, const QString&) override {}
    EvaluationPanel* EvaluationPane() override { return &panel; }
    QStringList PrintList() const override { return list; }
    void ClearPrintList() override { list.clear(); }

    DisplaySettings display;
    EvaluationPanel panel;
    QStringList list{"a.mg", "b.mg", "c.mg"};
};

enum class Road
{
    PrintDialog, // 打印 with the file printer chosen
    Preview,     // the preview's export into a file
};

struct Row
{
    const char* what;
    Road road;
    const char* target;
    rlim_t sizeLimit;    // RLIM_INFINITY: no limit
    bool readOnlyFolder; // and, for the superuser, the print as nobody
    const char* message; // followed by ": " and the target's path
};

const Row kRows[] = {
    {"full disk", Road::PrintDialog, "out.pdf", 16384, false, "磁盘已满，无法创建文件"},
    {"full disk, preview", Road::Preview, "out.pdf", 16384, false, "磁盘已满，无法创建文件"},
    {"read-only folder", Road::PrintDialog, "out.pdf", RLIM_INFINITY, true,
     "没有写入权限，无法创建文件"},
    {"a test file", Road::PrintDialog, "a.mg", RLIM_INFINITY, false, "输出文件不能是 .mg 测试文件"},
    {"a FIFO", Road::PrintDialog, "fifo.pdf", RLIM_INFINITY, false, "输出文件已存在且不是普通文件"},
};

TEST(PrintToFileTest, AFailedWriteSaysWhyAndLeavesTheEarlierFile)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        for (const char* name : {"a.mg", "b.mg", "c.mg"})
            ASSERT_TRUE(
                test::WriteBytes(dir.filePath(name), ComposeInstrumentFile(test::SampleRecord())));
        ASSERT_TRUE(test::WriteBytes(dir.filePath("out.pdf"), "an earlier report"));
        ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo.pdf")).constData(), 0644), 0);
        const QString target = dir.filePath(row.target);
        const QByteArray before = test::ReadBytes(dir.filePath("out.pdf"));
        const QByteArray testFile = test::ReadBytes(dir.filePath("a.mg"));
        const QStringList entries = test::FolderEntries(dir.path());
        if (row.readOnlyFolder) {
            ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
            ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0666), 0);
        }

        // The print in a child: the file-size limit and the user apply there only.
        const test::ChildRun run = test::RunWithFileSizeLimit(row.sizeLimit, [&] {
            if (row.readOnlyFolder && ::geteuid() == 0 &&
                (::setgid(65534) != 0 || ::setuid(65534) != 0))
                return QByteArray("no nobody");
            PrintListFrame frame;
            ReportView view(&frame);
            view.m_strFolder = dir.path();
            QStringList messages;
            view.m_fnMessage = [&](const QString& text) { messages << text; };
            bool printed = false;
            if (row.road == Road::PrintDialog) {
                view.m_fnPrintDialog = [&](QPrinter& printer) {
                    printer.setOutputFileName(target);
                    return true;
                };
                printed = view.OnFilePrint();
            } else {
                view.m_fnPreview = [&](QPrinter& printer,
                                       const std::function<void(QPrinter&)>& paint) {
                    printer.setOutputFileName(target);
                    paint(printer);
                };
                view.OnFilePrintPreview();
            }
            return QByteArray(printed ? "printed" : "not printed") + '|' +
                   messages.join('|').toUtf8() + '|' + QByteArray::number(frame.list.size());
        });
        ::chmod(QFile::encodeName(dir.path()).constData(), 0700);

        ASSERT_TRUE(run.exited);
        EXPECT_EQ(
            QString::fromUtf8(run.report),
            QStringLiteral("not printed|%1: %2|3").arg(QString::fromUtf8(row.message), target));
        EXPECT_EQ(test::ReadBytes(dir.filePath("out.pdf")), before);
        EXPECT_EQ(test::ReadBytes(dir.filePath("a.mg")), testFile);
        EXPECT_EQ(test::FolderEntries(dir.path()), entries); // no temporary file left
    }
}

} // namespace
} // namespace rovana
