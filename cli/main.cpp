// rovana-cli: the test files without a window.
#include "CalibrateCommand.h"
#include "CliCommon.h"
#include "NativePath.h"
#include "PickCommand.h"
#include "ReportCommand.h"
#include "SheetCommand.h"
#include "SignalCommands.h"
#include "SummaryCommand.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <csignal>
#include <cstdio>
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
    {"process", rovana::cli::RunProcess},
    {"sheet", rovana::cli::RunSheet},
    {"summary", rovana::cli::RunSummary},
    {"report", rovana::cli::RunReport},
    {"pick", rovana::cli::RunPick},
    {"calibrate", rovana::cli::RunCalibrate},
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
    "  process [--lowpass HZ | --highpass HZ | --bandpass LOW-HIGH] [--order N]\n"
    "          [--gain exp:G | --gain linear:G] [--raw] FILE.mg\n"
    "                    以 JSON 数组输出三个通道经信号处理（去均值、零相位 Butterworth\n"
    "                    滤波、按深度放大）后的样本 0..2047；不带选项时按文件夹的设置\n"
    "  sheet [信号处理选项] [--raw] --pdf OUT.pdf FILE.mg...\n"
    "                    每个文件输出一页单根锚杆检测结果表（A4 纵向，600 dpi）到一个 PDF；\n"
    "                    波形按文件夹的信号处理设置（或选项）绘制，--raw 不做处理；\n"
    "                    无法读取的文件输出一页说明，并在结束时以退出码 1 报告。\n"
    "                    OUT.pdf 不能是输入文件之一、不能以 .mg 结尾、已存在时必须是\n"
    "                    普通文件；PDF 完整写入后才替换 OUT.pdf\n"
    "  summary FOLDER [--csv OUT.csv] [--xlsx OUT.xlsx] [--pdf OUT.pdf]\n"
    "                    文件夹内全部 .mg 文件的锚杆检测结果汇总表与统计；不带输出选项时\n"
    "                    以 JSON 输出 {\"bolts\": [...], \"statistics\": {...}}；文件夹无法\n"
    "                    读取时以退出码 1 结束，不写入任何文件\n"
    "  report FOLDER [--pdf OUT.pdf] [--odt OUT.odt]\n"
    "                    文件夹的锚杆锚固质量无损检测报告（封面、目录、概况、依据、方法、\n"
    "                    结果、结论、附录汇总表与每根锚杆的结果表）；不带输出选项时以\n"
    "                    JSON 输出报告内容；退出码同 summary\n"
    "  pick [--channel N] [--all-channels] FILE.mg...\n"
    "                    为通道 N（1..3，缺省为报告通道）建议标记：端部、自由端、底部与\n"
    "                    缺陷的样本序号、由此得到的 L、L0、Lr、可信度，找不到时给出原因\n"
    "                    （如 \"底部反射不明显\"）；每个文件一个 JSON 对象，多个文件为数组；\n"
    "                    --all-channels 给出三个通道的建议及同类通道的相互比较\n"
    "  calibrate --known-length METRES [--channel N] [--apply-to-folder] FILE.mg\n"
    "                    由已知长度标定波速：输出 {\"file\", \"channel\", \"speed\",\n"
    "                    \"previousSpeed\"}；--apply-to-folder 经标定日志写入 FILE 所在文件夹\n"
    "                    的全部测试文件（长度与质量等级随之重算）\n"
    "  calibrate --restore FOLDER\n"
    "                    按标定日志撤销该文件夹上次的标定，每个文件恢复为标定前的内容\n"
    "  --help            显示本说明；每个命令后加 --help 显示该命令的说明\n"
    "\n"
    "退出码: 0 成功；1 文件无法读取（标准错误输出 \"无法读取文件\"）、测试日期无效等\n"
    "（输出说明）或输出无法写入（如磁盘已满）；2 参数错误（输出用法）。\n"
    "只读取普通文件（及指向普通文件的链接）；FIFO、设备等输出 \"无法读取文件\"。\n"
    "文件夹的 rovana-site.json 无法读取时，在标准错误输出其路径与 \"站点设置文件无法读取\n"
    "（原因），未作修改\"，并按无站点设置继续。\n"
    "文件名可以是 UTF-8 或 GBK（代码页 936）字节。\n";

// The arguments as paths the core maps back to their bytes: names that are not UTF-8
// (GBK names from Windows archives) would be lost by QCoreApplication::arguments().
QStringList ArgumentsFromBytes(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(rovana::PathFromNative(QByteArray(argv[i])));
    return args;
}

// Everything written to standard output reached it: flushed without error.
bool StandardOutputWritten()
{
    std::cout.flush();
    return std::cout.good() && std::fflush(stdout) == 0 && !std::ferror(stdout);
}

// The sheet, summary and report commands draw text: they need the fonts of a GUI application,
// without a display.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv)
{
    if (argc < 2 || (std::strcmp(argv[1], "sheet") != 0 && std::strcmp(argv[1], "summary") != 0 &&
                     std::strcmp(argv[1], "report") != 0))
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

int Run(QStringList args)
{
    if (args.isEmpty()) {
        std::cerr << kHelp;
        return rovana::cli::kExitUsage;
    }
    if (args.front() == "--help" || args.front() == "-h") {
        std::cout << kHelp;
        return rovana::cli::kExitOk;
    }
    const QString name = args.takeFirst();
    for (const Subcommand& sub : kSubcommands) {
        if (name == QLatin1String(sub.name))
            return sub.run(args, std::cout, std::cerr);
    }
    std::cerr << "未知命令: " << name.toStdString() << "\n" << kHelp;
    return rovana::cli::kExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    // A file-size limit must end a write with an error (EFBIG) that every subcommand
    // reports and that removes the temporary file, not with the signal that would kill the
    // process silently in the middle of the write.
    std::signal(SIGXFSZ, SIG_IGN);
    const QStringList args = ArgumentsFromBytes(argc, argv);
    const auto app = MakeApplication(argc, argv);
    int status = Run(args);
    // Output that did not reach its file (a full disk, /dev/full) is a failure.
    if (!StandardOutputWritten()) {
        std::cerr << "无法写入标准输出\n";
        if (status == rovana::cli::kExitOk)
            status = rovana::cli::kExitFailure;
    }
    return status;
}
