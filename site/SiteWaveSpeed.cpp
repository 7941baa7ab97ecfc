#include "SiteWaveSpeed.h"

#include "BoltResult.h"
#include "QualityClass.h"

#include <cmath>

namespace rovana {

std::optional<int> CalibratedWaveSpeed(const TestRecord& record, int channel, double knownLength,
                                       QString* why)
{
    const auto fail = [why](const QString& text) {
        if (why)
            *why = text;
        return std::nullopt;
    };
    if (channel < 0 || channel >= kChannelCount)
        return fail(QStringLiteral("未选择通道"));
    const auto& m = record.m_nMarkers[static_cast<std::size_t>(channel)];
    if (m[kMarkerEnd] <= 0 || m[kMarkerBottom] <= 0)
        return fail(QStringLiteral("请先设置端部和底部"));
    if (m[kMarkerBottom] <= m[kMarkerEnd])
        return fail(QStringLiteral("底部应在端部之后"));
    if (!(knownLength > 0.0) || !std::isfinite(knownLength))
        return fail(QStringLiteral("已知长度应大于 0"));
    if (record.m_nSampleInterval <= 0)
        return fail(QStringLiteral("采样间隔无效"));
    // L = samples * dt / 1e6 * v / 2, solved for v.
    const double seconds =
        static_cast<double>(m[kMarkerBottom] - m[kMarkerEnd]) * record.m_nSampleInterval / 1e6;
    const double speed = std::round(2.0 * knownLength / seconds);
    if (speed < kLowestWaveSpeed || speed > kHighestWaveSpeed)
        return fail(QStringLiteral("标定波速 %1 m/s 超出 %2 至 %3 m/s")
                        .arg(speed, 0, 'f', 0)
                        .arg(kLowestWaveSpeed)
                        .arg(kHighestWaveSpeed));
    return static_cast<int>(speed);
}

AnalysisValues AnalysisAtWaveSpeed(const TestRecord& record, int waveSpeed)
{
    TestRecord at = record; // its speed changed: the length rule reads it from the record
    at.m_nWaveSpeed = waveSpeed;
    AnalysisValues values;
    for (std::size_t c = 0; c < kChannelCount; ++c) {
        const auto& m = record.m_nMarkers[c];
        ChannelAnalysis& ch = values.channels[c];
        for (std::size_t k = 0; k < kMarkerCount; ++k) {
            ch.markerSet[k] = m[k] > 0;
            ch.markerPos[k] = m[k];
        }
        ch.grade = record.m_nGrade[c];
        ch.qualityClass = record.m_nQualityClass[c];
        ch.anchor = record.m_fPanelAnchor[c];
        if (!ch.markerSet[kMarkerEnd] || !ch.markerSet[kMarkerBottom])
            continue;
        const float total = UncutMarkerDistance(at, m[kMarkerBottom], m[kMarkerEnd]);
        ch.measuredL0 = ch.markerSet[kMarkerFreeEnd]
                            ? MarkerDistance(at, m[kMarkerFreeEnd], m[kMarkerEnd])
                            : 0.0f;
        ch.measuredLr = total - ch.measuredL0;
        ch.anchor = ch.measuredLr;
        ch.qualityClass = DeriveQualityClass(ch.grade, record.m_fDesignLength, total);
    }
    values.activeChannel = record.m_nReportChannel;
    values.waveSpeed = waveSpeed;
    return values;
}

} // namespace rovana
