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
std::string ChannelFilterJson(const CFileData& data, int channel)
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
    const auto data = LoadSingleFile(args, err);
    if (!data)
        return 1;
    out << "[";
    for (int c = 0; c < kChannelCount; ++c)
        out << (c == 0 ? "\n  " : ",\n  ") << ChannelFilterJson(*data, c);
    out << "\n]\n";
    return 0;
}

} // namespace rovana::cli
