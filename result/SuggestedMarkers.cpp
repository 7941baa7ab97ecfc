#include "SuggestedMarkers.h"

#include "BoltResult.h"
#include "InstrumentRange.h"

#include <cmath>
#include <cstdint>
#include <span>

namespace rovana {

namespace {

// Metres from sample b to sample a as the channel view computes them, uncut.
float UncutLength(const TestRecord& record, int a, int b)
{
    const float u = static_cast<float>(record.m_nSampleInterval / 1000000.0);
    const double d = static_cast<double>(static_cast<std::int64_t>(a) - b);
    return static_cast<float>(static_cast<double>(u) * d * record.m_nWaveSpeed * 0.5);
}

pick::PickInput InputOf(const TestRecord& record, int channel)
{
    const auto& samples = record.m_nSamples[static_cast<std::size_t>(channel)];
    pick::PickInput in;
    in.samples = std::span<const std::int16_t>(samples.data(),
                                               static_cast<std::size_t>(UsableSampleCount(record)));
    in.sampleIntervalUs = record.m_nSampleInterval;
    in.waveSpeed = record.m_nWaveSpeed;
    in.designLength = record.m_fDesignLength;
    in.designFreeLength = record.m_fDesignL0;
    return in;
}

SuggestedMarkers Described(const TestRecord& record, int channel, pick::PickResult picked)
{
    SuggestedMarkers s;
    s.channel = channel;
    s.pick = std::move(picked);
    const auto& p = s.pick;
    // No lengths from a header no instrument wrote; the reason goes first.
    const QString header = HeaderOutOfRange(record);
    if (!header.isEmpty()) {
        s.reasons.append(header);
    } else {
        if (p.end && p.bottom)
            s.length = UncutLength(record, p.bottom->sample, p.end->sample);
        if (p.end && p.freeEnd)
            s.freeLength = MarkerDistance(record, p.freeEnd->sample, p.end->sample);
        if (s.length && s.freeLength)
            s.anchorLength = *s.length - *s.freeLength;
    }
    for (pick::PickReason reason : p.reasons) {
        const QString text = PickReasonText(reason);
        if (!text.isEmpty())
            s.reasons.append(text);
    }
    return s;
}

} // namespace

QString PickReasonText(pick::PickReason reason)
{
    switch (reason) {
    case pick::PickReason::BottomNotClear:
        return QStringLiteral("底部反射不明显");
    case pick::PickReason::FreeEndNotClear:
        return QStringLiteral("自由端不明显");
    case pick::PickReason::NoBlow:
        return QStringLiteral("未找到敲击信号");
    case pick::PickReason::NoTimeBase:
        return QStringLiteral("采样间隔或波速无效");
    case pick::PickReason::SuspectedMultiple:
        return QStringLiteral("疑似自由段多次反射");
    case pick::PickReason::None:
        break;
    }
    return {};
}

RecordSuggestions SuggestAllChannels(const TestRecord& record)
{
    std::array<pick::PickInput, kChannelCount> inputs;
    for (int c = 0; c < kChannelCount; ++c)
        inputs[static_cast<std::size_t>(c)] = InputOf(record, c);
    pick::ChannelsPicked picked = pick::PickChannels(inputs);
    RecordSuggestions all;
    all.compared = picked.compared;
    for (int c = 0; c < kChannelCount; ++c) {
        const auto i = static_cast<std::size_t>(c);
        all.channels[i] = Described(record, c, std::move(picked.channels[i]));
        all.channels[i].agreeing = picked.agreeing[i];
    }
    return all;
}

SuggestedMarkers SuggestMarkers(const TestRecord& record, int channel)
{
    if (channel < 0 || channel >= kChannelCount) {
        SuggestedMarkers s;
        s.channel = channel;
        s.reasons.append(QStringLiteral("通道不存在"));
        return s;
    }
    return std::move(SuggestAllChannels(record).channels[static_cast<std::size_t>(channel)]);
}

SavedBottomCheck CheckSavedBottom(const TestRecord& record)
{
    SavedBottomCheck check;
    const BoltResult result = ResultOf(record);
    const int channel = result.report.channel;
    if (channel < 0 || channel >= kChannelCount)
        return check;
    std::array<pick::PickInput, kChannelCount> inputs;
    for (int c = 0; c < kChannelCount; ++c)
        inputs[static_cast<std::size_t>(c)] = InputOf(record, c);
    const pick::ChannelBottom found = pick::PickChannelBottom(inputs, channel);
    // No lengths from a header no instrument wrote; the reason goes first.
    const QString header = HeaderOutOfRange(record);
    if (!header.isEmpty())
        check.reasons.append(header);
    else if (found.end && found.bottom)
        check.suggestedLength = UncutLength(record, *found.bottom, *found.end);
    if (!found.bottom && found.reason != pick::PickReason::None)
        check.reasons.append(PickReasonText(found.reason));
    JudgeSavedBottom(check, result);
    return check;
}

void JudgeSavedBottom(SavedBottomCheck& check, const BoltResult& result)
{
    const int channel = result.report.channel;
    check.saved = channel >= 0 && channel < kChannelCount && result.report.measured;
    const double saved = result.report.length;
    check.confirmed =
        check.saved && check.suggestedLength && saved > 0.0 &&
        std::abs(static_cast<double>(*check.suggestedLength) - saved) <= kConfirmShare * saved;
    check.review = check.saved && !check.confirmed;
}

} // namespace rovana
