#include "FFT.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace rovana {

namespace {

// With `imaginaryZero` the imaginary parts are all zero, and exchanging them is left out.
void BitReverse(std::span<float> re, std::span<float> im, const TwiddleTable& table,
                bool imaginaryZero)
{
    if (imaginaryZero) {
        for (const auto& [i, j] : table.bitReversalSwaps)
            std::swap(re[i], re[j]);
        return;
    }
    for (const auto& [i, j] : table.bitReversalSwaps) {
        std::swap(re[i], re[j]);
        std::swap(im[i], im[j]);
    }
}

// The first two stages together, one group of four points at a time: pairs (0, 1) and
// (2, 3) with no twiddle, then (0, 2) with none and (1, 3) with twiddle c + js. The
// same operations in the same order as stage by stage, so the same bits.
void FirstTwoStages(float* re, float* im, std::size_t n, float c, float s)
{
    for (std::size_t p = 0; p < n; p += 4) {
        const float r0 = re[p] + re[p + 1];
        const float i0 = im[p] + im[p + 1];
        const float r1 = re[p] - re[p + 1];
        const float i1 = im[p] - im[p + 1];
        const float r2 = re[p + 2] + re[p + 3];
        const float i2 = im[p + 2] + im[p + 3];
        const float r3 = re[p + 2] - re[p + 3];
        const float i3 = im[p + 2] - im[p + 3];
        re[p] = r0 + r2;
        im[p] = i0 + i2;
        re[p + 2] = r0 - r2;
        im[p + 2] = i0 - i2;
        const float tr = c * r3 - s * i3;
        const float ti = c * i3 + s * r3;
        re[p + 1] = r1 + tr;
        im[p + 1] = i1 + ti;
        re[p + 3] = r1 - tr;
        im[p + 3] = i1 - ti;
    }
}

// One block of 2h points: pairs (j, h + j) for j = 0..h-1, the lower half at re/im, the
// upper half at reHigh/imHigh. Pair j multiplies its upper point by the twiddle c + js
// first, except pair 0, which takes it unmultiplied. The loop runs over all j for an even
// trip count and pair 0 is then redone from its saved inputs. The four halves never
// overlap, which __restrict tells the compiler so that it may vectorise; every lane does
// the same float operations in the same order, so vectorised code gives the same bits.
void Block(float* __restrict re, float* __restrict im, float* __restrict reHigh,
           float* __restrict imHigh, std::size_t h, const float* __restrict c,
           const float* __restrict s)
{
    const float re0 = re[0];
    const float im0 = im[0];
    const float tr0 = reHigh[0];
    const float ti0 = imHigh[0];
    for (std::size_t j = 0; j < h; ++j) {
        const float tr = c[j] * reHigh[j] - s[j] * imHigh[j];
        const float ti = c[j] * imHigh[j] + s[j] * reHigh[j];
        reHigh[j] = re[j] - tr;
        imHigh[j] = im[j] - ti;
        re[j] += tr;
        im[j] += ti;
    }
    reHigh[0] = re0 - tr0;
    imHigh[0] = im0 - ti0;
    re[0] = re0 + tr0;
    im[0] = im0 + ti0;
}

// Two stages together over one block of 4h points, quarters a, b, c and d of h points:
// the stage of half h pairs (a, b) and (c, d) with twiddles c1 + js1, the stage of half
// 2h then pairs (a, c) with c2 + js2 and (b, d) with c3 + js3 (its factors from h on).
// Every point goes through the same operations in the same order as stage by stage, so
// the bits are the same, with one load and one store of it instead of two. As in Block,
// the pairs that take no twiddle are redone from their saved inputs after the loop.
void TwoStageBlock(float* __restrict aRe, float* __restrict aIm, float* __restrict bRe,
                   float* __restrict bIm, float* __restrict cRe, float* __restrict cIm,
                   float* __restrict dRe, float* __restrict dIm, std::size_t h,
                   const float* __restrict c1, const float* __restrict s1,
                   const float* __restrict c2, const float* __restrict s2,
                   const float* __restrict c3, const float* __restrict s3)
{
    const float a0r = aRe[0], a0i = aIm[0], b0r = bRe[0], b0i = bIm[0];
    const float c0r = cRe[0], c0i = cIm[0], d0r = dRe[0], d0i = dIm[0];
    for (std::size_t j = 0; j < h; ++j) {
        const float tr = c1[j] * bRe[j] - s1[j] * bIm[j];
        const float ti = c1[j] * bIm[j] + s1[j] * bRe[j];
        const float ur = c1[j] * dRe[j] - s1[j] * dIm[j];
        const float ui = c1[j] * dIm[j] + s1[j] * dRe[j];
        const float ar = aRe[j] + tr, ai = aIm[j] + ti;
        const float br = aRe[j] - tr, bi = aIm[j] - ti;
        const float cr = cRe[j] + ur, ci = cIm[j] + ui;
        const float dr = cRe[j] - ur, di = cIm[j] - ui;
        const float vr = c2[j] * cr - s2[j] * ci;
        const float vi = c2[j] * ci + s2[j] * cr;
        const float wr = c3[j] * dr - s3[j] * di;
        const float wi = c3[j] * di + s3[j] * dr;
        aRe[j] = ar + vr;
        aIm[j] = ai + vi;
        cRe[j] = ar - vr;
        cIm[j] = ai - vi;
        bRe[j] = br + wr;
        bIm[j] = bi + wi;
        dRe[j] = br - wr;
        dIm[j] = bi - wi;
    }
    const float ar = a0r + b0r, ai = a0i + b0i;
    const float br = a0r - b0r, bi = a0i - b0i;
    const float cr = c0r + d0r, ci = c0i + d0i;
    const float dr = c0r - d0r, di = c0i - d0i;
    const float wr = c3[0] * dr - s3[0] * di;
    const float wi = c3[0] * di + s3[0] * dr;
    aRe[0] = ar + cr;
    aIm[0] = ai + ci;
    cRe[0] = ar - cr;
    cIm[0] = ai - ci;
    bRe[0] = br + wr;
    bIm[0] = bi + wi;
    dRe[0] = br - wr;
    dIm[0] = bi - wi;
}

// The stages from the one that combines halves of h points on (h a power of two below
// n, or n for none): the first two together from h = 1, then two at a time, the last one
// alone when their count is odd. Stage by stage or fused, every point goes through the
// same operations in the same order.
void Stages(std::span<float> re, std::span<float> im, const TwiddleTable& table, std::size_t h)
{
    const std::size_t n = re.size();
    if (h == 1 && n == 2) {
        // A single butterfly without twiddle.
        const float tr = re[1];
        const float ti = im[1];
        re[1] = re[0] - tr;
        im[1] = im[0] - ti;
        re[0] += tr;
        im[0] += ti;
        h = 2;
    } else if (h == 1 && n >= 4) {
        FirstTwoStages(re.data(), im.data(), n, table.stageCos[3], table.stageSin[3]);
        h = 4;
    }
    for (; 4 * h <= n; h *= 4) {
        const float* const c1 = table.stageCos.data() + h;
        const float* const s1 = table.stageSin.data() + h;
        const float* const c2 = table.stageCos.data() + 2 * h;
        const float* const s2 = table.stageSin.data() + 2 * h;
        for (std::size_t p = 0; p < n; p += 4 * h) {
            float* const r = re.data() + p;
            float* const i = im.data() + p;
            TwoStageBlock(r, i, r + h, i + h, r + 2 * h, i + 2 * h, r + 3 * h, i + 3 * h, h, c1, s1,
                          c2, s2, c2 + h, s2 + h);
        }
    }
    for (; h < n; h *= 2) {
        const float* const c = table.stageCos.data() + h;
        const float* const s = table.stageSin.data() + h;
        for (std::size_t p = 0; p < n; p += 2 * h) {
            float* const blockRe = re.data() + p;
            float* const blockIm = im.data() + p;
            Block(blockRe, blockIm, blockRe + h, blockIm + h, h, c, s);
        }
    }
}

bool ValidSize(std::size_t n)
{
    return std::has_single_bit(n) && n <= (std::size_t{1} << 30);
}

SignalStatus Transform(std::span<float> re, std::span<float> im, TwiddleCache& cache, bool real)
{
    const std::size_t n = re.size();
    if (im.size() != n || !ValidSize(n))
        return SignalStatus::BadSize;
    const TwiddleTable* table = cache.Get(static_cast<int>(n));
    if (table == nullptr)
        return SignalStatus::OutOfMemory;
    if (real)
        std::fill(im.begin(), im.end(), 0.0f);
    BitReverse(re, im, *table, real);
    Stages(re, im, *table, 1);
    return SignalStatus::Ok;
}

// Whether every value is finite and none is -0.
bool FiniteWithoutNegativeZero(std::span<const float> values)
{
    bool ok = true;
    for (const float v : values) {
        const auto bits = std::bit_cast<std::uint32_t>(v);
        ok &= (bits & 0x7f800000u) != 0x7f800000u && bits != 0x80000000u;
    }
    return ok;
}

} // namespace

