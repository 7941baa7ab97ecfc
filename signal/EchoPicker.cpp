#include "EchoPicker.h"

#include "EchoSearch.h"
#include "FreeSection.h"
#include "MatchedFilter.h"
#include "Saturate.h"

#include <algorithm>
#include <cmath>

namespace rovana::pick {

namespace {

constexpr int kMinimumSamples = 32;
constexpr float kBlowSnr = 6.0f;    // the blow lobe against the noise per sample
constexpr float kFreeEndSnr = 4.5f; // matched-filter output against its noise
// The bottom is taken at kBottomSnr anywhere past the free end, and at kBottomNearSnr
// within kNearDesign of the design length: fewer noise peaks can fall in that window than
// in the whole record, so a weaker echo there is as unlikely to be noise. kBottomNearSnr
// is where an echo whose own energy is six times the noise stands in the correlation with
// the blow, which keeps about 0.92 of it once the grout has reshaped the echo.
constexpr float kBottomSnr = 6.5f;
constexpr float kBottomNearSnr = 5.5f;
constexpr double kNearDesign = 0.12; // share of the design length either side
constexpr float kDefectSnr = 6.5f;
constexpr float kDefectEdgeSnr = 3.0f; // the void's bottom, once its top is clear
constexpr float kReflectorSnr = 10.0f; // an echo whose multiples are taken off
constexpr float kEchoSnr = 3.0f;       // a lobe of the correlation that is an echo
// Echoes weaker than this share of the blow are not taken: the blow cut from the record
// is not the exact pulse, and what is left of it after subtraction is of this order.
constexpr float kFreeEndFloor = 0.05f;
constexpr float kBottomFloor = 0.015f;
constexpr float kDefectFloor = 0.05f;
constexpr float kReflectorFloor = 0.08f;
// The free section is undone only when its echo returns well inside the blow's lobe as it
// stands: later, the lobe is the blow and the free end's echo is taken off as any other.
constexpr float kInsideBlow = 0.6f;

// Confidence from a signal-to-noise ratio: 0 at 3, 1 from 12 on.
double ConfidenceOf(float snr)
{
    return std::clamp((static_cast<double>(snr) - 3.0) / 9.0, 0.0, 1.0);
}

// A weight in 0.15..1 for a depth against a design value: 1 at the design, 0.15 far away
// from it. Built lengths differ from the design by up to a tenth.
float PriorWeight(double depth, double design, double spread)
{
    if (design <= 0.0)
        return 1.0f;
    const double z = (depth - design) / spread;
    return static_cast<float>(0.15 + 0.85 * std::exp(-0.5 * z * z));
}

bool IsPeak(const std::vector<float>& y, int i, float sign)
{
    const int n = static_cast<int>(y.size());
    const float v = sign * y[static_cast<std::size_t>(i)];
    return (i == 0 || v >= sign * y[static_cast<std::size_t>(i) - 1]) &&
           (i + 1 >= n || v > sign * y[static_cast<std::size_t>(i) + 1]);
}

// The extreme of sign * y in [from, to), or -1.
int ExtremeIn(const std::vector<float>& y, int from, int to, float sign)
{
    from = std::max(from, 0);
    to = std::min(to, static_cast<int>(y.size()));
    int best = -1;
    for (int i = from; i < to; ++i) {
        if (best < 0 ||
            sign * y[static_cast<std::size_t>(i)] > sign * y[static_cast<std::size_t>(best)])
            best = i;
    }
    return best;
}

PickedEcho Echo(int sample, float snr)
{
    return {std::max(1, sample), ConfidenceOf(snr), snr};
}

struct Search
{
    const PickInput& in;
    std::vector<float> y; // correlation with the blow, the blow and known echoes removed
    std::vector<float> autocorrelation;
    int end = 0;
    int width = 1;         // blow lobe, samples
    float blow = 1.0f;     // the blow's own correlation at its peak, near 1
    float noise = 1.0f;    // rms of y
    double perMetre = 0.0; // samples per metre of depth (two-way)
    int Depth(double metres) const
    {
        return end + ClampedSampleCount(std::round(metres * perMetre));
    }
    double MetresOf(int sample) const { return (sample - end) / perMetre; }
    float Snr(int i) const { return y[static_cast<std::size_t>(i)] / noise; }
};

// The grout's start: an echo opposite to the blow, after the blow's lobe and before the
// design free length has been passed by half again.
std::optional<PickedEcho> FindFreeEnd(const Search& s)
{
    const double design = s.in.designFreeLength;
    const int from = std::max(s.end + s.width / 2, design > 0 ? s.Depth(0.5 * design) : 0);
    const int to = design > 0 ? s.Depth(1.6 * design + 0.1) : s.Depth(2.0);
    int best = -1;
    float bestScore = 0.0f;
    for (int i = std::max(from, 1); i < std::min(to, static_cast<int>(s.y.size())); ++i) {
        if (!IsPeak(s.y, i, -1.0f))
            continue;
        const float snr = -s.Snr(i);
        if (snr < kFreeEndSnr || -s.y[static_cast<std::size_t>(i)] < kFreeEndFloor)
            continue;
        if (!(snr > bestScore))
            continue; // the prior weight, at most 1, cannot lift it past the best
        const float score = snr * PriorWeight(s.MetresOf(i), design, 0.15 * design + 0.05);
        if (score > bestScore) {
            bestScore = score;
            best = i;
        }
    }
    if (best < 0)
        return std::nullopt;
    return Echo(best, -s.Snr(best));
}

// The bottom: echoes like the blow past the free end, scored by their strength, the
// second echo at twice the round trip, and the design length.
std::optional<PickedEcho> FindBottom(const Search& s, int after)
{
    const double design = s.in.designLength;
    const int n = static_cast<int>(s.y.size());
    // The grout takes the high frequencies off a deep echo: the correlation is also
    // smoothed over a quarter and a half of the blow. Each smoothing gives its own
    // candidates, so that two echoes a smoothing would run together stay apart.
    std::vector<std::vector<float>> ratios(1, std::vector<float>(s.y.size()));
    std::vector<float> noises{s.noise};
    for (int i = 0; i < n; ++i)
        ratios[0][static_cast<std::size_t>(i)] = s.Snr(i);
    const int halves[2] = {std::max(1, s.width / 4), std::max(1, s.width / 2)};
    ratios.resize(3);
    SmoothThriceTwice(s.y, halves[0], halves[1], ratios[1], ratios[2]);
    for (int k = 1; k <= 2; ++k) {
        noises.push_back(s.noise * SmoothedNoise(s.autocorrelation, halves[k - 1]));
        for (float& v : ratios[static_cast<std::size_t>(k)])
            v /= noises.back();
    }
    const int from = std::max(after, design > 0 ? s.Depth(0.4 * design) : after);
    const int to = n - std::max(2, s.width / 4);
    const int reach = std::max(2, s.width / 4);
    const float minimum = design > 0 ? kBottomNearSnr : kBottomSnr;
    const auto nearDesign = [&](int i) {
        return design > 0 && std::abs(s.MetresOf(i) - design) <= kNearDesign * design;
    };
    int best = -1;
    float bestScore = 0.0f, found = 0.0f;
    for (std::size_t k = 0; k < ratios.size(); ++k) {
        const std::vector<float>& snr = ratios[k];
        for (int i = std::max(from, 1); i < to; ++i) {
            if ((i = FirstNotUnder(snr.data(), i, to, minimum, false)) >= to)
                break;
            const float here = snr[static_cast<std::size_t>(i)];
            if (here < minimum || here * noises[k] < kBottomFloor || !IsPeak(snr, i, 1.0f) ||
                (here < kBottomSnr && !nearDesign(i)))
                continue;
            // The second echo adds at most half as much again and the weights are at most
            // 1: a candidate that cannot pass the best even so is not weighed.
            if (!(here + 0.5f * here > bestScore))
                continue;
            float support = 0.0f;
            const int twice = s.end + 2 * (i - s.end);
            if (twice + reach < n) {
                const int j = ExtremeIn(snr, twice - reach, twice + reach + 1, 1.0f);
                support = std::clamp(snr[static_cast<std::size_t>(j)], 0.0f, here);
            }
            // A void's top is followed, within the void, by its bottom's opposite echo;
            // the toe is followed by nothing of the kind.
            const int j = ExtremeIn(s.y, i + s.width / 2,
                                    i + s.width + static_cast<int>(1.6 * s.perMetre), -1.0f);
            const bool voidTop = j >= 0 &&
                                 -s.y[static_cast<std::size_t>(j)] > 0.5f * here * noises[k] &&
                                 -s.Snr(j) > kDefectEdgeSnr;
            // Built lengths stay within a tenth of the design: an echo well away from it
            // that a void's bottom follows is that void's top, not a short bolt's toe.
            if (voidTop && design > 0 && !nearDesign(i))
                continue;
            const float strength = (here + 0.5f * support) * (voidTop ? 0.25f : 1.0f);
            if (!(strength > bestScore))
                continue;
            const float score = strength * PriorWeight(s.MetresOf(i), design, 0.1 * design);
            if (score > bestScore) {
                bestScore = score;
                best = i;
                found = here;
            }
        }
    }
    if (best < 0)
        return std::nullopt;
    // Smoothing pulls a peak away from an opposite echo next to it (a void's bottom just
    // above the toe): the place is taken from the least smoothed correlation that still
    // shows the echo clearly within half a blow of it.
    for (const std::vector<float>& ratio : ratios) {
        const int j = ExtremeIn(ratio, best - s.width / 2, best + s.width / 2 + 1, 1.0f);
        if (j >= 0 && ratio[static_cast<std::size_t>(j)] >= std::max(minimum, 0.6f * found)) {
            best = j;
            break;
        }
    }
    return Echo(best, found);
}

// Voids between the free end and the bottom: a clear echo like the blow (the void's top)
// with, within a pulse and a metre and a half, an echo opposite to it (its bottom).
std::vector<PickedDefect> FindDefects(const Search& s, int from, int to)
{
    std::vector<PickedDefect> defects;
    const int longest = s.width + static_cast<int>(1.6 * s.perMetre);
    for (int i = std::max(from, 1); i < to; ++i) {
        if (!IsPeak(s.y, i, 1.0f))
            continue;
        const float snr = s.Snr(i);
        if (snr < kDefectSnr || s.y[static_cast<std::size_t>(i)] < kDefectFloor)
            continue;
        const int j =
            ExtremeIn(s.y, i + std::max(1, s.width / 3), std::min(to, i + longest), -1.0f);
        if (j < 0 || -s.Snr(j) < kDefectEdgeSnr)
            continue;
        defects.push_back({Echo(i, snr), Echo(j, -s.Snr(j))});
        i = j; // the next void starts below this one
    }
    return defects;
}

// The head is free: a wave reaching it moves it twice as much as the wave alone and goes
// down again like a new blow. A reflector of coefficient g at round trip t therefore sends
// back, t later, g times everything the head has done: the blow twice over (its first
// echo is 2g) and every echo recorded before. Subtracting g times the recorded echoes
// shifted by t takes off every multiple through this reflector (for the free end, the
// ringing of the free section on every deeper echo); without `keepEcho` the reflector's
// own echo goes as well. `echoes` holds the echoes without the noise, so the subtraction
// adds no noise.
void RemoveReflector(Search& s, const std::vector<float>& echoes, int at, bool keepEcho)
{
    const int n = static_cast<int>(s.y.size());
    const int delay = at - s.end;
    if (delay <= 0 || at >= n)
        return;
    const float g = std::clamp(0.5f * s.y[static_cast<std::size_t>(at)] / s.blow, -0.8f, 0.8f);
    const auto takeMultiples = [&](std::vector<float>& y) {
        for (int i = n - 1; i >= delay; --i)
            y[static_cast<std::size_t>(i)] -= g * echoes[static_cast<std::size_t>(i - delay)];
    };
    if (keepEcho) {
        // Below the reflector's own lobe the record only loses the shifted echoes (at +
        // width is past the delay): the energies are compared first, and the record is
        // changed only when the subtraction stays.
        double before = 0.0, after = 0.0;
        for (int i = at + s.width; i < n; ++i) {
            const float v = s.y[static_cast<std::size_t>(i)];
            const float w = v - g * echoes[static_cast<std::size_t>(i - delay)];
            before += static_cast<double>(v) * v;
            after += static_cast<double>(w) * w;
        }
        if (!(after > before))
            takeMultiples(s.y);
        return;
    }
    std::vector<float> y = s.y;
    takeMultiples(y);
    SubtractEcho(y, s.autocorrelation, at, 2.0f * g * s.blow);
    // Where the blow cut from the record is a poor copy of the blow (an echo inside it),
    // the shifted record carries that error along: the multiples are only taken off when
    // that leaves less below the reflector than there was.
    double before = 0.0, after = 0.0;
    for (int i = at + s.width; i < n; ++i) {
        before += static_cast<double>(s.y[static_cast<std::size_t>(i)]) *
                  s.y[static_cast<std::size_t>(i)];
        after +=
            static_cast<double>(y[static_cast<std::size_t>(i)]) * y[static_cast<std::size_t>(i)];
    }
    if (after > before)
        return;
    s.y = std::move(y);
}

} // namespace

PickResult PickEchoes(const PickInput& input)
{
    PickResult result;
    const auto missing = [&](PickReason reason) { result.reasons.push_back(reason); };
    if (input.samples.size() < static_cast<std::size_t>(kMinimumSamples)) {
        missing(PickReason::NoBlow);
        return result;
    }
    std::vector<float> x = CentredSamples(input.samples);
    float sampleNoise = std::max(SampleNoiseOfCounts(input.samples), 0.3f); // at least the rounding
    const std::optional<BlowPulse> first = FindBlow(x, sampleNoise, kBlowSnr);
    if (!first) {
        missing(PickReason::NoBlow);
        return result;
    }
    // Drift and hum vary over milliseconds; the baseline window is long against the blow
    // and against an echo the grout has broadened.
    const int window = input.sampleIntervalUs > 0 ? 1250 / input.sampleIntervalUs : 0;
    RemoveBaseline(x, std::min(std::max(6 * first->width, window), static_cast<int>(x.size()) / 3),
                   input.samples);
    std::optional<BlowPulse> blow = FindBlow(x, sampleNoise, kBlowSnr);
    if (!blow)
        blow = first;
    const bool timeBase = input.sampleIntervalUs > 0 && input.waveSpeed > 0;
    const double perMetre =
        timeBase ? 2.0 / input.waveSpeed / (input.sampleIntervalUs * 1e-6) : 0.0;
    // A free section whose round trip is shorter than the blow returns inside it: its echo
    // is taken off the whole record before the blow is cut from it.
    std::optional<FreeSectionFit> section;
    if (timeBase && input.designFreeLength > 0.0) {
        const int shortest =
            ClampedSampleCount(std::floor(0.85 * input.designFreeLength * perMetre));
        const int longest = ClampedSampleCount(std::ceil(1.15 * input.designFreeLength * perMetre));
        const int lobeFirst = blow->first + std::max(1, blow->width / 4);
        const int inside = static_cast<int>(kInsideBlow * static_cast<float>(blow->width));
        if (shortest < inside)
            section = FitFreeSection(x, lobeFirst, blow->width, blow->polarity, shortest,
                                     std::min(longest, inside));
        if (section) {
            std::vector<float> undone = x;
            RemoveFreeSection(undone, section->delay, section->reflection);
            const float noise = std::max(SampleNoise(undone), 0.3f); // the undoing colours it
            std::optional<BlowPulse> restored = FindBlow(undone, noise, kBlowSnr);
            if (restored && restored->peak >= lobeFirst) {
                x = std::move(undone);
                sampleNoise = noise;
                blow = std::move(restored);
            } else {
                section.reset();
            }
        }
    }
    result.end = Echo(blow->peak, blow->snr);
    if (!timeBase) {
        missing(PickReason::NoTimeBase);
        return result;
    }

    double energy = 0.0;
    for (float v : blow->shape)
        energy += static_cast<double>(v) * v;
    Search s{input, CorrelateWithBlow(x, *blow), BlowAutocorrelation(*blow)};
    s.end = blow->peak;
    s.width = blow->width;
    s.noise = static_cast<float>(sampleNoise / std::sqrt(std::max(energy, 1e-9)));
    s.perMetre = perMetre;
    result.noiseLevel = s.noise;
    // Reflection coefficients are echoes over the blow as the correlation sees it: the
    // blow cut from a noisy record gives itself a little over or under 1.
    s.blow = std::max(s.y[static_cast<std::size_t>(s.end)], 0.1f);
    SubtractEcho(s.y, s.autocorrelation, s.end, s.blow);
    // The record after the blow, as correlated, with only its echoes: the noise comes from
    // the sensor and does not travel in the bar, so no multiple of it is taken off.
    std::vector<float> echoes = s.y;
    KeepEchoes(echoes, kEchoSnr * s.noise);

    int after = s.end + s.width;
    if (section) {
        // The free section is already taken off: its echo stands where the fit put it.
        result.freeEnd =
            Echo(s.end + section->delay, -2.0f * section->reflection * s.blow / s.noise);
        after = std::max(after, result.freeEnd->sample + s.width / 2);
    } else if ((result.freeEnd = FindFreeEnd(s))) {
        RemoveReflector(s, echoes, result.freeEnd->sample, false);
        after = std::max(after, result.freeEnd->sample + s.width / 2);
    } else {
        missing(PickReason::FreeEndNotClear);
    }

    // Every clear echo past the free end comes back again from the head, and such a
    // multiple of a void's echo may fall where the toe's echo is: in time order, each
    // clear echo's multiples go before the next is looked for. Then the bottom is chosen
    // and the voids above it are read off what is left.
    // What is left of the free end's own echo within a blow's width of it is no reflector.
    const int n = static_cast<int>(s.y.size());
    const int loopFrom = result.freeEnd ? std::max(after, result.freeEnd->sample + s.width) : after;
    // sign * v / s.noise < kReflectorSnr without a division per sample.
    const bool plainNoise = s.noise > 0.0f && std::isfinite(s.noise);
    const float least = plainNoise ? LeastReaching(s.noise, kReflectorSnr) : 0.0f;
    const auto faint = [&](float a) {
        return plainNoise ? a < least : a / s.noise < kReflectorSnr;
    };
    const float weakest = std::max(least, kReflectorFloor); // with plain noise
    for (int i = std::max(loopFrom, 1), found = 0; i < n - 1 && found < 8; ++i) {
        if (plainNoise && (i = FirstNotUnder(s.y.data(), i, n - 1, weakest, true)) >= n - 1)
            break;
        const float v = s.y[static_cast<std::size_t>(i)];
        const float sign = v < 0.0f ? -1.0f : 1.0f;
        if (faint(sign * v) || sign * v < kReflectorFloor || !IsPeak(s.y, i, sign))
            continue;
        RemoveReflector(s, echoes, i, true);
        ++found;
        i += s.width / 2;
    }
    result.bottom = FindBottom(s, after);
    if (!result.bottom)
        missing(PickReason::BottomNotClear);
    const int defectsFrom = result.freeEnd ? result.freeEnd->sample + s.width : after;
    // Without a bottom, voids are looked for down to most of the design length.
    int defectsTo = 0;
    if (result.bottom)
        defectsTo = result.bottom->sample - (3 * s.width) / 4;
    else if (input.designLength > 0.0)
        defectsTo = std::min(s.Depth(0.9 * input.designLength), n - s.width);
    result.defects = FindDefects(s, defectsFrom, defectsTo);
    return result;
}

} // namespace rovana::pick
