#include "WaveBolt.h"

#include "BoltModel.h"
#include "ModelDraws.h"
#include "WaveBoltSimulation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace rovana::wavebolt {

namespace {

using boltmodel::BestCorrelation;
using boltmodel::DrawRecording;
using boltmodel::ModelRandom;
using boltmodel::ModelRecording;

constexpr double kPi = std::numbers::pi;
constexpr double kSteel = 7850.0;    // kg/m^3
constexpr double kLongestDx = 0.015; // m, about 19 cells per wavelength at 20 kHz
constexpr double kCourant = 0.85;

// The model's draws, seeded apart from BoltModel's.
class Random : public ModelRandom
{
public:
    explicit Random(std::uint64_t seed) : ModelRandom(seed * 0x9FB21C651E98DF25ULL + 0x1234567ULL)
    {}
};

// 0 before `from`, 1 after `from + width`, a raised cosine between.
double Ramp(double x, double from, double width)
{
    if (x <= from)
        return 0.0;
    if (x >= from + width)
        return 1.0;
    return 0.5 - 0.5 * std::cos(kPi * (x - from) / width);
}

// 1 inside [top, bottom], 0 outside, its edges centred on top and bottom.
double Window(double x, double top, double bottom, double edge)
{
    return Ramp(x, top - 0.5 * edge, edge) * (1.0 - Ramp(x, bottom - 0.5 * edge, edge));
}

enum class Variant
{
    Full,
    Direct,   // the bar bare and absorbing below the nut's free section: the blow alone
    NoToe,    // the toe absorbs every wave
    NoDefect, // defect `filled` filled in
};

BarProfile ProfileOf(const WaveBoltParameters& p, Variant variant, int filled = -1)
{
    BarProfile bar;
    bar.waveSpeed = p.waveSpeed;
    const double interval = p.sampleInterval * 1e-6;
    const int steps =
        std::max(1, static_cast<int>(std::ceil(interval * p.waveSpeed / (kCourant * kLongestDx))));
    bar.dx = p.waveSpeed * interval / steps / kCourant;
    bar.barImpedance = kSteel * kPi * p.barDiameter * p.barDiameter / 4.0 * p.waveSpeed;
    // The nut's thread on the few nodes it holds is stiffer than the bar between them: the
    // time step shrinks until the bar's fastest mode (2 c / dx, raised by the relaxation)
    // and the nut's together stay well inside the leapfrog's limit of 2.
    const double nutNodes = std::max(1.0, std::round(0.03 / bar.dx) + 1.0);
    const double nodeMass = bar.barImpedance / p.waveSpeed * bar.dx + p.nutMass / nutNodes;
    const double nutOmega = std::sqrt(p.plateMass / (nodeMass * nutNodes)) * 2e3 * kPi * p.nutKHz;
    const double barOmega = 2.0 * p.waveSpeed / bar.dx * std::sqrt(1.0 + p.relaxation);
    int finer = 1;
    while ((barOmega + nutOmega) * interval / (steps * finer) > 1.8)
        ++finer;
    bar.stepsPerSample = steps * finer;
    bar.dt = interval / bar.stepsPerSample;
    bar.relaxationTime = p.relaxationUs * 1e-6;
    const double depth = variant == Variant::Direct ? p.freeLength : p.length;
    const int cells = std::max(2, static_cast<int>(std::lround(depth / bar.dx)));
    bar.impedance.assign(static_cast<std::size_t>(cells), 1.0);
    bar.leak.assign(bar.impedance.size(), 0.0);
    bar.relaxation.assign(bar.impedance.size(), 0.0);
    bar.hold.assign(bar.impedance.size(), 0.0);
    for (int j = 0; j < cells && variant != Variant::Direct; ++j) {
        const double x = (j + 0.5) * bar.dx;
        double wave = 1.0;
        for (const auto& w : p.holdWaves)
            wave += w[0] * std::sin(2.0 * kPi * x / w[1] + w[2]);
        double hold = std::clamp(p.hold * wave, 0.0, 1.0) *
                      Ramp(x, p.freeLength - 0.5 * p.groutTopRamp, p.groutTopRamp);
        double section = 1.0;
        for (std::size_t k = 0; k < p.defects.size(); ++k) {
            const Defect& d = p.defects[k];
            if (static_cast<int>(k) == filled)
                continue;
            const double in = Window(x, d.top, d.bottom, d.edge);
            if (d.necking)
                section -= in * (1.0 - d.level);
            else
                hold += in * ((d.level - 1.0) / (p.groutImpedance - 1.0) - hold);
        }
        const double grout = hold * (p.groutImpedance - 1.0);
        bar.impedance[static_cast<std::size_t>(j)] = section + grout;
        bar.leak[static_cast<std::size_t>(j)] = p.leakBase * grout;
        bar.relaxation[static_cast<std::size_t>(j)] = p.relaxation * hold;
        bar.hold[static_cast<std::size_t>(j)] = hold * bar.barImpedance / p.waveSpeed *
                                                bar.impedance[static_cast<std::size_t>(j)] *
                                                std::pow(2.0 * kPi * p.holdHz, 2.0);
    }
    const double last = bar.impedance.back();
    if (variant == Variant::Direct || variant == Variant::NoToe)
        bar.toeDashpot = last; // matched: nothing comes back
    else
        bar.toeDashpot = last * (1.0 - p.toeReflection) / (1.0 + p.toeReflection);
    const auto node = [&](double metres) {
        return std::clamp(static_cast<int>(std::lround(metres / bar.dx)), 0, cells);
    };
    bar.nutFirst = node(p.nutDepth - 0.015);
    bar.nutLast = std::max(bar.nutFirst, node(p.nutDepth + 0.015));
    const auto spring = [&](double kHz) { return p.plateMass * std::pow(2e3 * kPi * kHz, 2.0); };
    bar.plateMass = p.plateMass;
    bar.nutMass = p.nutMass;
    bar.nutStiffness = spring(p.nutKHz);
    bar.rockStiffness = spring(p.rockKHz);
    bar.rockDamping = 2.0 * p.rockDamping * std::sqrt(bar.rockStiffness * p.plateMass);
    return bar;
}

Hammer HammerOf(const WaveBoltParameters& p, int channel)
{
    Random r(p.noiseSeed * 31 + static_cast<std::uint64_t>(channel));
    Hammer h;
    h.mass = p.hammerMass;
    h.speed = p.hammerSpeed * (channel == 0 ? 1.0 : 1.0 + r.uniform(-0.15, 0.15));
    h.stiffness = HertzStiffness(p.hammerMass, p.hammerSpeed, p.contactMs * 1e-3) *
                  (channel == 0 ? 1.0 : 1.0 + r.uniform(-0.1, 0.1));
    h.startTime = p.blowStartSample * p.sampleInterval * 1e-6;
    return h;
}

Sensor SensorOf(const WaveBoltParameters& p)
{
    Sensor s;
    s.resonanceHz = p.sensorKHz * 1e3;
    s.resonanceQ = p.sensorQ;
    s.highPassHz = p.highPassHz;
    s.antiAliasHz = std::min(0.35e6 / p.sampleInterval, 40e3);
    return s;
}

HeadRecord Run(const WaveBoltParameters& p, Variant variant, int samples, int channel = 0,
               int filled = -1)
{
    return SimulateHead(ProfileOf(p, variant, filled), HammerOf(p, channel), SensorOf(p),
                        std::clamp(samples, 1, p.sampleCount));
}

std::vector<double> Difference(const std::vector<double>& a, const std::vector<double>& b)
{
    std::vector<double> d(a.size(), 0.0);
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        d[i] = a[i] - b[i];
    return d;
}

} // namespace

