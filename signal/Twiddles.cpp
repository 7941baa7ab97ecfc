#include "Twiddles.h"

#include <bit>
#include <cmath>
#include <new>

namespace rovana {

namespace {

constexpr double kTwoPi = 6.283185307179586;

} // namespace

namespace {

void BuildTextbookTable(TwiddleTable& table, std::size_t n)
{
    const auto step = static_cast<float>(kTwoPi / static_cast<double>(n));
    const std::size_t count = n / 2;
    table.cosTable.resize(count);
    table.sinTable.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const float angle = static_cast<float>(i) * step;
        // Evaluated in double and rounded once to float, so that the tables do not depend
        // on the accuracy of the C library's float versions of cos and sin.
        table.cosTable[i] = static_cast<float>(std::cos(static_cast<double>(angle)));
        table.sinTable[i] = -static_cast<float>(std::sin(static_cast<double>(angle)));
    }
}

void BuildStageTables(TwiddleTable& table, std::size_t n)
{
    table.stageCos.assign(n, 0.0f);
    table.stageSin.assign(n, 0.0f);
    for (std::size_t h = 1; h < n; h *= 2) {
        const std::size_t stride = n / (2 * h);
        for (std::size_t j = 0; j < h; ++j) {
            table.stageCos[h + j] = table.cosTable[j * stride];
            table.stageSin[h + j] = table.sinTable[j * stride];
        }
    }
}

// The exchanges of the textbook bit-reversal loop, recorded once.
void BuildBitReversal(TwiddleTable& table, std::size_t n)
{
    table.bitReversalSwaps.clear();
    std::size_t j = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (i < j)
            table.bitReversalSwaps.emplace_back(static_cast<std::uint32_t>(i),
                                                static_cast<std::uint32_t>(j));
        std::size_t k = n / 2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }
}

} // namespace

void BuildTwiddleTable(TwiddleTable& table, int n)
{
    const auto size = static_cast<std::size_t>(n);
    BuildTextbookTable(table, size);
    BuildStageTables(table, size);
    BuildBitReversal(table, size);
}

TwiddleCache::TwiddleCache(std::pmr::memory_resource* memory) : m_pMemory(memory) {}

TwiddleCache::~TwiddleCache() = default;

const TwiddleTable* TwiddleCache::Get(int n)
{
    if (n < 1 || !std::has_single_bit(static_cast<unsigned int>(n)))
        return nullptr;
    const int exponent = std::countr_zero(static_cast<unsigned int>(n));
    if (exponent > kMaxExponent)
        return nullptr;
    auto& slot = m_pTables[static_cast<std::size_t>(exponent)];
    if (slot)
        return slot.get();
    try {
        auto table = std::make_unique<TwiddleTable>(m_pMemory);
        BuildTwiddleTable(*table, n);
        slot = std::move(table);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return slot.get();
}

TwiddleCache& ThreadTwiddleCache()
{
    thread_local TwiddleCache cache;
    return cache;
}

} // namespace rovana
