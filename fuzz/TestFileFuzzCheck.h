#pragma once

#include <cstddef>
#include <cstdint>

namespace rovana::fuzz {

// Puts one hostile ".mg" file through everything a file reaches: the reader (from memory
// and from disk), the spectrum and the filter of each channel, the result sheet's layout,
// the summary's row, the echo picker, the processing chain with hostile settings (the
// bytes past 13312 choose them; ReachFuzzCheck.h) and both writers with a reload. Aborts on a
// broken promise: a refused load that changed the record, a loaded record outside its invariants, a
// writer that changed the length or bytes it does not own, a reload that differs from what was
// saved. Files go to a temporary folder of its own. Returns 0, as libFuzzer expects.
int CheckTestFileBytes(const std::uint8_t* data, std::size_t size);

} // namespace rovana::fuzz
