#include "AnalysisSave.h"

#include "ByteBuffer.h"
#include "MgLayout.h"

namespace rovana {

void PatchAnalysis(QByteArray& bytes, const AnalysisValues& values)
{
    int marked = 0;
    for (int c = 0; c < kChannelCount; ++c) {
        const ChannelAnalysis& ch = values.channels[c];
        for (int m = 0; m < kMarkerCount; ++m)
            WriteInt32(bytes, mg::kMarkers + 4 * (c * kMarkerCount + m),
                       ch.markerSet[m] ? ch.markerPos[m] : 0);
        const int eval = mg::kEvaluation + c * mg::kEvaluationStride;
        WriteInt32(bytes, eval, ch.grade);
        WriteInt32(bytes, eval + 4, ch.qualityClass);
        WriteFloat(bytes, eval + 8, ch.anchor);
        WriteFloat(bytes, mg::kMeasuredL0 + 4 * c,
                   ch.markerSet[kMarkerFreeEnd] ? ch.measuredL0 : 0.0f);
        WriteFloat(bytes, mg::kMeasuredLr + 4 * c,
                   ch.markerSet[kMarkerBottom] ? ch.measuredLr : 0.0f);
        if (ch.markerSet[kMarkerEnd] || ch.markerSet[kMarkerFreeEnd] || ch.markerSet[kMarkerBottom])
            ++marked;
    }
    if (marked >= 1)
        WriteInt32(bytes, mg::kMarkedChannels, marked);
    WriteInt32(bytes, mg::kReportChannel, values.activeChannel);
    WriteInt32(bytes, mg::kWaveSpeed, values.waveSpeed);
}

void ApplyAnalysis(TestRecord& record, const AnalysisValues& values)
{
    int marked = 0;
    for (std::size_t c = 0; c < kChannelCount; ++c) {
        const ChannelAnalysis& ch = values.channels[c];
        for (std::size_t m = 0; m < kMarkerCount; ++m)
            record.m_nMarkers[c][m] = ch.markerSet[m] ? ch.markerPos[m] : 0;
        record.m_nGrade[c] = ch.grade;
        record.m_nQualityClass[c] = ch.qualityClass;
        record.m_fPanelAnchor[c] = ch.anchor;
        record.m_fMeasured[c] = {ch.markerSet[kMarkerFreeEnd] ? ch.measuredL0 : 0.0f,
                                 ch.markerSet[kMarkerBottom] ? ch.measuredLr : 0.0f};
        if (ch.markerSet[kMarkerEnd] || ch.markerSet[kMarkerFreeEnd] || ch.markerSet[kMarkerBottom])
            ++marked;
    }
    if (marked >= 1)
        record.m_nMarkedChannels = marked;
    record.m_nReportChannel = values.activeChannel;
    record.m_nWaveSpeed = values.waveSpeed;
}

WriteResult SaveAnalysis(const QString& source, const QString& target, const AnalysisValues& values,
                         const WriteOptions& options, const AnalysisPatch& patch)
{
    auto bytes = ReadWholeTestFile(source);
    if (!bytes)
        return {WriteStatus::CannotRead, source};
    patch(*bytes, values);
    return WriteWholeFileSafely(target, *bytes, options);
}

} // namespace rovana