WaveBoltParameters DrawWaveBolt(std::uint64_t seed)
{
    Random r(seed);
    WaveBoltParameters p;
    p.length = r.uniform(1.5, 12.0);
    p.freeLength = r.uniform(0.2, std::min(1.5, 0.4 * p.length));
    p.waveSpeed = static_cast<int>(std::lround(r.uniform(3000.0, 5500.0)));
    p.contactMs = r.uniform(0.1, 0.4);
    const ModelRecording rec = DrawRecording(r, p.length, p.freeLength, p.waveSpeed, p.contactMs);
    p.sampleInterval = rec.sampleInterval;
    p.sampleCount = rec.sampleCount;
    p.blowStartSample = rec.blowStartSample;
    p.designLength = rec.designLength;
    p.designFreeLength = rec.designFreeLength;

    p.barDiameter = r.uniform(0.020, 0.032);
    p.hammerMass = r.uniform(0.1, 1.0);
    p.hammerSpeed = r.uniform(0.5, 3.0);
    p.nutDepth = r.uniform(0.03, std::min(0.15, 0.5 * p.freeLength));
    p.nutMass = r.uniform(0.05, 0.15);
    p.plateMass = r.uniform(0.3, 1.5);
    p.nutKHz = r.uniform(0.8, 3.0);
    p.rockKHz = r.uniform(0.3, 1.5);
    p.rockDamping = r.uniform(0.2, 0.6);
    p.groutImpedance = r.uniform(1.5, 3.0);
    p.hold = r.uniform(0.7, 1.0);
    p.groutTopRamp = r.uniform(0.02, 0.15);
    p.holdHz = r.uniform(50.0, 200.0);
    double total = r.uniform(0.0, 0.15);
    for (auto& w : p.holdWaves) {
        w[0] = total * r.uniform(0.0, 0.6);
        total -= w[0];
        w[1] = r.uniform(0.3, 3.0);
        w[2] = r.uniform(0.0, 2.0 * kPi);
    }
    p.leakBase = r.uniform(0.01, 0.10);
    p.relaxation = r.uniform(0.02, 0.12);
    p.relaxationUs = r.uniform(4.0, 10.0);
    p.toeReflection = r.uniform(0.4, 0.95);
    const double grouted = p.length - p.freeLength;
    if (grouted >= 1.5 && r.uniform() < 0.35) {
        Defect d;
        const double len = r.uniform(0.2, std::min(1.5, 0.5 * grouted));
        d.top = r.uniform(p.freeLength + 0.3, p.length - 0.3 - len);
        d.bottom = d.top + len;
        d.necking = r.uniform() < 0.3;
        d.level = d.necking ? r.uniform(0.55, 0.85) : r.uniform(1.0, 1.15);
        d.edge = r.uniform(0.01, 0.05);
        p.defects.push_back(d);
    }
    p.sensorKHz = r.uniform(15.0, 40.0);
    p.sensorQ = r.uniform(3.0, 15.0);
    p.highPassHz = r.uniform(10.0, 150.0);
    p.snrDb = r.uniform(10.0, 35.0);
    p.pinkShare = r.uniform(0.0, 0.5);
    p.humShare = r.uniform(0.0, 0.05);
    p.driftShare = r.uniform(0.0, 0.05);
    p.blowPeakCounts = r.uniform(3000.0, 20000.0);
    p.noiseSeed = r.next();
    return p;
}

