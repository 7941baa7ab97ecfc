#include "Selection.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace rovana::pick {

namespace {

// Below this many candidates a comparison-based selection is quicker than another pass.
constexpr std::size_t kFewCandidates = 32;
// Sixteen-bit keys spanning fewer values than this are counted value by value.
constexpr std::uint32_t kNarrowRange = 512;

// The float's bits mapped so that unsigned order is the floats' numeric order: negative
// values have every bit flipped, the others only the sign bit.
std::uint32_t OrderedKey(float v)
{
    const auto bits = std::bit_cast<std::uint32_t>(v);
    return (bits >> 31) != 0 ? ~bits : bits | 0x80000000u;
}

float ValueOf(std::uint32_t key)
{
    return std::bit_cast<float>((key >> 31) != 0 ? key & 0x7fffffffu : ~key);
}

// The key at index k of keys[0 .. count) sorted in unsigned order. Each pass counts the
// candidates by the eight bits from the highest bit in which they still differ down, and
// keeps those in the bucket holding the k-th; `keys` is reordered. `common` and `any` hold
// the bits set in every key and in some key.
std::uint32_t SelectKey(std::uint32_t* keys, std::size_t count, std::size_t k, std::uint32_t common,
                        std::uint32_t any)
{
    while (count > kFewCandidates) {
        const std::uint32_t differ = any & ~common;
        if (differ == 0)
            return keys[0]; // every candidate is the same value
        const int shift = std::max(0, 24 - std::countl_zero(differ));
        // Two tables, for even and odd places, so that a run of keys in one bucket does
        // not wait on its own previous count.
        std::array<std::array<std::uint32_t, 256>, 2> counts{};
        std::size_t i = 0;
        for (; i + 2 <= count; i += 2) {
            ++counts[0][(keys[i] >> shift) & 0xffu];
            ++counts[1][(keys[i + 1] >> shift) & 0xffu];
        }
        if (i < count)
            ++counts[0][(keys[i] >> shift) & 0xffu];
        std::uint32_t digit = 0;
        while (k >= counts[0][digit] + counts[1][digit]) {
            k -= counts[0][digit] + counts[1][digit];
            ++digit;
        }
        std::size_t kept = 0;
        for (i = 0; i < count; ++i) {
            const std::uint32_t key = keys[i];
            keys[kept] = key;
            kept += ((key >> shift) & 0xffu) == digit ? 1 : 0;
        }
        count = kept;
        common = ~0u;
        any = 0u;
        for (i = 0; i < count; ++i) {
            common &= keys[i];
            any |= keys[i];
        }
    }
    std::nth_element(keys, keys + k, keys + count);
    return keys[k];
}

// The value at index k (< n) of key(0) .. key(n - 1) sorted, keys of 16 bits: one pass
// counts them by their high byte, a second counts those in the bucket holding the k-th by
// their low byte. Two tables each, for even and odd places, so that a run of keys in one
// bucket does not wait on its own previous count.
template <class Key> std::uint32_t SelectSixteenBits(std::size_t n, std::size_t k, Key key)
{
    // Keys within a narrow range, as a quiet stretch of a record gives them, are counted
    // one by one in a table of that range: one pass, and little to clear and to scan.
    std::uint32_t lowest = 0xffffu, highest = 0u;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t v = key(i);
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
    }
    if (highest - lowest < kNarrowRange) {
        thread_local std::vector<std::uint32_t> table;
        table.assign(highest - lowest + 1, 0u);
        for (std::size_t i = 0; i < n; ++i)
            ++table[key(i) - lowest];
        auto rank = static_cast<std::uint32_t>(k);
        std::uint32_t value = 0;
        while (rank >= table[value])
            rank -= table[value++];
        return lowest + value;
    }
    std::array<std::array<std::uint32_t, 256>, 2> counts{};
    const auto bucket = [&](std::uint32_t& rank) {
        std::uint32_t digit = 0;
        while (rank >= counts[0][digit] + counts[1][digit]) {
            rank -= counts[0][digit] + counts[1][digit];
            ++digit;
        }
        return digit;
    };
    std::size_t i = 0;
    for (; i + 2 <= n; i += 2) {
        ++counts[0][key(i) >> 8];
        ++counts[1][key(i + 1) >> 8];
    }
    if (i < n)
        ++counts[0][key(i) >> 8];
    auto rank = static_cast<std::uint32_t>(k);
    const std::uint32_t high = bucket(rank);
    counts = {};
    for (i = 0; i + 2 <= n; i += 2) {
        const std::uint32_t a = key(i), b = key(i + 1);
        counts[0][a & 0xffu] += (a >> 8) == high ? 1u : 0u;
        counts[1][b & 0xffu] += (b >> 8) == high ? 1u : 0u;
    }
    if (i < n) {
        const std::uint32_t a = key(i);
        counts[0][a & 0xffu] += (a >> 8) == high ? 1u : 0u;
    }
    return (high << 8) | bucket(rank);
}

} // namespace

float KthSmallest(std::span<const float> values, std::size_t k)
{
    if (values.empty())
        return 0.0f;
    k = std::min(k, values.size() - 1);
    const std::size_t n = values.size();
    thread_local std::vector<std::uint32_t> keys;
    if (keys.size() < n)
        keys.resize(n);
    std::uint32_t common = ~0u, any = 0u;
    for (std::size_t i = 0; i < n; ++i) {
        keys[i] = OrderedKey(values[i]);
        common &= keys[i];
        any |= keys[i];
    }
    return ValueOf(SelectKey(keys.data(), n, k, common, any));
}

float MedianOf(std::span<const float> values)
{
    return KthSmallest(values, values.size() / 2);
}

std::int16_t MedianOf(std::span<const std::int16_t> counts)
{
    if (counts.empty())
        return 0;
    // Offset by 2^15, so that unsigned order is the counts' order.
    const std::uint32_t key =
        SelectSixteenBits(counts.size(), counts.size() / 2, [&](std::size_t i) {
            return static_cast<std::uint32_t>(static_cast<std::uint16_t>(counts[i]) ^ 0x8000u);
        });
    return static_cast<std::int16_t>(static_cast<int>(key) - 32768);
}

int MedianStep(std::span<const std::int16_t> counts)
{
    if (counts.size() < 2)
        return 0;
    const std::int16_t* const c = counts.data();
    return static_cast<int>(
        SelectSixteenBits(counts.size() - 1, (counts.size() - 1) / 2, [&](std::size_t i) {
            return static_cast<std::uint32_t>(std::abs(int{c[i + 1]} - int{c[i]}));
        }));
}

} // namespace rovana::pick