SignalStatus FFT(std::span<float> re, std::span<float> im, TwiddleCache& cache)
{
    return Transform(re, im, cache, false);
}

SignalStatus FFT(std::span<float> re, std::span<float> im)
{
    return Transform(re, im, ThreadTwiddleCache(), false);
}

SignalStatus RealFFT(std::span<float> re, std::span<float> im)
{
    return Transform(re, im, ThreadTwiddleCache(), true);
}

SignalStatus PaddedRealFFT(std::span<const float> samples, std::span<float> re, std::span<float> im)
{
    const std::size_t n = re.size();
    if (im.size() != n || !ValidSize(n) || samples.size() > n)
        return SignalStatus::BadSize;
    TwiddleCache& cache = ThreadTwiddleCache();
    const std::size_t filled = std::bit_ceil(std::max<std::size_t>(samples.size(), 1));
    if (filled > n / 8 || !FiniteWithoutNegativeZero(samples)) {
        std::copy(samples.begin(), samples.end(), re.begin());
        std::fill(re.begin() + static_cast<std::ptrdiff_t>(samples.size()), re.end(), 0.0f);
        return Transform(re, im, cache, true);
    }
    const TwiddleTable* table = cache.Get(static_cast<int>(n));
    if (table == nullptr)
        return SignalStatus::OutOfMemory;
    // Only the first `filled` points can be non-zero, so after the bit-reversal permutation
    // each block of `group` points holds one value, the first, and zeros. Every butterfly
    // of the stages within such a block adds to or subtracts from that value a twiddle
    // times +0, which is +0 or -0 and leaves a finite value other than -0 as it is, and
    // leaves the imaginary +0 at +0: those stages copy the value over the block. The value
    // is written there at once and the stages go on from the block's size.
    const std::size_t group = n / filled;
    thread_local std::vector<float> spread; // spread[b]: the value of block b
    spread.resize(filled);
    // Block b starts at point b * group, which the permutation fills from the sample at
    // the bit reversal of b * group in log2(n) bits.
    const std::uint32_t* const reversed = table->bitReversed.data();
    for (std::size_t b = 0; b < filled; ++b) {
        const std::size_t from = reversed[b * group];
        spread[b] = from < samples.size() ? samples[from] : 0.0f;
    }
    for (std::size_t b = 0; b < filled; ++b) {
        float* const block = re.data() + b * group;
        for (std::size_t t = 0; t < group; ++t)
            block[t] = spread[b];
    }
    std::fill(im.begin(), im.end(), 0.0f);
    Stages(re, im, *table, group);
    return SignalStatus::Ok;
}

} // namespace rovana
