#include "ChainOptions.h"
#include "CliCommon.h"
#include "JsonWriter.h"
#include "ProcessingChain.h"
#include "SignalCommands.h"

#include <array>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace rovana::cli {
namespace {

using processing::ChainSettings;

const char kUsage[] =
    "用法: rovana-cli process [选项] FILE.mg\n"
    "以 JSON 数组输出三个通道经信号处理后的样本 0..2047（取自原始样本，不经显示低通滤波）：\n"
    "先减去敲击信号之前样本的均值，再以 Butterworth 滤波器正向、反向各滤一次（零相位），\n"
    "最后自敲击信号起按深度放大。不带选项时按文件所在文件夹的信号处理设置（与程序相同），\n"
    "文件夹没有设置时输出原始样本。\n";

// What the options set, or why they cannot be used.
struct Parsed
{
    ChainChoice chain;
    QStringList files;
    QString error;
};

Parsed Parse(const QStringList& args)
{
    Parsed p;
    bool options = true;
    for (qsizetype i = 0; i < args.size() && p.error.isEmpty(); ++i) {
        const QString& a = args[i];
        if (options && a == QLatin1String("--")) {
            options = false;
        } else if (options && ReadChainOption(args, i, p.chain, p.error)) {
            continue;
        } else if (options && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            p.error = QStringLiteral("未知选项: ") + a;
        } else {
            p.files.append(a);
        }
    }
    if (!p.error.isEmpty())
        return p;
    p.error = FinishChainOptions(p.chain);
    if (p.error.isEmpty() && p.files.size() != 1)
        p.error = QStringLiteral("需要一个 .mg 文件路径");
    return p;
}

std::string ChannelJson(const TestRecord& data, int channel, const ChainSettings& settings)
{
    const auto& samples = data.m_nSamples[static_cast<std::size_t>(channel)];
    const std::span<const std::int16_t> usable(samples.data(),
                                               static_cast<std::size_t>(UsableSampleCount(data)));
    const std::vector<double> processed = processing::ApplyChain(
        usable, data.m_nSampleInterval, data.m_nWaveSpeed, data.m_fDesignLength, settings);
    std::array<std::int16_t, kMaxSampleCount> display{};
    processing::ToDisplaySamples(processed, display);
    return json::Array(display);
}

} // namespace

int RunProcess(const QStringList& args, std::ostream& out, std::ostream& err)
{
    const std::string usage = std::string(kUsage) + kChainOptionsUsage;
    if (WantsHelp(args)) {
        out << usage;
        return kExitOk;
    }
    const Parsed p = Parse(args);
    if (!p.error.isEmpty())
        return UsageError(err, p.error, usage.c_str());
    const auto data = LoadFile(p.files.front(), err);
    if (!data)
        return kExitFailure;
    const ChainSettings chain = ChainFor(p.chain, p.files.front(), err);
    // Options the file cannot take are an error; the folder's settings are applied as the
    // program applies them, less what this file refuses.
    if (p.chain.given) {
        std::string why = processing::CheckSettings(chain, data->m_nSampleInterval);
        if (why.empty())
            why = processing::CheckGainBasis(chain, data->m_nWaveSpeed, data->m_fDesignLength);
        if (!why.empty()) {
            ReportFileFailure(err, p.files.front(), QString::fromStdString(why));
            return kExitFailure;
        }
    }
    out << "[";
    for (int c = 0; c < kChannelCount; ++c)
        out << (c == 0 ? "\n  " : ",\n  ") << ChannelJson(*data, c, chain);
    out << "\n]\n";
    return kExitOk;
}

} // namespace rovana::cli
