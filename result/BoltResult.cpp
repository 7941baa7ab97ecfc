#include "BoltResult.h"

#include "InstrumentRange.h"
#include "NameTables.h"
#include "TestDate.h"

#include <cmath>
#include <cstdint>

namespace rovana {

namespace {

bool IsIndex(int value)
{
    return value >= 0 && value <= 3;
}

// A value as "%0.2f" shows it.
double Shown(float metres)
{
    return std::round(static_cast<double>(metres) * 100.0) / 100.0;
}

} // namespace

float UncutMarkerDistance(const TestRecord& record, int a, int b)
{
    const float u = static_cast<float>(record.m_nSampleInterval / 1000000.0);
    const double d = static_cast<double>(static_cast<std::int64_t>(a) - b);
    return static_cast<float>(static_cast<double>(u) * d * record.m_nWaveSpeed * 0.5);
}

float MarkerDistance(const TestRecord& record, int a, int b)
{
    const float w = UncutMarkerDistance(record, a, b);
    return static_cast<float>(std::trunc(static_cast<double>(w) * 100.0) / 100.0);
}

std::optional<double> ShownLengthRatio(float length, float designLength)
{
    const double l = Shown(length);
    const double design = Shown(designLength);
    if (!std::isfinite(l) || !std::isfinite(design) || l == 0.0 || design == 0.0)
        return std::nullopt;
    return std::round(l / design * 1000.0) / 10.0;
}

ChannelResult ChannelResultOf(const TestRecord& record, int channel)
{
    ChannelResult r;
    if (channel < 0 || channel >= kChannelCount)
        return r;
    r.channel = channel;
    const auto c = static_cast<std::size_t>(channel);
    const auto& m = record.m_nMarkers[c];
    r.measured = m[kMarkerEnd] > 0 && m[kMarkerBottom] > 0 && HeaderOutOfRange(record).isEmpty();
    if (!r.measured)
        return r; // no length, no class: a grade alone is no evaluation
    r.freeLength = record.m_fMeasured[c][0];
    r.anchorLength = record.m_fMeasured[c][1];
    r.length = r.freeLength + r.anchorLength;
    if (IsIndex(record.m_nGrade[c]) && IsIndex(record.m_nQualityClass[c])) {
        r.grade = record.m_nGrade[c];
        r.qualityClass = record.m_nQualityClass[c];
    }
    // The sheet draws the defect under its rod, grouted part and trace: the same markers
    // and a time base are needed here.
    const bool drawn = record.m_nMarkedChannels >= 1 && m[kMarkerFreeEnd] > 0 &&
                       m[kMarkerDefectStart] > 0 && m[kMarkerDefectEnd] > 0 &&
                       record.m_nSampleInterval > 0 && UsableSampleCount(record) > 0;
    if (drawn) {
        DefectRange d;
        d.from = MarkerDistance(record, m[kMarkerDefectStart], m[kMarkerEnd]);
        d.to = MarkerDistance(record, m[kMarkerDefectEnd], m[kMarkerEnd]);
        d.beyondBottom =
            m[kMarkerDefectStart] > m[kMarkerBottom] || m[kMarkerDefectEnd] > m[kMarkerBottom];
        r.defect = d;
    }
    return r;
}

Verdict VerdictOf(const ChannelResult& result)
{
    if (!result.Evaluated())
        return Verdict::NotEvaluated;
    return result.qualityClass == 3 ? Verdict::Fail : Verdict::Pass;
}

QString VerdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Pass:
        return QStringLiteral("合格");
    case Verdict::Fail:
        return QStringLiteral("不合格");
    case Verdict::NotEvaluated:
        break;
    }
    return QStringLiteral("未评定");
}

BoltResult ResultOf(const TestRecord& record)
{
    BoltResult b;
    const bool saved = record.m_bInfoSaved == 1;
    b.boltNo = saved && !record.m_strBoltNo.isEmpty() ? record.m_strBoltNo : record.m_strFile;
    b.testDate = saved && !record.m_strTestDate.isEmpty() ? record.m_strTestDate
                                                          : FormatDate(record.m_tTestDate);
    b.designLength = record.m_fDesignLength;
    b.designFreeLength = record.m_fDesignL0;
    b.headerProblem = HeaderOutOfRange(record);
    b.report = ChannelResultOf(record, record.m_nReportChannel);
    b.verdict = VerdictOf(b.report);
    if (b.report.measured)
        b.lengthRatio = ShownLengthRatio(b.report.length, b.designLength);
    return b;
}

QString BoltResult::GradeText() const
{
    return NameAt(kGradeNames, report.grade);
}

QString BoltResult::ClassText() const
{
    return NameAt(kQualityClassNames, report.qualityClass);
}

} // namespace rovana
