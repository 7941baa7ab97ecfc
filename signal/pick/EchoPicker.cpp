#include "EchoPicker.h"

#include "Baseline.h"
#include "Blow.h"
#include "Bottom.h"
#include "Correlation.h"
#include "EchoSearch.h"
#include "FreeEnd.h"
#include "FreeSection.h"
#include "PickContext.h"
#include "Reflectors.h"
#include "Voids.h"

#include <algorithm>
#include <cmath>

namespace rovana::pick {

namespace {

constexpr float kEchoSnr = 3.0f; // a lobe of the correlation that is an echo

} // namespace

PickResult PickEchoes(const PickInput& input)
{
    PickResult result;
    const auto missing = [&](PickReason reason) { result.reasons.push_back(reason); };
    std::optional<RecordBlow> found = FindBlow(input.samples, input.sampleIntervalUs);
    if (!found) {
        missing(PickReason::NoBlow);
        return result;
    }
    std::vector<float>& x = found->x;
    float& sampleNoise = found->noise;
    BlowPulse& blow = found->blow;
    const bool timeBase = input.sampleIntervalUs > 0 && input.waveSpeed > 0;
    const double perMetre =
        timeBase ? 2.0 / input.waveSpeed / (input.sampleIntervalUs * 1e-6) : 0.0;
    // A free section whose round trip is shorter than the blow returns inside it: its echo
    // is taken off the whole record before the blow is cut from it.
    std::optional<FreeSectionFit> section;
    if (timeBase)
        section =
            UndoShortFreeSection(x, blow, sampleNoise, perMetre, input.designFreeLength, kBlowSnr);
    result.end = Echo(blow.peak, blow.snr);
    if (!timeBase) {
        missing(PickReason::NoTimeBase);
        return result;
    }

    double energy = 0.0;
    for (float v : blow.shape)
        energy += static_cast<double>(v) * v;
    PickContext s{input, CorrelateWithBlow(x, blow), BlowAutocorrelation(blow)};
    s.end = blow.peak;
    s.width = blow.width;
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

    const FreeEndPick freeEnd = PickFreeEnd(s, section, echoes);
    result.freeEnd = freeEnd.echo;
    if (!result.freeEnd)
        missing(PickReason::FreeEndNotClear);

    // What is left of the free end's own echo within a blow's width of it is no reflector.
    const int n = static_cast<int>(s.y.size());
    const int loopFrom =
        result.freeEnd ? std::max(freeEnd.after, result.freeEnd->sample + s.width) : freeEnd.after;
    TakeOffReflectors(s, echoes, loopFrom);
    // Then the bottom is chosen and the voids above it are read off what is left.
    result.bottom = FindBottom(s, freeEnd.after).echo;
    if (!result.bottom)
        missing(PickReason::BottomNotClear);
    const int defectsFrom = result.freeEnd ? result.freeEnd->sample + s.width : freeEnd.after;
    // Without a bottom, voids are looked for down to most of the design length.
    int defectsTo = 0;
    if (result.bottom)
        defectsTo = result.bottom->sample - (3 * s.width) / 4;
    else if (input.designLength > 0.0)
        defectsTo = std::min(s.Depth(0.9 * input.designLength), n - s.width);
    result.defects = FindVoids(s, defectsFrom, defectsTo);
    return result;
}

} // namespace rovana::pick
