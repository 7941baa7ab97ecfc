#include "LabelledBolt.h"

#include "BoltModel.h"
#include "WaveBolt.h"

namespace rovana::boltmodel {

namespace {

LabelledBolt Labelled(std::uint64_t seed, const ModelBolt& bolt)
{
    const BoltParameters& p = bolt.parameters;
    const BoltTruth& t = bolt.truth;
    LabelledBolt b;
    b.seed = seed;
    b.samples = bolt.samples;
    b.sampleInterval = p.sampleInterval;
    b.waveSpeed = p.waveSpeed;
    b.designLength = p.designLength;
    b.designFreeLength = p.designFreeLength;
    b.length = p.length;
    b.freeLength = p.freeLength;
    b.end = t.end;
    b.freeEndSample = t.freeEnd;
    b.bottomSample = t.bottom;
    b.freeEndVisible = t.freeEndVisible;
    b.bottomVisible = t.bottomVisible;
    b.freeEndSnr = t.freeEndSnr;
    b.bottomSnr = t.bottomSnr;
    b.pulseMetres = p.blowMs / 1000.0 * p.waveSpeed / 2.0;
    b.snrDb = p.snrDb;
    b.highPassHz = static_cast<int>(p.highPassHz);
    for (std::size_t i = 0; i < p.voids.size() && i < t.voids.size(); ++i)
        b.defects.push_back({p.voids[i].top, p.voids[i].bottom, t.voids[i].top, t.voids[i].bottom,
                             t.voids[i].visible, t.voids[i].snr, false});
    return b;
}

} // namespace

pick::PickInput InputOf(const LabelledBolt& bolt)
{
    return {bolt.samples, bolt.sampleInterval, bolt.waveSpeed, bolt.designLength,
            bolt.designFreeLength};
}

const char* ModelName(Model model)
{
    return model == Model::Layered ? "layered" : "wave";
}

LabelledBolt MakeLabelledBolt(Model model, std::uint64_t seed)
{
    if (model == Model::Layered)
        return Labelled(seed, MakeBolt(seed));
    LabelledBolt b = wavebolt::SynthesizeWaveBolt(wavebolt::DrawWaveBolt(seed));
    b.seed = seed;
    return b;
}

std::vector<std::vector<std::int16_t>> RecordChannels(Model model, std::uint64_t seed, int channels)
{
    std::vector<std::vector<std::int16_t>> records;
    if (model == Model::Layered) {
        const BoltParameters p = DrawBolt(seed);
        for (int c = 0; c < channels; ++c) {
            BoltParameters again = p;
            again.noiseSeed = p.noiseSeed + static_cast<std::uint64_t>(c);
            records.push_back(Synthesize(again).samples);
        }
        return records;
    }
    const wavebolt::WaveBoltParameters p = wavebolt::DrawWaveBolt(seed);
    for (int c = 0; c < channels; ++c)
        records.push_back(wavebolt::SynthesizeWaveBolt(p, c).samples);
    return records;
}

} // namespace rovana::boltmodel
