#include "EchoPicker.h"

#include "Baseline.h"
#include "Blow.h"
#include "Bottom.h"
#include "Confidence.h"
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
    result.blowWidth = blow.width;
    result.blowPolarity = blow.polarity;
    if (!timeBase) {
        missing(PickReason::NoTimeBase);
        return result;
    }

    double energy = 0.0;
    for (float v : blow.shape)
        energy += static_cast<double>(v) * v;
    PickContext s(input);
    s.y = CorrelateWithBlow(x, blow);
    s.autocorrelation = BlowAutocorrelation(blow);
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
    s.echoes = s.y;
    KeepEchoes(s.echoes, kEchoSnr * s.noise);

    FreeEndPick freeEnd = PickFreeEnd(s, section);
    result.freeEndEvidence = freeEnd.evidence;
    if (freeEnd.echo) {
        freeEnd.echo->confidence =
            Confidence(freeEnd.evidence, kFreeEndWeights, kFreeEndCalibration);
        (freeEnd.echo->confidence >= kOfferAt ? result.freeEnd : result.withheldFreeEnd) =
            freeEnd.echo;
    }
    if (!result.freeEnd)
        missing(PickReason::FreeEndNotClear);

    // What is left of the free end's own echo within a blow's width of it is no reflector.
    const int n = static_cast<int>(s.y.size());
    const int loopFrom =
        freeEnd.echo ? std::max(freeEnd.after, freeEnd.echo->sample + s.width) : freeEnd.after;
    TakeOffReflectors(s, s.echoes, loopFrom);
    // Then the bottom is chosen and the voids above it are read off what is left.
    BottomPick bottom = FindBottom(s, freeEnd.after);
    result.bottomEvidence = bottom.evidence;
    if (bottom.echo) {
        bottom.echo->confidence = Confidence(bottom.evidence, kBottomWeights, kBottomCalibration);
        (bottom.echo->confidence >= kOfferAt ? result.bottom : result.withheldBottom) = bottom.echo;
    }
    if (!result.bottom)
        missing(WithheldBottomReason(result));
    const int defectsFrom = freeEnd.echo ? freeEnd.echo->sample + s.width : freeEnd.after;
    // Without a bottom, voids are looked for down to most of the design length.
    int defectsTo = 0;
    if (bottom.echo)
        defectsTo = bottom.echo->sample - (3 * s.width) / 4;
    else if (input.designLength > 0.0)
        defectsTo = std::min(s.Depth(0.9 * input.designLength), n - s.width);
    std::vector<Evidence> withheld;
    for (VoidFound& found : FindVoids(s, defectsFrom, defectsTo)) {
        const double p = Confidence(found.evidence, kDefectWeights, kDefectCalibration);
        found.defect.start.confidence = found.defect.end.confidence = p;
        if (p >= kOfferAt) {
            result.defects.push_back(found.defect);
            result.defectEvidence.push_back(found.evidence);
        } else {
            result.withheldDefects.push_back(found.defect);
            withheld.push_back(found.evidence);
        }
    }
    result.defectEvidence.insert(result.defectEvidence.end(), withheld.begin(), withheld.end());
    return result;
}

} // namespace rovana::pick
