#include "FFT.h"

#include <bit>
#include <cstddef>
#include <utility>

namespace rovana {

namespace {

void BitReverse(std::span<float> re, std::span<float> im)
{
    const std::size_t n = re.size();
    std::size_t j = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
        std::size_t k = n / 2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }
}

// One stage: blocks of 2h points, the pair (p, p + h) combined with twiddle j * stride
// for the offset j of p inside its block.
void Butterflies(std::span<float> re, std::span<float> im, std::size_t h,
                 const TwiddleTable& twiddles)
{
    const std::size_t n = re.size();
    const std::size_t stride = n / (2 * h);
    for (std::size_t p = 0; p < n; p += 2 * h) {
        const std::size_t q = p + h;
        const float tr = re[q];
        const float ti = im[q];
        re[q] = re[p] - tr;
        im[q] = im[p] - ti;
        re[p] += tr;
        im[p] += ti;
    }
    for (std::size_t j = 1; j < h; ++j) {
        const float c = twiddles.cosTable[j * stride];
        const float s = twiddles.sinTable[j * stride];
        for (std::size_t p = j; p < n; p += 2 * h) {
            const std::size_t q = p + h;
            const float tr = c * re[q] - s * im[q];
            const float ti = c * im[q] + s * re[q];
            re[q] = re[p] - tr;
            im[q] = im[p] - ti;
            re[p] += tr;
            im[p] += ti;
        }
    }
}

} // namespace

SignalStatus FFT(std::span<float> re, std::span<float> im, TwiddleCache& cache)
{
    const std::size_t n = re.size();
    if (im.size() != n || !std::has_single_bit(n) || n > (std::size_t{1} << 30))
        return SignalStatus::BadSize;
    const TwiddleTable* twiddles = cache.Get(static_cast<int>(n));
    if (twiddles == nullptr)
        return SignalStatus::OutOfMemory;
    BitReverse(re, im);
    for (std::size_t h = 1; h < n; h *= 2)
        Butterflies(re, im, h, *twiddles);
    return SignalStatus::Ok;
}

SignalStatus FFT(std::span<float> re, std::span<float> im)
{
    return FFT(re, im, ThreadTwiddleCache());
}

} // namespace rovana
