#pragma once

#include <cstddef>
#include <cstdint>

namespace rovana::fuzz {

// The reader alone, fast enough for volume: one hostile ".mg" file read from memory into a
// record that holds the previous input. Aborts on a broken promise: a refused load that
// changed the record, a loaded record outside its invariants (the report title, nothing
// past the 2048 valid samples, a sample count that UsableSampleCount keeps in 0..2048), or
// a second load of the same bytes that differs from the first. Returns 0, as libFuzzer
// expects.
int CheckRecordBytes(const std::uint8_t* data, std::size_t size);

} // namespace rovana::fuzz
