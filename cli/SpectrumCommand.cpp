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
std::string ChannelSpectrumJson(const CFileData& data, int channel)
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
    const auto data = LoadSingleFile(args, err);
    if (!data)
        return 1;
    out << "[";
    for (int c = 0; c < kChannelCount; ++c)
        out << (c == 0 ? "\n  " : ",\n  ") << ChannelSpectrumJson(*data, c);
    out << "\n]\n";
    return 0;
}

} // namespace rovana::cli
