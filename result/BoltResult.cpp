#include "BoltResult.h"

#include "InstrumentRange.h"
#include "Lengths.h"
#include "NameTables.h"
#include "QualityClass.h"
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
    return MarkerLength(a, b, record.m_nSampleInterval, record.m_nWaveSpeed);
}

float MarkerDistance(const TestRecord& record, int a, int b)
{
    return TruncToCentimetres(UncutMarkerDistance(record, a, b));
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
    const auto at = [&record, channel](int marker) {
        const int p = StoredMarker(record, channel, marker);
        return p > 0 ? std::optional<int>(p) : std::nullopt;
    };
    const std::optional<ChannelLengths> lengths =
        LengthsOf(at(kMarkerEnd), at(kMarkerFreeEnd), at(kMarkerBottom), record.m_nSampleInterval,
                  record.m_nWaveSpeed);
    r.measured = lengths.has_value() && HeaderOutOfRange(record).isEmpty();
    if (!r.measured)
        return r; // no length, no class: a grade alone is no evaluation
    // The lengths the markers give at the record's wave speed, never the stored copies.
    r.freeLength = lengths->free.value_or(0.0f);
    r.anchorLength = lengths->anchored;
    r.length = lengths->total;
    const int qualityClass =
        DeriveQualityClass(record.m_nGrade[c], record.m_fDesignLength, lengths->total);
    if (IsIndex(record.m_nGrade[c]) && IsIndex(qualityClass)) {
        r.grade = record.m_nGrade[c];
        r.qualityClass = qualityClass;
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
