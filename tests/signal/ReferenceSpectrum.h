#pragma once

// A second, deliberately plain transcription of the spectrum computation: fresh twiddles
// on every call, one loop nest per step, the textbook loop order, every intermediate a
// float. The library must agree with it to the last bit.

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace rovana::test {

inline void ReferenceFft(std::vector<float>& re, std::vector<float>& im)
{
    const int n = static_cast<int>(re.size());
    int j = 0;
    for (int i = 0; i < n - 1; ++i) {
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
        int k = n / 2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }
    std::vector<float> cosTable(n), sinTable(n);
    const float w = static_cast<float>(6.283185307179586 / n);
    for (int i = 0; i < n; ++i) {
        const float t = static_cast<float>(i) * w;
        cosTable[i] = static_cast<float>(std::cos(static_cast<double>(t)));
        sinTable[i] = static_cast<float>(-std::sin(static_cast<double>(t)));
    }
    for (int size = 2; size <= n; size *= 2) {
        const int h = size / 2;
        const int stride = n / size;
        for (int block = 0; block < n; block += size) {
            for (int jj = 0; jj < h; ++jj) {
                const int p = block + jj;
                const int q = p + h;
                float tr, ti;
                if (jj == 0) {
                    tr = re[q];
                    ti = im[q];
                } else {
                    const float c = cosTable[jj * stride];
                    const float s = sinTable[jj * stride];
                    const float a = c * re[q];
                    const float b = s * im[q];
                    tr = a - b;
                    const float d = c * im[q];
                    const float e = s * re[q];
                    ti = d + e;
                }
                re[q] = re[p] - tr;
                im[q] = im[p] - ti;
                re[p] = re[p] + tr;
                im[p] = im[p] + ti;
            }
        }
    }
}

struct ReferenceOutput
{
    std::vector<std::int16_t> spectrum;
    std::vector<std::int32_t> phase;
    float peakFrequency = 0.0f;
    float binWidth = 0.0f;
};

// `points` is the transform size, given rather than derived so that this stays
// independent of the size rule.
inline ReferenceOutput ReferenceSpectrum(std::vector<std::int16_t> spectrum, int points,
                                         float intervalUs, int n)
{
    const int bigN = points;
    std::vector<float> re(bigN, 0.0f), im(bigN, 0.0f);
    float scale;
    if (n < bigN) {
        scale = 2.0f / static_cast<float>(n);
        for (int i = 0; i < n; ++i)
            re[i] = spectrum[i];
    } else {
        scale = 2.0f / static_cast<float>(bigN);
        for (int i = 0; i < bigN; ++i)
            re[i] = spectrum[i];
    }
    ReferenceFft(re, im);

    ReferenceOutput out;
    out.phase.assign(bigN, 0);
    for (int i = 0; i < bigN; ++i) {
        if (im[i] == 0.0f) {
            out.phase[i] = 0;
        } else {
            const float q = re[i] / im[i];
            const float angle = static_cast<float>(std::atan(static_cast<double>(q)));
            const float degrees = angle * 180.0f / 3.14159265358979f;
            out.phase[i] = static_cast<std::int32_t>(degrees);
        }
    }

    float s = re[0] * re[0] + im[0] * im[0];
    re[0] = scale * std::sqrt(s);
    for (int k = 1; k < bigN / 2; ++k) {
        float sum = re[k] * re[k];
        sum = sum + im[k] * im[k];
        sum = sum + re[bigN - k] * re[bigN - k];
        sum = sum + im[bigN - k] * im[bigN - k];
        re[k] = scale * std::sqrt(sum);
    }
    s = re[bigN / 2] * re[bigN / 2] + im[bigN / 2] * im[bigN / 2];
    re[bigN / 2] = scale * std::sqrt(s);

    float max = std::fabs(re[0]);
    int index = 0;
    for (int k = 1; k < bigN / 2; ++k) {
        if (re[k] > max) {
            max = re[k];
            index = k;
        }
    }
    out.binWidth = (1000000.0f / static_cast<float>(bigN)) / intervalUs;
    out.peakFrequency = out.binWidth * static_cast<float>(index);
    if (max == 0.0f)
        max = 1.0f;
    const float m = max / 65535.0f;
    for (int k = 0; k < bigN / 2; ++k) {
        const float v = re[k] / m;
        const float t = v - 32767.0f;
        spectrum[k] = static_cast<std::int16_t>(-static_cast<int>(t));
    }
    for (int k = bigN / 2; k < bigN; ++k)
        spectrum[k] = spectrum[bigN / 2 - 1];
    for (int i = 0; i < n; ++i)
        spectrum[i] = static_cast<std::int16_t>(-(spectrum[i] / 2));
    spectrum[n - 1] = spectrum[n - 2];
    out.spectrum = std::move(spectrum);
    return out;
}

} // namespace rovana::test
