#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <vector>

namespace rovana {

// The twiddle factors of an N-point forward transform: for i = 0 .. N/2 - 1,
// t = i * (2 pi / N) rounded to float, cosTable[i] = cos t and sinTable[i] = -sin t.
// The butterflies never read an index at or above N/2, so the table stops there.
//
// For speed the same numbers are also laid out stage by stage: the stage that combines
// halves of h points reads factor j (j < h) from stageCos[h + j] and stageSin[h + j],
// which hold cosTable[j * N / (2h)] and sinTable[j * N / (2h)]. bitReversalSwaps lists the
// index pairs (i, j), i < j, that the bit-reversal permutation exchanges, in its order.
struct TwiddleTable
{
    explicit TwiddleTable(std::pmr::memory_resource* memory)
        : cosTable(memory), sinTable(memory), stageCos(memory), stageSin(memory),
          bitReversalSwaps(memory)
    {}

    std::pmr::vector<float> cosTable;
    std::pmr::vector<float> sinTable;
    std::pmr::vector<float> stageCos;
    std::pmr::vector<float> stageSin;
    std::pmr::vector<std::pair<std::uint32_t, std::uint32_t>> bitReversalSwaps;
};

// Fills `table` for an n-point transform (n a power of two). Throws std::bad_alloc when
// the memory resource cannot supply the entries.
void BuildTwiddleTable(TwiddleTable& table, int n);

// Twiddle tables built once per transform size and kept for later calls. The entries are
// the same numbers a fresh table would hold, so the cache never changes a result.
// Not thread-safe: give each thread its own cache (see ThreadTwiddleCache).
class TwiddleCache
{
public:
    explicit TwiddleCache(std::pmr::memory_resource* memory = std::pmr::new_delete_resource());
    ~TwiddleCache();
    TwiddleCache(const TwiddleCache&) = delete;
    TwiddleCache& operator=(const TwiddleCache&) = delete;

    // The table for an n-point transform, n a power of two from 1 to 2^30. nullptr when
    // n is not such a size or the memory for the table could not be allocated.
    const TwiddleTable* Get(int n);

private:
    static constexpr int kMaxExponent = 30;

    std::pmr::memory_resource* m_pMemory;
    std::array<std::unique_ptr<TwiddleTable>, kMaxExponent + 1> m_pTables;
};

// The calling thread's own cache, created on first use and freed when the thread ends.
TwiddleCache& ThreadTwiddleCache();

} // namespace rovana
