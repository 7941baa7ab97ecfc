// rovana-cli: the test files without a window.
#include "CliCommon.h"
#include "SheetCommand.h"
#include "SignalCommands.h"
#include "SummaryCommand.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstring>
#include <iostream>
#include <memory>

namespace {

struct Subcommand
{
    const char* name;
    rovana::cli::Command run;
};

// One subcommand a line.
// clang-format off
constexpr Subcommand kSubcommands[] = {
    {"info", rovana::cli::RunInfo},
    {"spectrum", rovana::cli::RunSpectrum},
    {"filter", rovana::cli::RunFilter},
    {"sheet", rovana::cli::RunSheet},
    {"summary", rovana::cli::RunSummary},
};
// clang-format on

const char kHelp[] =
    "用法: rovana-cli <命令> [参数]\n"
    "\n"
    "命令:\n"
    "  info FILE.mg      以一个 JSON 对象输出测试记录的全部字段（字段名同程序内部，\n"
    "                    字符串为 UTF-8，m_tTestDate 为 \"YYYY-MM-DD\"）\n"
    "  spectrum FILE.mg  以 JSON 数组输出三个通道的频谱：每个通道一个对象，含 channel、\n"
    "                    transformSize（变换点数 N，样本数不在 2..2048 时为 0）、\n"
    "                    peakFrequency 与 binWidth（Hz）、spectrum（频谱缓冲区 2048 项）、\n"
    "                    phase（N 个相位，整度）\n"
    "  filter FILE.mg    以 JSON 数组输出三个通道低通滤波后的显示样本 0..2047\n"
    "  sheet --pdf OUT.pdf FILE.mg...\n"
    "                    每个文件输出一页单根锚杆检测结果表（A4 纵向，600 dpi）到一个 PDF；\n"
    "                    无法读取的文件输出一页说明，并在结束时以退出码 1 报告\n"
    "  summary FOLDER [--csv OUT.csv] [--xlsx OUT.xlsx] [--pdf OUT.pdf]\n"
    "                    文件夹内全部 .mg 文件的锚杆检测结果汇总表与统计；不带输出选项时\n"
    "                    以 JSON 输出 {\"bolts\": [...], \"statistics\": {...}}\n"
    "  --help            显示本说明\n"
    "\n"
    "文件无法读取时在标准错误输出 \"无法读取文件\"，退出码为 1；\n"
    "其他错误（如测试日期无效）输出说明，退出码为 1。\n";

// The sheet and summary commands draw text: they need the fonts of a GUI application,
// without a display.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv)
{
    if (argc < 2 || (std::strcmp(argv[1], "sheet") != 0 && std::strcmp(argv[1], "summary") != 0))
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv)
{
    const auto app = MakeApplication(argc, argv);
    QStringList args = app->arguments();
    args.removeFirst();
    if (args.isEmpty() || args.front() == "--help" || args.front() == "-h") {
        std::cout << kHelp;
        return args.isEmpty() ? 2 : 0;
    }
    const QString name = args.takeFirst();
    for (const Subcommand& sub : kSubcommands) {
        if (name == QLatin1String(sub.name))
            return sub.run(args, std::cout, std::cerr);
    }
    std::cerr << "未知命令: " << name.toStdString() << "\n" << kHelp;
    return 2;
}
