#include "SummaryTable.h"

#include "NameTables.h"

#include <algorithm>
#include <cmath>

namespace rovana::summary {

namespace {

// A number rounded as the table shows it; none when it is not finite.
std::optional<double> Rounded(double value, int decimals)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return QString::asprintf("%.*f", decimals, value).toDouble();
}

} // namespace

void ValueTally::Add(const QString& value)
{
    const auto seen = m_Counts.find(value);
    if (seen != m_Counts.end()) {
        ++seen->count;
        return;
    }
    m_Counts.insert(value, {1, static_cast<int>(m_Counts.size())});
}

QString ValueTally::MostCommon() const
{
    if (m_Counts.isEmpty())
        return {};
    auto best = m_Counts.cbegin();
    for (auto it = m_Counts.cbegin(); it != m_Counts.cend(); ++it)
        if (it->count > best->count || (it->count == best->count && it->order < best->order))
            best = it;
    return m_Counts.size() > 1 ? best.key() + QStringLiteral("等") : best.key();
}

void SummaryTally::Add(const SummaryRow& row)
{
    SummaryStatistics& s = m_Statistics;
    ++s.bolts;
    if (!row.readable) {
        ++s.unreadable;
        return;
    }
    if (const QString p = row.projectName.trimmed(); !p.isEmpty())
        m_Projects.Add(p);
    if (const QString u = row.testUnit.trimmed(); !u.isEmpty())
        m_Units.Add(u);
    if (row.review)
        ++s.review;
    if (row.verdict == Verdict::NotEvaluated) {
        ++s.notEvaluated;
    } else {
        ++s.evaluated;
        if (row.verdict == Verdict::Pass)
            ++s.passed;
        for (std::size_t k = 0; k < kQualityClassNames.size(); ++k)
            if (row.qualityClass.compare(kQualityClassNames[k], Qt::CaseInsensitive) == 0)
                ++s.classCounts[k];
        for (std::size_t k = 0; k < kGradeNames.size(); ++k)
            if (row.grade == kGradeNames[k])
                ++s.gradeCounts[k];
    }
    if (const auto length = CellOf(row, Column::MeasuredLength).number; length && *length != 0.0) {
        s.minLength = s.minLength ? std::min(*s.minLength, *length) : *length;
        s.maxLength = s.maxLength ? std::max(*s.maxLength, *length) : *length;
    }
    if (const auto ratio = CellOf(row, Column::LengthRatio).number) {
        m_RatioSum += *ratio;
        ++m_nRatios;
    }
}

SummaryStatistics SummaryTally::Statistics() const
{
    SummaryStatistics s = m_Statistics;
    s.passRate = Percent(s.passed, s.evaluated);
    if (m_nRatios > 0)
        s.meanRatio = Rounded(m_RatioSum / m_nRatios, 1);
    return s;
}

SummaryHeader SummaryTally::Header() const
{
    return {m_Projects.MostCommon(), m_Units.MostCommon()};
}

std::optional<double> Percent(int count, int of)
{
    if (of == 0)
        return std::nullopt;
    return Rounded(100.0 * count / of, 1);
}

SummaryStatistics ComputeStatistics(const std::vector<SummaryRow>& rows)
{
    SummaryTally tally;
    for (const SummaryRow& row : rows)
        tally.Add(row);
    return tally.Statistics();
}

SummaryHeader HeaderOf(const std::vector<SummaryRow>& rows)
{
    SummaryTally tally;
    for (const SummaryRow& row : rows)
        tally.Add(row);
    return tally.Header();
}

QString StatisticsLine::ValueText() const
{
    return value ? QString::asprintf("%.*f", decimals, *value) : QStringLiteral("—");
}

QString StatisticsLine::ShareText() const
{
    if (!hasShare)
        return {};
    return share ? QString::asprintf("%.1f%%", *share) : QStringLiteral("—");
}

std::vector<StatisticsLine> StatisticsLines(const SummaryStatistics& s)
{
    const auto count = [](const QString& label, int n) {
        return StatisticsLine{label, n, 0, std::nullopt, false};
    };
    std::vector<StatisticsLine> lines = {
        count(QStringLiteral("锚杆总数"), s.bolts),
        count(QStringLiteral("已评定"), s.evaluated),
        count(QStringLiteral("未评定"), s.notEvaluated),
        count(QStringLiteral("无法读取"), s.unreadable),
    };
    for (std::size_t k = 0; k < kQualityClassNames.size(); ++k)
        lines.push_back({QStringLiteral("锚固质量等级 %1类").arg(kQualityClassNames[k]),
                         s.classCounts[k], 0, Percent(s.classCounts[k], s.evaluated), true});
    for (std::size_t k = 0; k < kGradeNames.size(); ++k)
        lines.push_back({QStringLiteral("密实度等级 %1").arg(kGradeNames[k].left(1)),
                         s.gradeCounts[k], 0, Percent(s.gradeCounts[k], s.evaluated), true});
    lines.push_back({QStringLiteral("合格率(%)"), s.passRate, 1, std::nullopt, false});
    lines.push_back({QStringLiteral("最短实测长度(m)"), s.minLength, 2, std::nullopt, false});
    lines.push_back({QStringLiteral("最长实测长度(m)"), s.maxLength, 2, std::nullopt, false});
    lines.push_back({QStringLiteral("平均长度比(%)"), s.meanRatio, 1, std::nullopt, false});
    lines.push_back(count(QStringLiteral("请复核"), s.review));
    return lines;
}

} // namespace rovana::summary
