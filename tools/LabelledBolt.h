#pragma once

// A model bolt's record with the answer an engineer would mark, whichever model made it:
// what the picker's scores, its benchmark and the set writers read. Standard library only.

#include "EchoPicker.h"

#include <cstdint>
#include <vector>

namespace rovana::boltmodel {

// A void or a necking of the bar.
struct LabelledDefect
{
    double top = 0.0, bottom = 0.0; // m below the head
    int topSample = 0, bottomSample = 0;
    bool visible = false;
    double snr = 0.0;
    bool necking = false;
};

struct LabelledBolt
{
    std::uint64_t seed = 0;
    std::vector<std::int16_t> samples;
    int sampleInterval = 0; // us
    int waveSpeed = 0;      // m/s
    double designLength = 0.0, designFreeLength = 0.0;
    double length = 0.0, freeLength = 0.0;          // built, m
    int end = 0;                                    // the blow's peak, sample
    double freeEndSample = 0.0, bottomSample = 0.0; // end + round trip, unrounded
    bool freeEndVisible = false, bottomVisible = false;
    double freeEndSnr = 0.0, bottomSnr = 0.0;
    double pulseMetres = 0.0; // the blow's length as depth, c T / 2
    double snrDb = 0.0;       // blow peak against the white noise
    int highPassHz = 0;       // the sensor's high-pass, as the instrument notes it
    std::vector<LabelledDefect> defects;
};

// The picker's input for a labelled bolt, with its design lengths.
pick::PickInput InputOf(const LabelledBolt& bolt);

// The two models a labelled bolt can come from: the layered bar of BoltModel.h and the
// bar solved in time of WaveBolt.h.
enum class Model
{
    Layered,
    Wave,
};

const char* ModelName(Model model);

// The bolt of `seed` from `model`, recorded once (channel 0).
LabelledBolt MakeLabelledBolt(Model model, std::uint64_t seed);

// The same bolt's other blows: channel 1 and 2 with other noise, and in the wave model a
// hammer that strikes a little harder or softer. Channel 0 is MakeLabelledBolt's.
std::vector<std::vector<std::int16_t>> RecordChannels(Model model, std::uint64_t seed,
                                                      int channels);

} // namespace rovana::boltmodel
