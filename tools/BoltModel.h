#pragma once

// A physically based model of one sonic-echo test on a grouted anchor bolt, with the
// answer an engineer would mark. Standard library only; the same seed always gives the
// same bolt and the same samples.
//
// The bolt is a 1-D bar of sections, each with its own impedance (relative to the bare
// bar's) and attenuation: the free section (impedance 1, lossless), the grouted section
// (impedance 1.5..3, energy leaking into the grout at alpha = (Z - 1)(a0 + a1 f) Np/m,
// f in kHz, so high frequencies fade faster) and voids in it (impedance 1.0..1.15,
// lossless). The head is free and struck by a force pulse; the toe reflects velocity with
// a coefficient of 0.4..0.95 (like the blow). The head's velocity is the force spectrum
// times the bar's input mobility, computed from the toe upwards with the reflection
// coefficient of every impedance step; a sensor high-pass follows, then the plate and nut
// ringing, white noise, drift, mains hum and int16 rounding. The spectrum is evaluated a
// little off the frequency axis (exponential window) so the long tail of the response
// never wraps round into the record.
//
// Parameter ranges drawn by DrawBolt:
//   length 1.5..12 m, free length 0.2..min(1.5, 0.4 length) m, wave speed 3000..5500 m/s,
//   sampling interval 2, 5 or 10 us and 1024 or 2048 samples (only pairs whose record
//   holds the bottom echo), blow a half-sine (60 %) or a bell (40 %) of 0.1..0.4 ms that
//   starts 8..120 samples into the record, sensor high-pass 10..150 Hz, grout impedance
//   1.5..3, a0 0.01..0.10 Np/m, a1 0.005..0.05 Np/(m kHz), toe reflection 0.4..0.95,
//   ringing in 30 % of bolts (3..12 kHz, 5..30 % of the blow, decay 0.1..0.8 ms), a void
//   in 35 % of bolts with at least 1.5 m of grouted length (0.2..1.5 m long, impedance
//   1.0..1.15), white noise at a signal-to-noise ratio of 10..35 dB (blow peak against
//   noise rms), drift and hum of 0..5 % of the blow, blow peak 3000..20000 counts, design
//   lengths within 10 % of the built ones.
//
// Visibility, decided from the noise-free parts before any noise is drawn: the bottom is
// visible when its first echo's energy (root of the sum of squares, the output of a filter
// matched to the echo as the grout has shaped it) is at least kVisibleSnr times the noise
// rms; the free end and a void's top when their correlation with the blow is at least
// kVisibleSnr times the noise rms times the blow's norm; the free end in
// addition only when its echo peaks after the blow has ended (round trip >= half the
// blow); a void only when its top is at least one pulse length from the free end and from
// the bottom.

#include <cstdint>
#include <vector>

namespace rovana::boltmodel {

inline constexpr double kVisibleSnr = 6.0;

struct VoidSection
{
    double top = 0.0;    // m below the head
    double bottom = 0.0; // m
    double impedance = 1.0;
};

struct BoltParameters
{
    double length = 0.0;     // m, built
    double freeLength = 0.0; // m, built
    double designLength = 0.0;
    double designFreeLength = 0.0;
    int waveSpeed = 0;      // m/s
    int sampleInterval = 0; // us
    int sampleCount = 0;
    double groutImpedance = 2.0; // relative to the bar's
    double leakBase = 0.05;      // a0, Np/m per unit of (impedance - 1)
    double leakPerKHz = 0.02;    // a1, Np/(m kHz) per unit of (impedance - 1)
    double toeReflection = 0.8;
    std::vector<VoidSection> voids;
    double blowMs = 0.2;
    bool bellBlow = false;
    int blowStartSample = 20;
    double highPassHz = 50.0;
    double ringAmplitude = 0.0; // relative to the blow peak; 0 = no ringing
    double ringKHz = 5.0;
    double ringDecayMs = 0.3;
    double snrDb = 25.0;
    double driftAmplitude = 0.0; // relative to the blow peak
    double humAmplitude = 0.0;   // relative to the blow peak, 50 Hz
    double blowPeakCounts = 10000.0;
    std::uint64_t noiseSeed = 1;
};

struct VoidTruth
{
    int top = 0;    // sample of the top's echo peak
    int bottom = 0; // sample of the void bottom's echo peak
    bool visible = false;
    double snr = 0.0;
};

// Where an engineer puts the markers on the noise-free record, and what can be seen.
struct BoltTruth
{
    int end = 0;         // peak of the blow
    double freeEnd = 0;  // end + round trip to the free end, samples
    double bottom = 0.0; // end + round trip to the toe, samples
    bool freeEndVisible = false;
    bool bottomVisible = false;
    double freeEndSnr = 0.0;
    double bottomSnr = 0.0;
    double pulseSamples = 0.0; // blow duration in samples
    double noiseRms = 0.0;     // counts
    std::vector<VoidTruth> voids;
};

struct ModelBolt
{
    BoltParameters parameters;
    BoltTruth truth;
    std::vector<std::int16_t> samples; // sampleCount values
};

// Draws a bolt's parameters from the ranges above.
BoltParameters DrawBolt(std::uint64_t seed);

// The record and its truth. `noiseSeed` of the parameters draws the noise, so the same
// bolt can be recorded again with other noise.
ModelBolt Synthesize(const BoltParameters& parameters);

inline ModelBolt MakeBolt(std::uint64_t seed)
{
    return Synthesize(DrawBolt(seed));
}

} // namespace rovana::boltmodel
