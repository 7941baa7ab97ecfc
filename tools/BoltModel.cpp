#include "BoltModel.h"

#include "FFT.h"
#include "ModelDraws.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace rovana::boltmodel {

namespace {

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;

using Random = ModelRandom;

struct Section
{
    double impedance;
    double length; // m
    bool grouted;  // leaks energy into the grout
};

// The bar from the head down.
std::vector<Section> Sections(const BoltParameters& p, int filledVoid)
{
    std::vector<Section> s{{1.0, p.freeLength, false}};
    double depth = p.freeLength;
    for (std::size_t i = 0; i < p.voids.size(); ++i) {
        const VoidSection& v = p.voids[i];
        if (v.top > depth)
            s.push_back({p.groutImpedance, v.top - depth, true});
        if (static_cast<int>(i) == filledVoid)
            s.push_back({p.groutImpedance, v.bottom - v.top, true});
        else
            s.push_back({v.impedance, v.bottom - v.top, false});
        depth = v.bottom;
    }
    if (p.length > depth)
        s.push_back({p.groutImpedance, p.length - depth, true});
    return s;
}

enum class Variant
{
    Full,
    Direct, // an endless bare bar: the blow as the sensor sees it, no echo
    NoToe,  // the toe absorbs everything
    FilledVoid,
};

double BlowForce(const BoltParameters& p, double tMs)
{
    const double u = (tMs - p.blowStartSample * p.sampleInterval / 1000.0) / p.blowMs;
    if (u < 0.0 || u > 1.0)
        return 0.0;
    if (!p.bellBlow)
        return std::sin(kPi * u);
    const double z = (u - 0.5) / 0.2;
    return std::exp(-0.5 * z * z);
}

// The head's velocity after the sensor's high-pass, in arbitrary units, for
// `sampleCount` samples.
std::vector<double> HeadVelocity(const BoltParameters& p, Variant variant, int filledVoid = -1)
{
    const int n = p.sampleCount;
    int size = 4096;
    while (size < 4 * n)
        size *= 2;
    const double dt = p.sampleInterval * 1e-6;
    const double damping = std::log(1e4) / (size * dt); // exponential window, 1/s
    std::vector<float> re(static_cast<std::size_t>(size)), im(re.size());
    for (int i = 0; i < size; ++i)
        re[static_cast<std::size_t>(i)] =
            static_cast<float>(BlowForce(p, i * dt * 1000.0) * std::exp(-damping * i * dt));
    FFT(re, im);

    const std::vector<Section> sections = Sections(p, filledVoid);
    const double wc = 2.0 * kPi * p.highPassHz;
    for (int k = 0; k <= size / 2; ++k) {
        const double w = 2.0 * kPi * k / (size * dt);
        const Complex s(damping, w);
        Complex gamma = 0.0; // velocity reflection looking down from the head
        if (variant != Variant::Direct) {
            gamma = variant == Variant::NoToe ? 0.0 : p.toeReflection;
            for (std::size_t j = sections.size(); j-- > 0;) {
                const Section& sec = sections[j];
                const double fKHz = w / (2.0 * kPi) / 1000.0;
                const double alpha =
                    sec.grouted ? (sec.impedance - 1.0) * (p.leakBase + p.leakPerKHz * fKHz) : 0.0;
                gamma *= std::exp(-2.0 * s * sec.length / static_cast<double>(p.waveSpeed) -
                                  2.0 * alpha * sec.length);
                if (j > 0) {
                    const double za = sections[j - 1].impedance;
                    const double r = (za - sec.impedance) / (za + sec.impedance);
                    gamma = (r + gamma) / (1.0 + r * gamma);
                }
            }
        }
        const Complex h = (1.0 + gamma) / (1.0 - gamma) * s / (s + wc);
        const Complex f(re[static_cast<std::size_t>(k)], im[static_cast<std::size_t>(k)]);
        const Complex v = f * h;
        re[static_cast<std::size_t>(k)] = static_cast<float>(v.real());
        im[static_cast<std::size_t>(k)] = static_cast<float>(-v.imag()); // conjugate: inverse
        if (k > 0 && k < size / 2) {
            re[static_cast<std::size_t>(size - k)] = static_cast<float>(v.real());
            im[static_cast<std::size_t>(size - k)] = static_cast<float>(v.imag());
        }
    }
    FFT(re, im);
    std::vector<double> out(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        out[static_cast<std::size_t>(i)] =
            re[static_cast<std::size_t>(i)] / size * std::exp(damping * i * dt);
    return out;
}

} // namespace

BoltParameters DrawBolt(std::uint64_t seed)
{
    Random r(seed * 0x2545F4914F6CDD1DULL + 17);
    BoltParameters p;
    p.length = r.uniform(1.5, 12.0);
    p.freeLength = r.uniform(0.2, std::min(1.5, 0.4 * p.length));
    p.waveSpeed = static_cast<int>(std::lround(r.uniform(3000.0, 5500.0)));
    p.blowMs = r.uniform(0.1, 0.4);
    p.bellBlow = r.uniform() < 0.4;

    const ModelRecording rec = DrawRecording(r, p.length, p.freeLength, p.waveSpeed, p.blowMs);
    p.sampleInterval = rec.sampleInterval;
    p.sampleCount = rec.sampleCount;
    p.blowStartSample = rec.blowStartSample;
    p.designLength = rec.designLength;
    p.designFreeLength = rec.designFreeLength;
    p.groutImpedance = r.uniform(1.5, 3.0);
    p.leakBase = r.uniform(0.01, 0.10);
    p.leakPerKHz = r.uniform(0.005, 0.05);
    p.toeReflection = r.uniform(0.4, 0.95);
    const double grouted = p.length - p.freeLength;
    if (grouted >= 1.5 && r.uniform() < 0.35) {
        VoidSection v;
        const double len = r.uniform(0.2, std::min(1.5, 0.5 * grouted));
        v.top = r.uniform(p.freeLength + 0.3, p.length - 0.3 - len);
        v.bottom = v.top + len;
        v.impedance = r.uniform(1.0, 1.15);
        p.voids.push_back(v);
    }
    p.highPassHz = r.uniform(10.0, 150.0);
    if (r.uniform() < 0.3) {
        p.ringAmplitude = r.uniform(0.05, 0.3);
        p.ringKHz = r.uniform(3.0, 12.0);
        p.ringDecayMs = r.uniform(0.1, 0.8);
    }
    p.snrDb = r.uniform(10.0, 35.0);
    p.driftAmplitude = r.uniform(0.0, 0.05);
    p.humAmplitude = r.uniform(0.0, 0.05);
    p.blowPeakCounts = r.uniform(3000.0, 20000.0);
    p.noiseSeed = r.next();
    return p;
}

ModelBolt Synthesize(const BoltParameters& p)
{
    ModelBolt bolt;
    bolt.parameters = p;
    BoltTruth& t = bolt.truth;
    const int n = p.sampleCount;
    const double dtMs = p.sampleInterval / 1000.0;
    const double samplesPerMetre = 2.0 / p.waveSpeed / (p.sampleInterval * 1e-6);

    const std::vector<double> direct = HeadVelocity(p, Variant::Direct);
    const std::vector<double> full = HeadVelocity(p, Variant::Full);
    t.end = static_cast<int>(std::max_element(direct.begin(), direct.end()) - direct.begin());
    const double scale = p.blowPeakCounts / direct[static_cast<std::size_t>(t.end)];
    t.freeEnd = t.end + p.freeLength * samplesPerMetre;
    t.bottom = t.end + p.length * samplesPerMetre;
    t.pulseSamples = p.blowMs / dtMs;
    t.noiseRms = p.blowPeakCounts * std::pow(10.0, -p.snrDb / 20.0);

    // The blow as the matched filter knows it: its first pulse and the high-pass tail.
    const int w = static_cast<int>(std::ceil(t.pulseSamples));
    std::vector<double> blow;
    const int blowFrom = std::max(0, p.blowStartSample - 1);
    for (int i = blowFrom; i < std::min(n, p.blowStartSample + w + w / 2); ++i)
        blow.push_back(direct[static_cast<std::size_t>(i)] * scale);
    double norm = 0.0;
    for (double b : blow)
        norm += b * b;
    norm = std::sqrt(norm);
    const int blowPeak = t.end - blowFrom;
    const auto snrOf = [&](const std::vector<double>& part, double centre, int half, int lag,
                           double sign, int upTo) {
        const int c = static_cast<int>(std::lround(centre));
        return BestCorrelation(part, c - half, std::min(c + half, upTo), blow, blowPeak, c, lag,
                               sign) *
               scale / (t.noiseRms * norm);
    };

    std::vector<double> part(full.size());
    const std::vector<double> noToe = HeadVelocity(p, Variant::NoToe);
    for (std::size_t i = 0; i < part.size(); ++i)
        part[i] = full[i] - noToe[i];
    const double roundTrip = t.bottom - t.end;
    // The bottom echo's own energy against the noise: what a filter matched to the echo as
    // the grout has shaped it would reach. Its window ends before the free section sends
    // it back again and before the second bottom echo.
    {
        const int c = static_cast<int>(std::lround(t.bottom));
        const int ringing = static_cast<int>(t.freeEnd - t.end);
        const int upTo = c + std::min({2 * w, std::max(w / 2, ringing - w / 2),
                                       static_cast<int>(roundTrip / 2)});
        double energy = 0.0;
        for (int i = std::max(0, c - 2 * w); i < std::min(n, upTo); ++i)
            energy += part[static_cast<std::size_t>(i)] * part[static_cast<std::size_t>(i)];
        t.bottomSnr = std::sqrt(energy) * scale / t.noiseRms;
    }
    t.bottomVisible = t.bottomSnr >= kVisibleSnr;

    const double rFree = (1.0 - p.groutImpedance) / (1.0 + p.groutImpedance);
    // The free head doubles every arriving wave: the first echo is 2r times the blow.
    t.freeEndSnr = 2.0 * std::abs(rFree) * norm / t.noiseRms;
    t.freeEndVisible = t.freeEndSnr >= kVisibleSnr && t.freeEnd - t.end >= 0.5 * t.pulseSamples;

    const double pulseMetres = p.blowMs / 1000.0 * p.waveSpeed / 2.0;
    for (std::size_t i = 0; i < p.voids.size(); ++i) {
        const VoidSection& v = p.voids[i];
        const std::vector<double> filled =
            HeadVelocity(p, Variant::FilledVoid, static_cast<int>(i));
        for (std::size_t k = 0; k < part.size(); ++k)
            part[k] = full[k] - filled[k];
        VoidTruth vt;
        vt.top = static_cast<int>(std::lround(t.end + v.top * samplesPerMetre));
        vt.bottom = static_cast<int>(std::lround(t.end + v.bottom * samplesPerMetre));
        vt.snr = snrOf(part, vt.top, w, w / 2, 1.0, n);
        vt.visible = vt.snr >= kVisibleSnr && v.top - p.freeLength >= pulseMetres &&
                     p.length - v.top >= pulseMetres;
        t.voids.push_back(vt);
    }

    // The record: the bolt's response, ringing of plate and nut, noise, drift and hum.
    Random noise(p.noiseSeed);
    const double driftA = noise.uniform(-1.0, 1.0), driftB = noise.uniform(-1.0, 1.0);
    const double humPhase = noise.uniform(0.0, 2.0 * kPi);
    const double startMs = p.blowStartSample * dtMs;
    std::vector<double> clean(static_cast<std::size_t>(n));
    double peak = 0.0;
    for (int i = 0; i < n; ++i) {
        const double tMs = i * dtMs;
        double v = full[static_cast<std::size_t>(i)] * scale;
        if (p.ringAmplitude > 0.0 && tMs > startMs)
            v += p.ringAmplitude * p.blowPeakCounts * std::exp(-(tMs - startMs) / p.ringDecayMs) *
                 std::sin(2.0 * kPi * p.ringKHz * (tMs - startMs));
        clean[static_cast<std::size_t>(i)] = v;
        peak = std::max(peak, std::abs(v));
    }
    const double room = peak > 30000.0 ? 30000.0 / peak : 1.0; // the amplifier's gain
    t.noiseRms *= room;
    bolt.samples.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double u = static_cast<double>(i) / n;
        double v = clean[static_cast<std::size_t>(i)] * room;
        v += p.driftAmplitude * p.blowPeakCounts * room * (driftA * u + driftB * u * u);
        v += p.humAmplitude * p.blowPeakCounts * room *
             std::sin(2.0 * kPi * 0.05 * i * dtMs + humPhase);
        v += t.noiseRms * noise.gauss();
        bolt.samples[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(std::lround(std::clamp(v, -32767.0, 32767.0)));
    }
    return bolt;
}

} // namespace rovana::boltmodel
