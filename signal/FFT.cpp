#include "FFT.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace rovana {

namespace {

void BitReverse(std::span<float> re, std::span<float> im, const TwiddleTable& table)
{
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

// The stages, h the half of the blocks they combine: the first two together, then two at
// a time, the last one alone when their count is odd. Stage by stage or fused, every
// point goes through the same operations in the same order.
void Stages(std::span<float> re, std::span<float> im, const TwiddleTable& table)
{
    const std::size_t n = re.size();
    std::size_t h = 1;
    if (n == 2) {
        // A single butterfly without twiddle.
        const float tr = re[1];
        const float ti = im[1];
        re[1] = re[0] - tr;
        im[1] = im[0] - ti;
        re[0] += tr;
        im[0] += ti;
        h = 2;
    } else if (n >= 4) {
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

SignalStatus Transform(std::span<float> re, std::span<float> im, TwiddleCache& cache)
{
    const std::size_t n = re.size();
    if (im.size() != n || !ValidSize(n))
        return SignalStatus::BadSize;
    const TwiddleTable* table = cache.Get(static_cast<int>(n));
    if (table == nullptr)
        return SignalStatus::OutOfMemory;
    BitReverse(re, im, *table);
    Stages(re, im, *table);
    return SignalStatus::Ok;
}

// 4P[k] for k = 0 .. n/2 from the transform Z = A + jB of two real signals of n points:
// 2A[k] = Z[k] + conj Z[n - k] and 2B[k] = -j (Z[k] - conj Z[n - k]), P = conj(B) A, the
// spectrum of their correlation. P[n - k] is conj P[k], so half of it is all there is.
void SpectrumProduct(const float* __restrict zr, const float* __restrict zi, std::size_t n,
                     float* __restrict pr, float* __restrict pi)
{
    pr[0] = (zi[0] + zi[0]) * (zr[0] + zr[0]);
    pi[0] = 0.0f;
    for (std::size_t k = 1; k <= n / 2; ++k) {
        const float ar = zr[k] + zr[n - k], ai = zi[k] - zi[n - k];
        const float br = zi[k] + zi[n - k], bi = zr[k] - zr[n - k]; // conj(2B)
        pr[k] = br * ar - bi * ai;
        pi[k] = br * ai + bi * ar;
    }
}

// The real inverse of n points as a complex one of h = n/2: its even outputs are the
// inverse of E[k] = P[k] + P[k + h], its odd ones that of O[k] = (P[k] - P[k + h])
// e^(j 2 pi k / n), with P[k + h] = conj P[h - k]. E + jO is inverted at once as the
// forward transform of its conjugate, written to hr and hi.
void HalfInverseInput(const float* __restrict pr, const float* __restrict pi,
                      const float* __restrict cosTable, const float* __restrict sinTable,
                      std::size_t h, float* __restrict hr, float* __restrict hi)
{
    for (std::size_t k = 0; k < h; ++k) {
        const float qr = pr[h - k], qi = -pi[h - k];
        const float er = pr[k] + qr, ei = pi[k] + qi;
        const float dr = pr[k] - qr, di = pi[k] - qi;
        const float c = cosTable[k], s = -sinTable[k]; // e^(j 2 pi k / n)
        const float orr = dr * c - di * s, oi = dr * s + di * c;
        hr[k] = er - oi;
        hi[k] = -(ei + orr);
    }
}

} // namespace

SignalStatus FFT(std::span<float> re, std::span<float> im, TwiddleCache& cache)
{
    return Transform(re, im, cache);
}

SignalStatus FFT(std::span<float> re, std::span<float> im)
{
    return Transform(re, im, ThreadTwiddleCache());
}

SignalStatus CircularCorrelation(std::span<const float> a, std::span<const float> b, float factor,
                                 std::span<float> out)
{
    const std::size_t n = out.size();
    if (n < 2 || !ValidSize(n) || a.size() > n || b.size() > n)
        return SignalStatus::BadSize;
    TwiddleCache& cache = ThreadTwiddleCache();
    const TwiddleTable* table = cache.Get(static_cast<int>(n));
    if (table == nullptr || cache.Get(static_cast<int>(n / 2)) == nullptr)
        return SignalStatus::OutOfMemory;
    // Both real signals in one transform: Z = A + jB.
    thread_local std::vector<float> zr, zi, pr, pi, hr, hi;
    zr.assign(n, 0.0f);
    zi.assign(n, 0.0f);
    std::copy(a.begin(), a.end(), zr.begin());
    std::copy(b.begin(), b.end(), zi.begin());
    Transform(zr, zi, cache);
    const std::size_t half = n / 2;
    pr.resize(half + 1);
    pi.resize(half + 1);
    hr.resize(half);
    hi.resize(half);
    SpectrumProduct(zr.data(), zi.data(), n, pr.data(), pi.data());
    HalfInverseInput(pr.data(), pi.data(), table->cosTable.data(), table->sinTable.data(), half,
                     hr.data(), hi.data());
    Transform(hr, hi, cache);
    const float norm = factor / static_cast<float>(4 * n);
    for (std::size_t m = 0; m < half; ++m) {
        out[2 * m] = hr[m] * norm;
        out[2 * m + 1] = -hi[m] * norm;
    }
    return SignalStatus::Ok;
}

} // namespace rovana
