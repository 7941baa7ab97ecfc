#include "InstrumentRange.h"

#include <cmath>

namespace rovana {

namespace {

QString LengthOutOfRange(const QString& what, float metres)
{
    if (std::isfinite(metres) && metres <= kMaxDesignLength)
        return {};
    return QStringLiteral("%1 %2 m 超出仪器范围（不超过 %3 m）")
        .arg(what, QString::number(static_cast<double>(metres)))
        .arg(static_cast<double>(kMaxDesignLength));
}

} // namespace

QString HeaderOutOfRange(const TestRecord& record)
{
    const int interval = record.m_nSampleInterval;
    if (interval < kMinSampleIntervalUs || interval > kMaxSampleIntervalUs)
        return QStringLiteral("采样间隔 %1 µs 超出仪器范围（%2–%3 µs）")
            .arg(interval)
            .arg(kMinSampleIntervalUs)
            .arg(kMaxSampleIntervalUs);
    const int speed = record.m_nWaveSpeed;
    if (speed < kMinWaveSpeed || speed > kMaxWaveSpeed)
        return QStringLiteral("波速 %1 m/s 超出仪器范围（%2–%3 m/s）")
            .arg(speed)
            .arg(kMinWaveSpeed)
            .arg(kMaxWaveSpeed);
    if (QString why = LengthOutOfRange(QStringLiteral("设计长度"), record.m_fDesignLength);
        !why.isEmpty())
        return why;
    return LengthOutOfRange(QStringLiteral("设计自由端长度"), record.m_fDesignL0);
}

} // namespace rovana
