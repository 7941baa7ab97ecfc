#include "SheetCommand.h"

#include "ChainOptions.h"
#include "CliCommon.h"
#include "NativePath.h"
#include "OutputTarget.h"
#include "SheetDocument.h"

#include <QDir>

#include <sys/stat.h>

#include <ostream>
#include <string>

namespace rovana::cli {

namespace {

const char kUsage[] = "用法: rovana-cli sheet [--amplitude MV] --pdf OUT.pdf FILE.mg...\n"
                      "每个文件输出一页单根锚杆检测结果表（A4 纵向，600 dpi）到一个 PDF。\n"
                      "OUT.pdf 不能是输入文件之一，不能以 .mg 结尾，已存在时必须是普通文件；\n"
                      "PDF 先写入同一文件夹中的临时文件，完整写入后才替换 OUT.pdf。\n"
                      "无法读取的文件输出一页说明，并在结束时以退出码 1 报告。\n"
                      "波形按文件所在文件夹的信号处理设置绘制（与程序相同），并在波形下注明。\n"
                      "波形幅值按文件夹的幅值设置；未设置时每条波形自适应（敲击后最大振幅占半高的\n"
                      "90%）。--amplitude MV 使每条波形的满幅为 MV 毫伏。\n";

struct SheetArguments
{
    QString pdf;
    QStringList files;
    ChainChoice chain;
    int amplitude = 0; // --amplitude: every trace at this full scale; 0 for the site's
};

// The PDF path after --pdf and at least one test file; a usage message otherwise.
QString ParseSheetArguments(const QStringList& args, SheetArguments& parsed)
{
    bool options = true;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString why;
        if (options && args[i] == QLatin1String("--")) {
            options = false;
        } else if (options && ReadChainOption(args, i, parsed.chain, why)) {
            if (!why.isEmpty())
                return why;
        } else if (options && args[i] == QLatin1String("--amplitude")) {
            bool ok = false;
            const int mv = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
            if (!ok || mv < 1 || parsed.amplitude != 0)
                return QStringLiteral("--amplitude 需要且只能给出一个正整数（mV）");
            parsed.amplitude = mv;
            ++i;
        } else if (options && args[i] == QLatin1String("--pdf")) {
            if (i + 1 >= args.size() || !parsed.pdf.isEmpty())
                return QStringLiteral("--pdf 需要且只能给出一个输出文件");
            parsed.pdf = args[++i];
        } else if (options && args[i].startsWith(QLatin1Char('-')) && args[i].size() > 1) {
            return QStringLiteral("未知选项: ") + args[i];
        } else {
            parsed.files.append(args[i]);
        }
    }
    if (parsed.pdf.isEmpty() || parsed.files.isEmpty())
        return QStringLiteral("需要 --pdf OUT.pdf 和至少一个 .mg 文件");
    return FinishChainOptions(parsed.chain);
}

bool StatPath(const QString& path, struct stat& st)
{
    const QByteArray native = NativePath(path);
    return !native.isEmpty() && ::stat(native.constData(), &st) == 0;
}

// The same file: the same inode when both exist, else the same absolute clean path.
bool SameFile(const QString& a, const QString& b)
{
    struct stat sa, sb;
    if (StatPath(a, sa) && StatPath(b, sb))
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    const QDir here = QDir::current();
    return QDir::cleanPath(here.absoluteFilePath(a)) == QDir::cleanPath(here.absoluteFilePath(b));
}

// Why `pdf` must not be written, or nothing. The output replaces whatever file it names,
// so a forgotten output name (`--pdf *.mg`) must not reach a test file, neither directly
// nor at the end of a chain of links (the writer replaces the file the chain ends at).
QString RefuseOutput(const QString& pdf, const QStringList& files)
{
    switch (ExamineOutputTarget(pdf).refusal) {
    case OutputRefusal::None:
        break;
    case OutputRefusal::TestFile:
        return QStringLiteral("输出文件不能是 .mg 测试文件: ") + pdf;
    case OutputRefusal::NotRegular:
        return QStringLiteral("输出文件已存在且不是普通文件: ") + pdf;
    case OutputRefusal::LinkLoop:
        return QStringLiteral("输出文件是循环的符号链接: ") + pdf;
    case OutputRefusal::DanglingLink:
        return QStringLiteral("输出文件是指向不存在的文件的符号链接: ") + pdf;
    }
    for (const QString& file : files)
        if (SameFile(pdf, file))
            return QStringLiteral("输出文件不能是输入文件之一: ") + pdf;
    return {};
}

} // namespace

int RunSheet(const QStringList& args, std::ostream& out, std::ostream& err)
{
    const std::string usage = std::string(kUsage) + kChainOptionsUsage;
    if (WantsHelp(args)) {
        out << usage;
        return kExitOk;
    }
    SheetArguments parsed;
    if (const QString why = ParseSheetArguments(args, parsed); !why.isEmpty())
        return UsageError(err, why, usage.c_str());
    if (const QString why = RefuseOutput(parsed.pdf, parsed.files); !why.isEmpty())
        return UsageError(err, why, usage.c_str());

    // Options a file's interval, wave speed or design length cannot take leave that part
    // out of its page (which then does not name it), and the run ends with status 1.
    int refused = 0;
    if (parsed.chain.given) {
        for (const QString& file : parsed.files) {
            TestRecord record;
            if (!record.Load(file))
                continue; // reported with its page
            std::string why =
                processing::CheckSettings(parsed.chain.settings, record.m_nSampleInterval);
            if (why.empty())
                why = processing::CheckGainBasis(parsed.chain.settings, record.m_nWaveSpeed,
                                                 record.m_fDesignLength);
            if (!why.empty()) {
                ReportFileFailure(err, file, QString::fromStdString(why));
                ++refused;
            }
        }
    }
    const sheet::SheetPdfResult result =
        sheet::WriteSheetPdf(parsed.pdf, parsed.files, {},
                             [&parsed, &err](const QString& file, sheet::SheetSettings& s) {
                                 sheet::ApplySiteSettings(SiteFor(parsed.chain, file, err), s);
                                 s.chain = ChainFor(parsed.chain, file, err);
                                 if (parsed.amplitude > 0)
                                     for (sheet::ChannelScale& scale : s.channels)
                                         scale = {parsed.amplitude, scale.nMagnify, false};
                             });
    if (!result.written) {
        err << result.write.message().toStdString() << ": " << parsed.pdf.toStdString();
        if (!result.write.detail.isEmpty())
            err << "（" << result.write.detail.toStdString() << "）";
        err << "\n";
        return kExitFailure;
    }
    for (int i = 0; i < result.unreadable.size(); ++i) {
        // The page says the short message; the error names what exactly is wrong.
        TestRecord record;
        const LoadResult again = record.Load(result.unreadable[i]);
        ReportFileFailure(err, result.unreadable[i],
                          again ? result.messages[i] : again.described());
    }
    return result.unreadable.isEmpty() && refused == 0 ? kExitOk : kExitFailure;
}

} // namespace rovana::cli
