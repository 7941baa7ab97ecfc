// libFuzzer target for the ".mg" reader: any bytes must load or be refused cleanly,
// and a refused load must leave the record as it was.
#include "CFileData.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static rovana::CFileData record;
    const rovana::CFileData before = record;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const rovana::LoadResult result = record.LoadFromBytes(bytes);
    if (!result) {
        if (record.m_nSampleCount != before.m_nSampleCount ||
            record.m_strProject != before.m_strProject || record.m_nSamples != before.m_nSamples ||
            record.m_nMarkers != before.m_nMarkers)
            std::abort();
    } else if (record.m_nSampleCount < 0 || record.m_nSampleCount > 2048 ||
               record.m_strTitle != rovana::kReportTitle) {
        std::abort();
    }
    return 0;
}