boltmodel::LabelledBolt SynthesizeWaveBolt(const WaveBoltParameters& p, int channel)
{
    boltmodel::LabelledBolt bolt;
    bolt.sampleInterval = p.sampleInterval;
    bolt.waveSpeed = p.waveSpeed;
    bolt.designLength = p.designLength;
    bolt.designFreeLength = p.designFreeLength;
    bolt.freeLength = p.freeLength;
    bolt.snrDb = p.snrDb;
    bolt.highPassHz = static_cast<int>(p.highPassHz);
    const int n = p.sampleCount;
    const double perMetre = 2.0 / p.waveSpeed / (p.sampleInterval * 1e-6);
    const BarProfile full = ProfileOf(p, Variant::Full);
    bolt.length = static_cast<double>(full.impedance.size()) * full.dx; // as built on the grid

    // The blow alone fixes the amplifier's gain for every channel and the blow's place.
    const HeadRecord direct = Run(p, Variant::Direct, n);
    bolt.end = static_cast<int>(std::max_element(direct.samples.begin(), direct.samples.end()) -
                                direct.samples.begin());
    const double scale = p.blowPeakCounts / direct.samples[static_cast<std::size_t>(bolt.end)];
    const double pulseSamples = direct.contactSeconds / (p.sampleInterval * 1e-6);
    bolt.pulseMetres = direct.contactSeconds * p.waveSpeed / 2.0;
    bolt.freeEndSample = bolt.end + p.freeLength * perMetre;
    bolt.bottomSample = bolt.end + bolt.length * perMetre;
    const HeadRecord record = SimulateHead(full, HammerOf(p, channel), SensorOf(p), n);

    const double white = p.blowPeakCounts * std::pow(10.0, -p.snrDb / 20.0);
    const double noiseRms = white * std::sqrt(1.0 + p.pinkShare * p.pinkShare);
    if (channel == 0) {
        const int w = std::max(1, static_cast<int>(std::ceil(pulseSamples)));
        std::vector<double> blow;
        const int blowFrom = std::max(0, p.blowStartSample - 1);
        for (int i = blowFrom; i < std::min(n, p.blowStartSample + w + w / 2); ++i)
            blow.push_back(direct.samples[static_cast<std::size_t>(i)] * scale);
        double norm = 0.0;
        for (double b : blow)
            norm += b * b;
        norm = std::sqrt(norm);
        const int blowPeak = bolt.end - blowFrom;
        const auto snrOf = [&](const std::vector<double>& part, double centre, double sign) {
            const int c = static_cast<int>(std::lround(centre));
            return BestCorrelation(part, c - w, c + w, blow, blowPeak, c, w / 2, sign) * scale /
                   (noiseRms * norm);
        };
        // The bottom: its echo's own energy, up to where the free section sends it back.
        {
            const HeadRecord noToe = Run(p, Variant::NoToe, n);
            const std::vector<double> part = Difference(record.samples, noToe.samples);
            const int c = static_cast<int>(std::lround(bolt.bottomSample));
            const double roundTrip = bolt.bottomSample - bolt.end;
            const int ringing = static_cast<int>(bolt.freeEndSample - bolt.end);
            const int upTo = c + std::min({2 * w, std::max(w / 2, ringing - w / 2),
                                           static_cast<int>(roundTrip / 2)});
            double energy = 0.0;
            for (int i = std::max(0, c - 2 * w); i < std::min(n, upTo); ++i)
                energy += part[static_cast<std::size_t>(i)] * part[static_cast<std::size_t>(i)];
            bolt.bottomSnr = std::sqrt(energy) * scale / noiseRms;
            bolt.bottomVisible = bolt.bottomSnr >= boltmodel::kVisibleSnr;
        }
        // The free end: the record against the bare bar's, around the grout's top.
        bolt.freeEndSnr =
            snrOf(Difference(record.samples, direct.samples), bolt.freeEndSample, -1.0);
        bolt.freeEndVisible = bolt.freeEndSnr >= boltmodel::kVisibleSnr &&
                              bolt.freeEndSample - bolt.end >= 0.5 * pulseSamples;
        for (std::size_t k = 0; k < p.defects.size(); ++k) {
            const Defect& d = p.defects[k];
            boltmodel::LabelledDefect label;
            label.top = d.top;
            label.bottom = d.bottom;
            label.necking = d.necking;
            label.topSample = static_cast<int>(std::lround(bolt.end + d.top * perMetre));
            label.bottomSample = static_cast<int>(std::lround(bolt.end + d.bottom * perMetre));
            const HeadRecord filled =
                Run(p, Variant::NoDefect, label.topSample + 3 * w, 0, static_cast<int>(k));
            label.snr = snrOf(Difference(record.samples, filled.samples), label.topSample, 1.0);
            label.visible = label.snr >= boltmodel::kVisibleSnr &&
                            d.top - p.freeLength >= bolt.pulseMetres &&
                            bolt.length - d.top >= bolt.pulseMetres;
            bolt.defects.push_back(label);
        }
    }

    // The record: the sensor's output with white and pink noise, hum, drift and rounding.
    Random r(p.noiseSeed + static_cast<std::uint64_t>(channel));
    double peak = 0.0;
    for (double v : record.samples)
        peak = std::max(peak, std::abs(v * scale));
    const double room = peak > 30000.0 ? 30000.0 / peak : 1.0; // the amplifier's gain
    const double dt = p.sampleInterval * 1e-6;
    // Pink noise: four first-order low-passes of white noise an octave pair apart, each
    // with the same share of the power.
    double pinkState[4] = {};
    const double corners[4] = {30.0, 300.0, 3000.0, 30000.0};
    const double humPhase = r.uniform(0.0, 2.0 * kPi), thirdPhase = r.uniform(0.0, 2.0 * kPi);
    double knots[5];
    for (double& k : knots)
        k = r.uniform(-1.0, 1.0);
    bolt.samples.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = i * dt;
        double v = record.samples[static_cast<std::size_t>(i)] * scale;
        v += p.humShare * p.blowPeakCounts *
             (std::sin(2.0 * kPi * 50.0 * t + humPhase) +
              0.4 * std::sin(2.0 * kPi * 150.0 * t + thirdPhase));
        const double u = 4.0 * i / n; // the drift wanders through five knots
        const int k = std::min(3, static_cast<int>(u));
        v += p.driftShare * p.blowPeakCounts *
             (knots[k] + (knots[k + 1] - knots[k]) * Ramp(u - k, 0.0, 1.0));
        double pink = 0.0;
        for (int b = 0; b < 4; ++b) {
            const double pole = std::exp(-2.0 * kPi * corners[b] * dt);
            pinkState[b] = pole * pinkState[b] + std::sqrt(1.0 - pole * pole) * r.gauss();
            pink += pinkState[b];
        }
        v = v * room + white * room * (r.gauss() + p.pinkShare * 0.5 * pink);
        bolt.samples[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(std::lround(std::clamp(v, -32767.0, 32767.0)));
    }
    return bolt;
}

} // namespace rovana::wavebolt
