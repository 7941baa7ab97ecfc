#include "CliCommon.h"
#include "JsonWriter.h"
#include "LowPass.h"
#include "SignalCommands.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>

namespace rovana::cli {
namespace {

// One channel as the filter toggle treats it: the display buffer is cleared, then the
// filter runs from the raw copy (the channel's first 2048 samples) with the file's
// sampling interval and sample count. Samples 0..2047 of the display are listed.
std::string ChannelFilterJson(const TestRecord& data, int channel)
{
    const auto& samples = data.m_nSamples[static_cast<std::size_t>(channel)];
    std::array<std::int16_t, kMaxSampleCount> raw{};
    std::copy_n(samples.begin(), raw.size(), raw.begin());
    std::array<std::int16_t, kSampleBlockSize> display{};
    LowPass(display, raw, data.m_nSampleInterval, UsableSampleCount(data));
    return json::Array(std::span(display).first(kMaxSampleCount));
}

} // namespace

int RunFilter(const QStringList& args, std::ostream& out, std::ostream& err)
{
    static const char kUsage[] = "用法: rovana-cli filter FILE.mg\n"
                                 "以 JSON 数组输出三个通道低通滤波后的显示样本 0..2047。\n";
    return RunOnOneFile(args, out, err, kUsage, [](const TestRecord& data, std::ostream& o) {
        o << "[";
        for (int c = 0; c < kChannelCount; ++c)
            o << (c == 0 ? "\n  " : ",\n  ") << ChannelFilterJson(data, c);
        o << "\n]\n";
    });
}

} // namespace rovana::cli
