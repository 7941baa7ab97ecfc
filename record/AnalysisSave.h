#pragma once

#include "MgFileIo.h"
#include "TestRecord.h"

#include <array>
#include <functional>

namespace rovana {

// What one channel view and the evaluation panel hand over for one channel.
struct ChannelAnalysis
{
    std::array<bool, kMarkerCount> markerSet{}; // end, free end, bottom, defect start, end
    std::array<int, kMarkerCount> markerPos{};  // sample index, used where set
    float measuredL0 = 0.0f;                    // m, stored only with the free end set
    float measuredLr = 0.0f;                    // m, stored only with the bottom set
    int grade = -1;                             // 0..3 or -1
    int qualityClass = -1;                      // 0..3 or -1
    float anchor = 0.0f;                        // anchorage length shown in the panel, m
};

struct AnalysisValues
{
    std::array<ChannelAnalysis, kChannelCount> channels{};
    int activeChannel = 0; // written as the report channel
    int waveSpeed = 0;     // m/s, into the acquisition block
};

// Patches the analysis block and the wave speed of a copy of the source's bytes.
// Bytes 0..3 get the number of channels with an end, free-end or bottom marker, but
// only when that number is at least 1. Every other byte keeps its value.
void PatchAnalysis(QByteArray& bytes, const AnalysisValues& values);

// The same change on a record in memory: what LoadFromBytes reads back from the patched
// bytes, field for field.
void ApplyAnalysis(TestRecord& record, const AnalysisValues& values);

// How a save patches the bytes it read.
using AnalysisPatch = std::function<void(QByteArray& bytes, const AnalysisValues& values)>;

// Reads `source` whole, patches it (PatchAnalysis unless told otherwise) and writes it to
// `target` (which may be the source) crash-safely. The length never changes; on failure
// the target stays as it was.
WriteResult SaveAnalysis(const QString& source, const QString& target, const AnalysisValues& values,
                         const WriteOptions& options = {},
                         const AnalysisPatch& patch = PatchAnalysis);

} // namespace rovana
