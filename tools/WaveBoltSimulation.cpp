#include "WaveBoltSimulation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace rovana::wavebolt {

namespace {

constexpr double kPi = std::numbers::pi;

// One second-order section (the cookbook's bilinear designs), direct form I in double.
class Biquad
{
public:
    static Biquad LowPass(double hz, double q, double rate)
    {
        const double w = 2.0 * kPi * hz / rate, alpha = std::sin(w) / (2.0 * q);
        const double c = std::cos(w);
        return Biquad((1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0, 1.0 + alpha, -2.0 * c,
                      1.0 - alpha);
    }
    static Biquad HighPass(double hz, double q, double rate)
    {
        const double w = 2.0 * kPi * hz / rate, alpha = std::sin(w) / (2.0 * q);
        const double c = std::cos(w);
        return Biquad((1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, 1.0 + alpha, -2.0 * c,
                      1.0 - alpha);
    }
    double operator()(double x)
    {
        const double y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

private:
    Biquad(double b0, double b1, double b2, double a0, double a1, double a2)
        : m_b0(b0 / a0), m_b1(b1 / a0), m_b2(b2 / a0), m_a1(a1 / a0), m_a2(a2 / a0)
    {}
    double m_b0, m_b1, m_b2, m_a1, m_a2;
    double m_x1 = 0.0, m_x2 = 0.0, m_y1 = 0.0, m_y2 = 0.0;
};

} // namespace

double HertzStiffness(double mass, double speed, double seconds)
{
    // A mass meeting a rigid face through F = k d^1.5 is pressed in by
    // d = (5 m v^2 / (4 k))^(2/5) and touches it for 2.9432 d / v.
    const double deepest = seconds * speed / 2.9432;
    return 5.0 * mass * speed * speed / (4.0 * std::pow(deepest, 2.5));
}

HeadRecord SimulateHead(const BarProfile& bar, const Hammer& hammer, const Sensor& sensor,
                        int sampleCount)
{
    HeadRecord out;
    const int cells = static_cast<int>(bar.impedance.size());
    if (cells < 2 || sampleCount <= 0)
        return out;
    const int nodes = cells + 1;
    const double c = bar.waveSpeed, dx = bar.dx, dt = bar.dt;
    const double massPerLength = bar.barImpedance / c; // the bare bar's
    const double decay = std::exp(-dt / bar.relaxationTime);

    // Per cell: the elastic increment per velocity difference and the relaxation's.
    std::vector<double> elastic(static_cast<std::size_t>(cells)), relaxing(elastic.size());
    for (int j = 0; j < cells; ++j) {
        const double stiffness = bar.barImpedance * c * bar.impedance[static_cast<std::size_t>(j)];
        elastic[static_cast<std::size_t>(j)] = dt * stiffness / dx;
        relaxing[static_cast<std::size_t>(j)] = bar.relaxation[static_cast<std::size_t>(j)] *
                                                stiffness * bar.relaxationTime * (1.0 - decay) / dx;
    }
    // Per node: v' = keep v + gain F, the dashpot taken half before and half after.
    std::vector<double> keep(static_cast<std::size_t>(nodes)), gain(keep.size());
    std::vector<double> spring(keep.size()), u(keep.size(), 0.0);
    for (int i = 0; i < nodes; ++i) {
        const auto at = [&](int j) {
            return j >= 0 && j < cells ? bar.impedance[static_cast<std::size_t>(j)] : 0.0;
        };
        const auto leakAt = [&](int j) {
            return j >= 0 && j < cells ? bar.leak[static_cast<std::size_t>(j)] : 0.0;
        };
        const auto holdAt = [&](int j) {
            return j >= 0 && j < cells && !bar.hold.empty() ? bar.hold[static_cast<std::size_t>(j)]
                                                            : 0.0;
        };
        spring[static_cast<std::size_t>(i)] = 0.5 * dx * (holdAt(i - 1) + holdAt(i));
        const double z = 0.5 * (at(i - 1) + at(i));
        double mass = massPerLength * dx * z;
        if (i >= bar.nutFirst && i <= bar.nutLast)
            mass += bar.nutMass / (bar.nutLast - bar.nutFirst + 1);
        double dashpot =
            2.0 * bar.barImpedance * dx * 0.5 * (at(i - 1) * leakAt(i - 1) + at(i) * leakAt(i));
        if (i == nodes - 1)
            dashpot += bar.toeDashpot * bar.barImpedance;
        keep[static_cast<std::size_t>(i)] =
            (mass / dt - 0.5 * dashpot) / (mass / dt + 0.5 * dashpot);
        gain[static_cast<std::size_t>(i)] = 1.0 / (mass / dt + 0.5 * dashpot);
    }

    std::vector<double> v(static_cast<std::size_t>(nodes), 0.0);
    std::vector<double> force(static_cast<std::size_t>(cells), 0.0), memory(force.size(), 0.0);
    std::vector<double> elasticForce(force.size(), 0.0);
    const int nutFirst = std::clamp(bar.nutFirst, 0, nodes - 1);
    const int nutLast = std::clamp(bar.nutLast, nutFirst, nodes - 1);
    const double nutShare = bar.nutStiffness / (nutLast - nutFirst + 1);
    double nutDisplacement = 0.0; // the mean of the nut's nodes
    double plateDisplacement = 0.0, plateVelocity = 0.0;
    double headDisplacement = 0.0, hammerDisplacement = 0.0, hammerVelocity = hammer.speed;
    bool touched = false, released = false;

    const double rate = 1.0 / dt;
    Biquad resonance =
        Biquad::LowPass(std::min(sensor.resonanceHz, 0.45 * rate), sensor.resonanceQ, rate);
    Biquad highPass = Biquad::HighPass(sensor.highPassHz, std::sqrt(0.5), rate);
    Biquad antiAlias1 = Biquad::LowPass(std::min(sensor.antiAliasHz, 0.45 * rate), 0.5412, rate);
    Biquad antiAlias2 = Biquad::LowPass(std::min(sensor.antiAliasHz, 0.45 * rate), 1.3066, rate);

    out.samples.resize(static_cast<std::size_t>(sampleCount));
    const long steps = static_cast<long>(sampleCount) * bar.stepsPerSample;
    for (long n = 0; n < steps; ++n) {
        const double t = n * dt;
        // Forces between the nodes from the velocities at step n.
        for (int j = 0; j < cells; ++j) {
            const double strainRate =
                v[static_cast<std::size_t>(j) + 1] - v[static_cast<std::size_t>(j)];
            elasticForce[static_cast<std::size_t>(j)] +=
                elastic[static_cast<std::size_t>(j)] * strainRate;
            memory[static_cast<std::size_t>(j)] =
                memory[static_cast<std::size_t>(j)] * decay +
                relaxing[static_cast<std::size_t>(j)] * strainRate;
            force[static_cast<std::size_t>(j)] =
                elasticForce[static_cast<std::size_t>(j)] + memory[static_cast<std::size_t>(j)];
        }
        // The hammer presses the head while it is pressed in (Hertz); once it has left the
        // head it does not come back.
        double contact = 0.0;
        if (!released && t >= hammer.startTime) {
            const double pressedIn = hammerDisplacement - headDisplacement;
            if (pressedIn > 0.0) {
                contact = hammer.stiffness * std::pow(pressedIn, 1.5);
                touched = true;
                out.contactSeconds += dt;
            } else if (touched) {
                released = true;
            }
            hammerVelocity -= dt * contact / hammer.mass;
            hammerDisplacement += dt * hammerVelocity;
        }
        const double nutPull = nutShare * (plateDisplacement - nutDisplacement);
        // Node velocities: tension below pulls a node down, tension above pulls it up.
        for (int i = 0; i < nodes; ++i) {
            double f = (i < cells ? force[static_cast<std::size_t>(i)] : 0.0) -
                       (i > 0 ? force[static_cast<std::size_t>(i) - 1] : 0.0);
            if (i == 0)
                f += contact;
            if (i >= nutFirst && i <= nutLast)
                f += nutPull;
            f -= spring[static_cast<std::size_t>(i)] * u[static_cast<std::size_t>(i)];
            v[static_cast<std::size_t>(i)] =
                keep[static_cast<std::size_t>(i)] * v[static_cast<std::size_t>(i)] +
                gain[static_cast<std::size_t>(i)] * f;
            u[static_cast<std::size_t>(i)] += dt * v[static_cast<std::size_t>(i)];
        }
        // The plate, held by the nut's thread and bearing on the rock, takes the thread's
        // force of the same step back: both sides of the spring move on the same
        // displacements, which keeps the step symplectic.
        const double plateForce = -bar.nutStiffness * (plateDisplacement - nutDisplacement) -
                                  bar.rockStiffness * plateDisplacement -
                                  bar.rockDamping * plateVelocity;
        plateVelocity += dt * plateForce / bar.plateMass;
        plateDisplacement += dt * plateVelocity;
        double nutVelocity = 0.0;
        for (int i = nutFirst; i <= nutLast; ++i)
            nutVelocity += v[static_cast<std::size_t>(i)];
        nutDisplacement += dt * nutVelocity / (nutLast - nutFirst + 1);
        headDisplacement += dt * v[0];

        const double sensed = antiAlias2(antiAlias1(highPass(resonance(v[0]))));
        if ((n + 1) % bar.stepsPerSample == 0)
            out.samples[static_cast<std::size_t>(n / bar.stepsPerSample)] = sensed;
    }
    return out;
}

} // namespace rovana::wavebolt
