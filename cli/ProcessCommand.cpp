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
using processing::FilterKind;
using processing::GainKind;

const char kUsage[] =
    "用法: rovana-cli process [选项] FILE.mg\n"
    "以 JSON 数组输出三个通道经信号处理后的样本 0..2047（取自原始样本，不经显示低通滤波）：\n"
    "先减去敲击信号之前样本的均值，再以 Butterworth 滤波器正向、反向各滤一次（零相位），\n"
    "最后自敲击信号起按深度放大。不带选项时输出原始样本。\n"
    "选项:\n"
    "  --lowpass HZ        低通，截止频率 HZ\n"
    "  --highpass HZ       高通，截止频率 HZ\n"
    "  --bandpass LOW-HIGH 带通，LOW 与 HIGH 为上下截止频率（Hz）\n"
    "  --order N           滤波器阶数 2..8，缺省 4（带通的极点数为其两倍）\n"
    "  --gain exp:G        指数放大：敲击信号处为 1，设计长度的往返时间处为 G（1..100）\n"
    "  --gain linear:G     线性放大，同上\n"
    "截止频率须大于 0 且低于采样频率的一半；放大需要文件中有效的波速与设计长度。\n";

// What the options set, or why they cannot be used.
struct Parsed
{
    ChainSettings settings;
    QStringList files;
    QString error;
};

bool ToNumber(const QString& text, double& value)
{
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && !text.trimmed().isEmpty();
}

// Reads one option that takes a value into `s`; returns the reason when it cannot.
QString ReadOption(const QString& name, const QString& value, ChainSettings& s, bool& filterSet,
                   bool& orderSet, bool& gainSet)
{
    const auto badValue = [&] { return name + QStringLiteral(" 的取值无效: ") + value; };
    if (name == QLatin1String("--order")) {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok)
            return badValue();
        if (orderSet)
            return QStringLiteral("--order 只能给出一次");
        s.order = n;
        orderSet = true;
        return {};
    }
    if (name == QLatin1String("--gain")) {
        const qsizetype colon = value.indexOf(QLatin1Char(':'));
        const QString kind = value.left(colon);
        double g = 0;
        if (colon < 0 || !ToNumber(value.mid(colon + 1), g) ||
            (kind != QLatin1String("exp") && kind != QLatin1String("linear")))
            return QStringLiteral("--gain 需要 exp:G 或 linear:G，而不是 ") + value;
        if (gainSet)
            return QStringLiteral("--gain 只能给出一次");
        s.gain = kind == QLatin1String("exp") ? GainKind::Exponential : GainKind::Linear;
        s.gainAtDesign = g;
        gainSet = true;
        return {};
    }
    if (filterSet)
        return QStringLiteral("--lowpass、--highpass、--bandpass 只能给出其中一个，且只能一次");
    filterSet = true;
    if (name == QLatin1String("--bandpass")) {
        // The separator is the last "-" that follows a digit, so that "-5-100" is read as
        // −5 to 100 and refused by the range check, not by the parser.
        qsizetype dash = -1;
        for (qsizetype i = 1; i < value.size(); ++i) {
            if (value[i] == QLatin1Char('-') && value[i - 1].isDigit())
                dash = i;
        }
        double low = 0, high = 0;
        if (dash < 0 || !ToNumber(value.left(dash), low) || !ToNumber(value.mid(dash + 1), high))
            return QStringLiteral("--bandpass 需要 LOW-HIGH（Hz），而不是 ") + value;
        s.filter = FilterKind::BandPass;
        s.lowHz = low;
        s.highHz = high;
        return {};
    }
    double hz = 0;
    if (!ToNumber(value, hz))
        return badValue();
    if (name == QLatin1String("--lowpass")) {
        s.filter = FilterKind::LowPass;
        s.highHz = hz;
    } else {
        s.filter = FilterKind::HighPass;
        s.lowHz = hz;
    }
    return {};
}

Parsed Parse(const QStringList& args)
{
    static const QStringList kValued = {"--lowpass", "--highpass", "--bandpass", "--order",
                                        "--gain"};
    Parsed p;
    bool options = true, filterSet = false, orderSet = false, gainSet = false;
    for (qsizetype i = 0; i < args.size() && p.error.isEmpty(); ++i) {
        const QString& a = args[i];
        if (options && a == QLatin1String("--")) {
            options = false;
        } else if (options && kValued.contains(a)) {
            if (i + 1 >= args.size())
                p.error = a + QStringLiteral(" 缺少取值");
            else
                p.error = ReadOption(a, args[++i], p.settings, filterSet, orderSet, gainSet);
        } else if (options && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            p.error = QStringLiteral("未知选项: ") + a;
        } else {
            p.files.append(a);
        }
    }
    if (!p.error.isEmpty())
        return p;
    if (orderSet && !filterSet)
        p.error = QStringLiteral("--order 需要与 --lowpass、--highpass 或 --bandpass 一起给出");
    else if (p.files.size() != 1)
        p.error = QStringLiteral("需要一个 .mg 文件路径");
    p.settings.enabled = filterSet || gainSet;
    // Checked against the shortest sampling interval (1 µs): what is wrong for every file.
    if (p.error.isEmpty())
        p.error = QString::fromStdString(processing::CheckSettings(p.settings, 1));
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
    if (WantsHelp(args)) {
        out << kUsage;
        return kExitOk;
    }
    const Parsed p = Parse(args);
    if (!p.error.isEmpty())
        return UsageError(err, p.error, kUsage);
    const auto data = LoadFile(p.files.front(), err);
    if (!data)
        return kExitFailure;
    std::string why = processing::CheckSettings(p.settings, data->m_nSampleInterval);
    if (why.empty())
        why = processing::CheckGainBasis(p.settings, data->m_nWaveSpeed, data->m_fDesignLength);
    if (!why.empty()) {
        err << why << "\n";
        return kExitFailure;
    }
    out << "[";
    for (int c = 0; c < kChannelCount; ++c)
        out << (c == 0 ? "\n  " : ",\n  ") << ChannelJson(*data, c, p.settings);
    out << "\n]\n";
    return kExitOk;
}

} // namespace rovana::cli
