#include "CliCommon.h"
#include "JsonWriter.h"
#include "SignalCommands.h"
#include "Spectrum.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>

namespace rovana::cli {
namespace {

// One channel as the load treats it: the spectrum buffer starts as a copy of the
// channel's first 2048 samples, the phase array as zeros. A sample count outside 2..2048
// computes nothing: the buffer stays a copy, N is 0 and no phases are listed.
std::string ChannelSpectrumJson(const TestRecord& data, int channel)
{
    const auto& samples = data.m_nSamples[static_cast<std::size_t>(channel)];
    std::array<std::int16_t, kSpectrumLength> spectrum{};
    std::array<std::int32_t, kPhaseLength> phase{};
    std::copy_n(samples.begin(), spectrum.size(), spectrum.begin());
    const SpectrumResult result = ComputeSpectrum(
        spectrum, phase, static_cast<float>(data.m_nSampleInterval), data.m_nSampleCount);
    const auto phases = std::span(phase).first(static_cast<std::size_t>(result.transformSize));

    std::string out = "{\"channel\": " + json::Number(channel);
    out += ", \"transformSize\": " + json::Number(result.transformSize);
    out += ", \"peakFrequency\": " + json::Number(result.peakFrequency);
    out += ", \"binWidth\": " + json::Number(result.binWidth);
    out += ",\n   \"spectrum\": " + json::Array(spectrum);
    out += ",\n   \"phase\": " + json::Array(phases) + "}";
    return out;
}

} // namespace

int RunSpectrum(const QStringList& args, std::ostream& out, std::ostream& err)
{
    static const char kUsage[] =
        "用法: rovana-cli spectrum FILE.mg\n"
        "以 JSON 数组输出三个通道的频谱：每个通道一个对象，含 channel、transformSize\n"
        "（变换点数 N，样本数不在 2..2048 时为 0）、peakFrequency 与 binWidth（Hz）、\n"
        "spectrum（频谱缓冲区 2048 项）、phase（N 个相位，整度）。\n";
    return RunOnOneFile(args, out, err, kUsage, [](const TestRecord& data, std::ostream& o) {
        o << "[";
        for (int c = 0; c < kChannelCount; ++c)
            o << (c == 0 ? "\n  " : ",\n  ") << ChannelSpectrumJson(data, c);
        o << "\n]\n";
    });
}

} // namespace rovana::cli
