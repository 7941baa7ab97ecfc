// libFuzzer target with volume: every input is a hostile ".mg" file for the reader alone
// (see CheckRecordBytes).
#include "RecordFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return rovana::fuzz::CheckRecordBytes(data, size);
}
