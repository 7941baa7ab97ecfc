#pragma once

#include "ReportSettings.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace rovana::inspection {

// How often one value was seen among the files, in the order first seen.
struct ValueCount
{
    QString value;
    int count = 0;
    friend bool operator==(const ValueCount&, const ValueCount&) = default;
};

// Counts values in the order they are first seen; a site has few distinct ones.
class ValueCounter
{
public:
    void Add(const QString& value, int count = 1);
    void Merge(const ValueCounter& other);
    const std::vector<ValueCount>& Values() const { return m_Values; }

private:
    std::vector<ValueCount> m_Values;
};

// "全长粘结锚杆（12 根）、预应力锚杆（3 根）": each value with its count and unit, in the
// order first seen or, `byNumber`, by the values as numbers; "—" when there is none.
QString CountsText(std::vector<ValueCount> values, const QString& unit, bool byNumber = false);

// What the report says about a site besides each bolt's result, as the files give it: the
// bolt types and design lengths their sheets print, the sampling of their records, and the
// report information they carry for the report settings' prefill. Counted among the files
// that can be read.
struct SiteFacts
{
    int files = 0;
    int readable = 0;
    ValueCounter boltTypes;     // the sheet's "锚杆类型"; "未填写" where it names none
    ValueCounter designLengths; // "3.00" (m, as the summary shows it)
    ValueCounter intervals;     // "10" (µs)
    ValueCounter sampleCounts;  // "2048"
    // Per report field, the values the files carry (trimmed, empty ones left out): 工程名称,
    // 检测单位, 检测依据, 仪器型号 and 检测人员 from the report information; none for the rest.
    std::array<ValueCounter, kReportFieldCount> carried;
};

// Reads each file's header and report information (in parallel); a file that cannot be
// read counts only in `files`.
SiteFacts GatherFacts(const QStringList& files);

// The report settings as the report prints them: each field given in `given`, else the
// one value every file that carries one agrees on (ReportPrefill), else empty.
struct ReportPrefill
{
    ReportSettings settings;
    // Fields left empty because the files carry different values.
    std::array<bool, kReportFieldCount> disagreeing{};
    // Fields taken from the files.
    std::array<bool, kReportFieldCount> prefilled{};
};
ReportPrefill Prefill(const ReportSettings& given, const SiteFacts& facts);

} // namespace rovana::inspection
