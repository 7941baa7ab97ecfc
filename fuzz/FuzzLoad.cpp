// libFuzzer target: every input is a hostile ".mg" file (see CheckTestFileBytes).
#include "TestFileFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return rovana::fuzz::CheckTestFileBytes(data, size);
}
