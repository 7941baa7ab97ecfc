#pragma once

// A second model of one sonic-echo test on a grouted anchor bolt, different in kind from
// BoltModel.h: the bar is solved in time (WaveBoltSimulation.h) with a continuous
// impedance profile, a hammer whose pulse comes from its contact with the head, a plate
// and nut that ring on their own springs, grout whose hold varies along the bolt and
// whose losses rise with frequency, voids and neckings with soft edges, a sensor with a
// resonance, a second-order high-pass and an anti-alias filter, white and pink noise,
// mains hum with its third harmonic, a wandering drift and int16 rounding. The picker was
// never tuned on it. Standard library only; the same seed gives the same bolt.
//
// Parameter ranges drawn by DrawWaveBolt (those of BoltModel.h where both have the
// parameter):
//   length 1.5..12 m, free length 0.2..min(1.5, 0.4 length) m, wave speed 3000..5500 m/s,
//   sampling interval 2, 5 or 10 us and 1024 or 2048 samples (only pairs whose record
//   holds the bottom echo), the blow starting 8..120 samples into the record (at most 8 %
//   of it); a steel bar of 20..32 mm; a hammer of 0.1..1 kg at 0.5..3 m/s whose Hertz
//   contact would last 0.1..0.4 ms on a rigid face; the nut (0.05..0.15 kg, held by the
//   thread) 0.03..0.15 m below the head (at most half the free length), a plate of
//   0.3..1.5 kg on its bearing face (0.8..3 kHz), bearing on the rock at 0.3..1.5 kHz with
//   a damping ratio of 0.2..0.6; grout impedance 1.5..3 times the bar's at full hold, the
//   hold 0.7..1 and varying by up to 15 % along the bolt over waves of 0.3..3 m, the
//   grout's top a ramp of 0.02..0.15 m, the grout's shear holding the grouted bar at
//   50..200 Hz; losses a0 (Z - 1) per unit hold with a0 0.01..0.10 Np/m at every
//   frequency, and a relaxation of strength 0.02..0.12 and time 4..10 us (about 0.01 to
//   0.1 Np/m more at 5 kHz, four times that at 10 kHz); toe reflection 0.4..0.95; a defect
//   in 35 % of bolts with at least 1.5 m of grouted length, 0.2..min(1.5, half the
//   grouted length) m long, a void (70 %: the hold drops to an impedance of 1.0..1.15,
//   edges of 0.01..0.05 m) or a necking (30 %: 55..85 % of the bar's section); sensor
//   resonance 15..40 kHz with Q 3..15, high-pass 10..150 Hz, anti-alias at 35 % of the
//   sampling rate and at most 40 kHz; white noise at a signal-to-noise ratio of 10..35 dB
//   (blow peak against the white noise's rms), pink noise of 0..50 % of it, hum at 50 and
//   150 Hz and a drift each of 0..5 % of the blow; blow peak 3000..20000 counts; design
//   lengths within 10 % of the built ones.
//
// The labels follow BoltModel.h's rules on the noise-free parts, each the difference
// between the record and one without the part: the bottom is visible when its echo's
// energy is at least kVisibleSnr times the noise rms (white and pink together; the toe
// made absorbing), the free end when its echo's correlation with the blow is at least
// kVisibleSnr times the noise rms times the blow's norm and it peaks after half the blow
// (the bar left bare), a defect when its top's correlation passes the same and it lies at
// least one pulse length from the free end and from the toe (the defect filled in).

#include "LabelledBolt.h"

#include <cstdint>
#include <vector>

namespace rovana::wavebolt {

struct Defect
{
    double top = 0.0, bottom = 0.0; // m below the head
    bool necking = false;
    double level = 1.0; // a void's impedance, or a necking's share of the bar's section
    double edge = 0.02; // m, the width of its soft edges
};

struct WaveBoltParameters
{
    double length = 0.0, freeLength = 0.0; // m, built
    double designLength = 0.0, designFreeLength = 0.0;
    int waveSpeed = 0, sampleInterval = 0, sampleCount = 0;
    int blowStartSample = 20;
    double barDiameter = 0.025; // m
    double hammerMass = 0.3, hammerSpeed = 1.0, contactMs = 0.2;
    double nutDepth = 0.08, nutMass = 0.1, plateMass = 0.8, nutKHz = 3.0, rockKHz = 1.0;
    double rockDamping = 0.3;
    double groutImpedance = 2.0, hold = 0.9, groutTopRamp = 0.05;
    double holdHz = 200.0;       // the grouted bar on the grout's shear stiffness
    double holdWaves[3][3] = {}; // amplitude, wavelength m, phase
    double leakBase = 0.05;      // a0, Np/m
    double relaxation = 0.05, relaxationUs = 6.0;
    double toeReflection = 0.8;
    std::vector<Defect> defects;
    double sensorKHz = 25.0, sensorQ = 8.0, highPassHz = 50.0;
    double snrDb = 25.0, pinkShare = 0.2, humShare = 0.02, driftShare = 0.02;
    double blowPeakCounts = 10000.0;
    std::uint64_t noiseSeed = 1;
};

WaveBoltParameters DrawWaveBolt(std::uint64_t seed);

// The record of blow `channel` (0..2: the hammer a little harder or softer each time,
// other noise) and, for channel 0, the labels.
boltmodel::LabelledBolt SynthesizeWaveBolt(const WaveBoltParameters& parameters, int channel = 0);

} // namespace rovana::wavebolt
