#include "ReportContent.h"

#include "SiteStore.h"
#include "SummaryTable.h"

#include <QSet>

#include <algorithm>

namespace rovana::inspection {

RatioSeries::RatioSeries(int bolts) : m_nBolts(std::max(bolts, 0))
{
    const int slotCount = std::min(m_nBolts, kSlots);
    m_Slots.resize(static_cast<std::size_t>(slotCount));
    for (int s = 0; s < slotCount; ++s) {
        // Slot s holds bolts [s * bolts / slotCount, (s + 1) * bolts / slotCount).
        const auto begin = static_cast<int>(static_cast<qint64>(s) * m_nBolts / slotCount);
        const auto end = static_cast<int>(static_cast<qint64>(s + 1) * m_nBolts / slotCount);
        m_Slots[static_cast<std::size_t>(s)] = {begin, end - begin, {}, {}};
    }
}

void RatioSeries::Add(int index, const std::optional<double>& ratio)
{
    if (!ratio || index < 0 || index >= m_nBolts)
        return;
    // The slot whose range [s * bolts / slots, (s + 1) * bolts / slots) holds the bolt: the
    // last s with s * bolts / slots <= index.
    const auto slotCount = static_cast<qint64>(m_Slots.size());
    const auto s = static_cast<std::size_t>(
        ((static_cast<qint64>(index) + 1) * slotCount + m_nBolts - 1) / m_nBolts - 1);
    Slot& slot = m_Slots[s];
    slot.least = slot.least ? std::min(*slot.least, *ratio) : *ratio;
    slot.greatest = slot.greatest ? std::max(*slot.greatest, *ratio) : *ratio;
}

std::optional<double> RatioSeries::Least() const
{
    std::optional<double> least;
    for (const Slot& s : m_Slots)
        if (s.least)
            least = least ? std::min(*least, *s.least) : *s.least;
    return least;
}

std::optional<double> RatioSeries::Greatest() const
{
    std::optional<double> greatest;
    for (const Slot& s : m_Slots)
        if (s.greatest)
            greatest = greatest ? std::max(*greatest, *s.greatest) : *s.greatest;
    return greatest;
}

QString ReportContent::Conclusion() const
{
    const QString own = Settings()[ReportField::Conclusion];
    return own.trimmed().isEmpty() ? DefaultConclusion(summary.statistics) : own;
}

QString DefaultConclusion(const summary::SummaryStatistics& s)
{
    const QString rate = s.passRate ? QString::asprintf("%.1f", *s.passRate) : QStringLiteral("—");
    return QStringLiteral("本次共检测锚杆 %1 根，其中 I 类 %2 根、II 类 %3 根、III 类 %4 根、"
                          "IV 类 %5 根，合格率 %6 %。")
        .arg(s.bolts)
        .arg(s.classCounts[0])
        .arg(s.classCounts[1])
        .arg(s.classCounts[2])
        .arg(s.classCounts[3])
        .arg(rate);
}

QString QuestionBeforeWriting(const summary::SummaryStatistics& s)
{
    QString question;
    if (s.unreadable > 0)
        question += QStringLiteral("%1 个文件无法读取，").arg(s.unreadable);
    if (s.notEvaluated > 0)
        question += QStringLiteral("%1 根未评定，").arg(s.notEvaluated);
    if (s.review > 0)
        question += QStringLiteral("%1 根请复核，").arg(s.review);
    return question.isEmpty() ? question : question + QStringLiteral("仍然生成？");
}

std::unique_ptr<ReportContent> GatherReport(const QString& folder, const QStringList& files,
                                            const ReadProgress& progress, QString* why)
{
    auto content = std::make_unique<ReportContent>();
    content->folder = folder;
    content->files = files;
    const SiteStore store(folder);
    content->site = store.Site();
    content->siteWarning = store.Warning();
    const int total = static_cast<int>(files.size());
    if (progress && !progress(0, 2 * total))
        return nullptr;
    content->facts = GatherFacts(files);
    content->prefill = Prefill(content->site.report, content->facts);
    content->ratios = RatioSeries(total);

    summary::SummaryTally tally;
    QSet<QString> dates;
    ReportContent& c = *content;
    const auto take = [&](std::vector<summary::SummaryRow>& batch) {
        for (const summary::SummaryRow& row : batch) {
            if (!c.summary.rows.Append(row))
                return false;
            tally.Add(row);
            const BoltMention mention{row.boltNo, row.fileName, row.path, row.loadMessage};
            if (!row.readable) {
                c.unreadable.push_back(mention);
                continue;
            }
            if (row.verdict == Verdict::NotEvaluated)
                c.notEvaluated.push_back(mention);
            if (row.review)
                c.review.push_back(mention);
            if (!row.testDate.isEmpty())
                dates.insert(row.testDate);
            c.ratios.Add(row.index - 1, row.lengthRatio);
        }
        return true;
    };
    const auto read = [&](int done, int) { return !progress || progress(total + done, 2 * total); };
    if (!summary::ReadRowBatches(files, take, read)) {
        if (why)
            *why = c.summary.rows.ErrorString();
        return nullptr;
    }
    c.summary.statistics = tally.Statistics();
    c.summary.header = tally.Header();
    c.testDates = QStringList(dates.begin(), dates.end());
    c.testDates.sort();
    return content;
}

} // namespace rovana::inspection
