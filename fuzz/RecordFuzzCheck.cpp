#include "RecordFuzzCheck.h"

#include "FuzzRequire.h"
#include "TestRecord.h"

#include <algorithm>

namespace rovana::fuzz {

int CheckRecordBytes(const std::uint8_t* data, std::size_t size)
{
    static TestRecord record;
    // A record holding NaN cannot be compared with operator==; start such a run afresh.
    if (!(record == record))
        record = TestRecord();
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const TestRecord before = record;
    const LoadResult result = record.LoadFromBytes(bytes);
    if (!result) {
        Require(record == before, "a refused load changed the record");
        Require(!result.message().isEmpty(), "a refused load without a message");
        return 0;
    }
    Require(record.m_strTitle == kReportTitle, "title");
    const int usable = UsableSampleCount(record);
    Require(usable >= 0 && usable <= kMaxSampleCount, "usable sample count");
    for (const auto& block : record.m_nSamples)
        Require(std::all_of(block.begin() + kMaxSampleCount, block.end(),
                            [](std::int16_t v) { return v == 0; }),
                "samples past 2048");
    // The same bytes read into a fresh record give the same record.
    TestRecord again;
    Require(static_cast<bool>(again.LoadFromBytes(bytes)), "a second load of the same bytes");
    if (record == record)
        Require(again == record, "the record depends on what the record held before");
    return 0;
}

} // namespace rovana::fuzz
