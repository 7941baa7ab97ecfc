#include "Selection.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rovana::pick {

namespace {

// Below this many candidates a comparison-based selection is quicker than another pass.
constexpr std::size_t kFewCandidates = 32;

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

// How many of `values` are at most `level`, eight at a time.
std::size_t CountAtMost(const std::int16_t* values, std::size_t n, std::int16_t level)
{
    std::size_t i = 0, above = 0;
#if defined(__SSE2__)
    const __m128i bound = _mm_set1_epi16(level);
    const __m128i ones = _mm_set1_epi16(1);
    while (i + 8 <= n) {
        // Each lane counts at most 4096 in a round, its two halves together as well: well
        // inside 16 bits.
        const std::size_t end = i + std::min<std::size_t>((n - i) / 8, 4096) * 8;
        __m128i lanes = _mm_setzero_si128(), more = _mm_setzero_si128();
        for (; i + 16 <= end; i += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + i + 8));
            lanes = _mm_sub_epi16(lanes, _mm_cmpgt_epi16(a, bound));
            more = _mm_sub_epi16(more, _mm_cmpgt_epi16(b, bound));
        }
        for (; i < end; i += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + i));
            lanes = _mm_sub_epi16(lanes, _mm_cmpgt_epi16(v, bound));
        }
        lanes = _mm_add_epi16(lanes, more);
        alignas(16) std::int32_t sums[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(sums), _mm_madd_epi16(lanes, ones));
        above += static_cast<std::size_t>(sums[0]) + static_cast<std::size_t>(sums[1]) +
                 static_cast<std::size_t>(sums[2]) + static_cast<std::size_t>(sums[3]);
    }
#endif
    for (; i < n; ++i)
        above += values[i] > level ? 1 : 0;
    return n - above;
}

// The value at index k (< n) of values[0 .. n) sorted: the least value that more than k
// values are at most, found by halving the range between the least and the largest
// value, one count of the values per halving (at most sixteen).
std::int16_t SelectSixteenBits(const std::int16_t* values, std::size_t n, std::size_t k)
{
    std::int16_t least = values[0], largest = values[0];
    std::size_t i = 0;
#if defined(__SSE2__)
    if (n >= 8) {
        __m128i lower = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values));
        __m128i upper = lower;
        for (i = 8; i + 8 <= n; i += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + i));
            lower = _mm_min_epi16(lower, v);
            upper = _mm_max_epi16(upper, v);
        }
        alignas(16) std::int16_t lows[8], highs[8];
        _mm_store_si128(reinterpret_cast<__m128i*>(lows), lower);
        _mm_store_si128(reinterpret_cast<__m128i*>(highs), upper);
        least = *std::min_element(lows, lows + 8);
        largest = *std::max_element(highs, highs + 8);
    }
#endif
    for (; i < n; ++i) {
        least = std::min(least, values[i]);
        largest = std::max(largest, values[i]);
    }
    int low = least, high = largest;
    // A few values far out (the blow among the noise) make the range wide and the
    // halvings many. The values at ranks about k +- n/8 of an even sample of 32 usually
    // hold the answer between them: two counts tell, and the halving starts from there.
    if (n >= 512 && high - low >= 64) {
        std::array<std::int16_t, 32> sample;
        for (std::size_t j = 0; j < sample.size(); ++j)
            sample[j] = values[j * (n / sample.size())];
        const std::size_t rank = k * sample.size() / n;
        const std::size_t below = rank >= 4 ? rank - 4 : 0;
        const std::size_t above = std::min<std::size_t>(rank + 4, sample.size() - 1);
        std::nth_element(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(above),
                         sample.end());
        const int to = sample[above];
        std::nth_element(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(below),
                         sample.begin() + static_cast<std::ptrdiff_t>(above));
        const int from = sample[below];
        // Fewer than k + 1 values under `from` and more than k up to `to`: the answer
        // lies in [from, to]. Either count alone still cuts the range on its side.
        const std::size_t under =
            from > low ? CountAtMost(values, n, static_cast<std::int16_t>(from - 1)) : 0;
        if (under > k)
            high = from - 1;
        else
            low = from;
        if (to < high) {
            if (CountAtMost(values, n, static_cast<std::int16_t>(to)) > k)
                high = to;
            else
                low = std::max(low, to + 1);
        }
    }
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (CountAtMost(values, n, static_cast<std::int16_t>(middle)) > k)
            high = middle;
        else
            low = middle + 1;
    }
    return static_cast<std::int16_t>(low);
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
    return SelectSixteenBits(counts.data(), counts.size(), counts.size() / 2);
}

int MedianStep(std::span<const std::int16_t> counts, std::size_t stride)
{
    if (counts.size() < 2 || stride == 0)
        return 0;
    // The steps, 0 to 65535, less 2^15: the same order in signed 16 bits.
    const std::size_t n = (counts.size() - 2) / stride + 1;
    thread_local std::vector<std::int16_t> steps;
    steps.resize(n);
    const std::int16_t* const c = counts.data();
    for (std::size_t k = 0, i = 0; k < n; ++k, i += stride)
        steps[k] = static_cast<std::int16_t>(std::abs(int{c[i + 1]} - int{c[i]}) - 32768);
    return int{SelectSixteenBits(steps.data(), n, n / 2)} + 32768;
}

} // namespace rovana::pick
