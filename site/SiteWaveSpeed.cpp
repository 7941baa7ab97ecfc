#include "SiteWaveSpeed.h"

#include "Lengths.h"
#include "TestEdit.h"

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
    const double speed = std::round(
        SpeedForLength(m[kMarkerBottom] - m[kMarkerEnd], record.m_nSampleInterval, knownLength)
            .value_or(0.0));
    if (speed < kLowestWaveSpeed || speed > kHighestWaveSpeed)
        return fail(QStringLiteral("标定波速 %1 m/s 超出 %2 至 %3 m/s")
                        .arg(speed, 0, 'f', 0)
                        .arg(kLowestWaveSpeed)
                        .arg(kHighestWaveSpeed));
    return static_cast<int>(speed);
}

AnalysisValues AnalysisAtWaveSpeed(const TestRecord& record, int waveSpeed)
{
    EditInputs inputs = InputsOf(record);
    inputs.waveSpeed = waveSpeed;
    return AnalysisOf(record, inputs);
}

} // namespace rovana
