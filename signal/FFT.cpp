#include "FFT.h"

#include <bit>
#include <cstddef>
#include <utility>

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

} // namespace

SignalStatus FFT(std::span<float> re, std::span<float> im, TwiddleCache& cache)
{
    const std::size_t n = re.size();
    if (im.size() != n || !std::has_single_bit(n) || n > (std::size_t{1} << 30))
        return SignalStatus::BadSize;
    const TwiddleTable* table = cache.Get(static_cast<int>(n));
    if (table == nullptr)
        return SignalStatus::OutOfMemory;
    BitReverse(re, im, *table);
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
        FirstTwoStages(re.data(), im.data(), n, table->stageCos[3], table->stageSin[3]);
        h = 4;
    }
    for (; h < n; h *= 2) {
        const float* const c = table->stageCos.data() + h;
        const float* const s = table->stageSin.data() + h;
        for (std::size_t p = 0; p < n; p += 2 * h) {
            float* const blockRe = re.data() + p;
            float* const blockIm = im.data() + p;
            Block(blockRe, blockIm, blockRe + h, blockIm + h, h, c, s);
        }
    }
    return SignalStatus::Ok;
}

SignalStatus FFT(std::span<float> re, std::span<float> im)
{
    return FFT(re, im, ThreadTwiddleCache());
}

} // namespace rovana
