#include "SiteFacts.h"

#include "BoltResult.h"
#include "NameTables.h"
#include "TestRecord.h"

#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>

namespace rovana::inspection {

namespace {

// The report fields the files' report information holds.
struct CarriedField
{
    ReportField field;
    QString TestRecord::*member;
};
constexpr CarriedField kCarried[] = {
    {ReportField::ProjectName, &TestRecord::m_strProjectName},
    {ReportField::TestUnit, &TestRecord::m_strTestUnit},
    {ReportField::Basis, &TestRecord::m_strTestBasis},
    {ReportField::Instrument, &TestRecord::m_strInstrument},
    {ReportField::Testers, &TestRecord::m_strTester},
};

SiteFacts FactsOf(const QString& path)
{
    SiteFacts facts;
    facts.files = 1;
    TestRecord record;
    if (!record.LoadInPlace(path))
        return facts;
    facts.readable = 1;
    const QString type = NameAt(kBoltTypeNames, record.m_nBoltType);
    facts.boltTypes.Add(type.isEmpty() ? QStringLiteral("未填写") : type);
    facts.designLengths.Add(
        QString::asprintf("%.2f", static_cast<double>(ResultOf(record).designLength)));
    facts.intervals.Add(QString::number(record.m_nSampleInterval));
    facts.sampleCounts.Add(QString::number(record.m_nSampleCount));
    if (record.m_bInfoSaved != 0)
        for (const CarriedField& c : kCarried)
            if (const QString value = (record.*c.member).trimmed(); !value.isEmpty())
                facts.carried[static_cast<std::size_t>(c.field)].Add(value);
    return facts;
}

void Merge(SiteFacts& into, const SiteFacts& one)
{
    into.files += one.files;
    into.readable += one.readable;
    into.boltTypes.Merge(one.boltTypes);
    into.designLengths.Merge(one.designLengths);
    into.intervals.Merge(one.intervals);
    into.sampleCounts.Merge(one.sampleCounts);
    for (std::size_t f = 0; f < into.carried.size(); ++f)
        into.carried[f].Merge(one.carried[f]);
}

} // namespace

void ValueCounter::Add(const QString& value, int count)
{
    for (ValueCount& seen : m_Values)
        if (seen.value == value) {
            seen.count += count;
            return;
        }
    m_Values.push_back({value, count});
}

void ValueCounter::Merge(const ValueCounter& other)
{
    for (const ValueCount& v : other.m_Values)
        Add(v.value, v.count);
}

QString CountsText(std::vector<ValueCount> values, const QString& unit, bool byNumber)
{
    if (byNumber)
        std::stable_sort(values.begin(), values.end(),
                         [](const ValueCount& a, const ValueCount& b) {
                             return a.value.toDouble() < b.value.toDouble();
                         });
    QStringList parts;
    for (const ValueCount& v : values)
        parts << QStringLiteral("%1（%2 %3）").arg(v.value).arg(v.count).arg(unit);
    return parts.isEmpty() ? QStringLiteral("—") : parts.join(QStringLiteral("、"));
}

SiteFacts GatherFacts(const QStringList& files)
{
    // Merged in the files' order, so that "first seen" follows the table.
    return QtConcurrent::blockingMappedReduced<SiteFacts>(
        files, FactsOf, Merge, QtConcurrent::OrderedReduce | QtConcurrent::SequentialReduce);
}

ReportPrefill Prefill(const ReportSettings& given, const SiteFacts& facts)
{
    ReportPrefill p;
    p.settings = given;
    for (std::size_t f = 0; f < facts.carried.size(); ++f) {
        if (!given.values[f].trimmed().isEmpty())
            continue;
        const std::vector<ValueCount>& values = facts.carried[f].Values();
        if (values.size() == 1) {
            p.settings.values[f] = values.front().value;
            p.prefilled[f] = true;
        } else if (values.size() > 1) {
            p.settings.values[f].clear();
            p.disagreeing[f] = true;
        }
    }
    return p;
}

} // namespace rovana::inspection
