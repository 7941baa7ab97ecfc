#include "Twiddles.h"

#include <bit>
#include <cmath>
#include <new>

namespace rovana {

namespace {

constexpr double kTwoPi = 6.283185307179586;

} // namespace

void BuildTwiddleTable(TwiddleTable& table, int n)
{
    const auto step = static_cast<float>(kTwoPi / n);
    const auto count = static_cast<std::size_t>(n / 2);
    table.cosTable.resize(count);
    table.sinTable.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const float angle = static_cast<float>(i) * step;
        // Evaluated in double and rounded once: the correctly rounded value, whatever the
        // accuracy of the C library's float versions of cos and sin.
        table.cosTable[i] = static_cast<float>(std::cos(static_cast<double>(angle)));
        table.sinTable[i] = -static_cast<float>(std::sin(static_cast<double>(angle)));
    }
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
