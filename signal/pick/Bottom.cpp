#include "Bottom.h"

#include "Confidence.h"
#include "Correlation.h"
#include "EchoSearch.h"
#include "MovingAverage.h"
#include "Voids.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace rovana::pick {

namespace {

// The bottom is taken at kBottomSnr anywhere past the free end, and at kBottomNearSnr
// within kNearDesign of the design length: fewer noise peaks can fall in that window than
// in the whole record, so a weaker echo there is as unlikely to be noise. kBottomNearSnr
// is where an echo whose own energy is six times the noise stands in the correlation with
// the blow, which keeps about 0.92 of it once the grout has reshaped the echo.
constexpr float kBottomSnr = 5.5f;
constexpr float kBottomNearSnr = 4.0f;
constexpr double kNearDesign = 0.12; // share of the design length either side
// Echoes weaker than this share of the blow are not taken: the blow cut from the record
// is not the exact pulse, and what is left of it after subtraction is of this order.
constexpr float kBottomFloor = 0.015f;

} // namespace

PickReason WithheldBottomReason(const PickResult& r)
{
    return r.withheldBottom && std::exp(r.bottomEvidence[5]) < kMultipleShare
               ? PickReason::SuspectedMultiple
               : PickReason::BottomNotClear;
}

BottomPick FindBottom(const PickContext& s, int after)
{
    const double design = s.in.designLength;
    const int n = static_cast<int>(s.y.size());
    const int from = std::max(after, design > 0 ? s.Depth(0.4 * design) : after);
    // The grout takes the high frequencies off a deep echo: the correlation is also
    // smoothed over a quarter and a half of the blow. Each smoothing gives its own
    // candidates, so that two echoes a smoothing would run together stay apart. Only the
    // part of the record that is searched is smoothed, with the three passes' reach and
    // half a blow before it; nothing before `lo` is read.
    const int halves[2] = {std::max(1, s.width / 4), std::max(1, s.width / 2)};
    const int lo = std::clamp(from - 3 * halves[1] - s.width - 2, 0, n);
    thread_local std::vector<std::vector<float>> ratios(3);
    thread_local std::vector<float> smoothA, smoothB;
    for (std::vector<float>& r : ratios)
        r.resize(s.y.size()); // [0, lo) is left as it is: never read
    std::vector<float> noises{s.noise};
    for (int i = lo; i < n; ++i)
        ratios[0][static_cast<std::size_t>(i)] = s.Snr(i);
    SmoothThriceTwice(std::span<const float>(s.y).subspan(static_cast<std::size_t>(lo)), halves[0],
                      halves[1], smoothA, smoothB);
    for (int k = 1; k <= 2; ++k) {
        noises.push_back(s.noise * SmoothedNoise(s.autocorrelation, halves[k - 1]));
        const std::vector<float>& smooth = k == 1 ? smoothA : smoothB;
        std::vector<float>& ratio = ratios[static_cast<std::size_t>(k)];
        for (std::size_t i = 0; i < smooth.size(); ++i)
            ratio[static_cast<std::size_t>(lo) + i] = smooth[i] / noises.back();
    }
    const int to = n - std::max(2, s.width / 4);
    const int reach = std::max(2, s.width / 4);
    const float minimum = design > 0 ? kBottomNearSnr : kBottomSnr;
    const auto nearDesign = [&](int i) {
        return design > 0 && std::abs(s.MetresOf(i) - design) <= kNearDesign * design;
    };
    int best = -1;
    float bestScore = 0.0f, found = 0.0f, next = 0.0f, bestSupport = 0.0f;
    bool bestVoidTop = false;
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
            // 1: a candidate that cannot pass the second best even so is not weighed.
            if (!(here + 0.5f * here > next))
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
                                 -s.Snr(j) > kVoidBottomSnr;
            // Built lengths stay within a tenth of the design: an echo well away from it
            // that a void's bottom follows is that void's top, not a short bolt's toe.
            if (voidTop && design > 0 && !nearDesign(i))
                continue;
            const float strength = (here + 0.5f * support) * (voidTop ? 0.25f : 1.0f);
            if (!(strength > next))
                continue;
            const float score = strength * PriorWeight(s.MetresOf(i), design, 0.1 * design);
            const bool apart = best < 0 || std::abs(i - best) > s.width / 2;
            if (score > bestScore) {
                if (apart)
                    next = bestScore;
                bestScore = score;
                best = i;
                found = here;
                bestSupport = support / here;
                bestVoidTop = voidTop;
            } else if (score > next && apart) {
                next = score;
            }
        }
    }
    if (best < 0)
        return {};
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
    BottomPick pick;
    pick.echo = Echo(best, found);
    // How far the echo stands out of the free section's multiple there.
    const float multiple = s.Multiple(best);
    const float height = std::abs(s.y[static_cast<std::size_t>(best)]);
    pick.standsOut = height / (multiple + s.noise);
    Evidence& e = pick.evidence;
    e[0] = 1.0f;
    const double snr = std::min(static_cast<double>(found), 100.0);
    e[1] = LogRatio(snr);
    e[2] = design > 0 ? static_cast<float>(std::abs(s.MetresOf(best) - design) / (0.1 * design) *
                                           std::min(1.0, 10.0 / snr))
                      : 0.0f;
    e[3] = bestSupport;
    e[4] = bestVoidTop ? 1.0f : 0.0f;
    e[5] = LogRatio(pick.standsOut);
    e[6] = LogRatio(bestScore / std::max(next, minimum));
    e[7] = design > 0 ? 1.0f : 0.0f;
    return pick;
}

} // namespace rovana::pick
