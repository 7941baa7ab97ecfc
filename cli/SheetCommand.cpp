#include "SheetCommand.h"

#include "SheetPdf.h"

#include <ostream>

namespace rovana::cli {

namespace {

struct SheetArguments
{
    QString pdf;
    QStringList files;
};

// The PDF path after --pdf and at least one test file; false on anything else.
bool ParseSheetArguments(const QStringList& args, SheetArguments& parsed, std::ostream& err)
{
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--pdf") && i + 1 < args.size() && parsed.pdf.isEmpty()) {
            parsed.pdf = args[++i];
        } else if (args[i].startsWith(QLatin1String("--"))) {
            err << "未知选项: " << args[i].toStdString() << "\n";
            return false;
        } else {
            parsed.files.append(args[i]);
        }
    }
    if (parsed.pdf.isEmpty() || parsed.files.isEmpty()) {
        err << "用法: rovana-cli sheet --pdf OUT.pdf FILE.mg...\n";
        return false;
    }
    return true;
}

} // namespace

int RunSheet(const QStringList& args, std::ostream& /*out*/, std::ostream& err)
{
    SheetArguments parsed;
    if (!ParseSheetArguments(args, parsed, err))
        return 2;
    const sheet::SheetPdfResult result = sheet::WriteSheetPdf(parsed.pdf, parsed.files);
    if (!result.written) {
        err << "无法创建文件: " << parsed.pdf.toStdString() << "\n";
        return 1;
    }
    for (int i = 0; i < result.unreadable.size(); ++i)
        err << result.messages[i].toStdString() << ": " << result.unreadable[i].toStdString()
            << "\n";
    return result.unreadable.isEmpty() ? 0 : 1;
}

} // namespace rovana::cli
