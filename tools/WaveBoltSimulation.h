#pragma once

// The sonic-echo test of one bolt solved in time: the 1-D wave equation of a bar whose
// impedance, losses and relaxation vary cell by cell, on a staggered grid (velocities at
// the nodes, axial forces between them, leapfrog in time), with a hammer on the head, a
// plate and nut on springs near it, a dashpot at the toe and a sensor with its own
// response. Standard library only; the same input always gives the same output.
//
// Each cell of length dx holds the bar with the grout it carries along: mass per length
// m0 z and stiffness m0 c^2 z for an impedance z relative to the bare bar's, so the wave
// speed stays c everywhere and z alone shapes the echoes. Energy leaks into the rock
// through a dashpot per length 2 Z alpha (alpha in Np/m, the same at every frequency) and
// is lost within the grout by a relaxation (a Maxwell element of strength delta and time
// tau beside the stiffness: loss rising as f^2 up to 1 / (2 pi tau)); the grout's shear
// stiffness holds each node to the rock, so that the bar as a whole does not swing. The time step
// is 0.85 dx / c, an integer fraction of the sampling interval; with node masses averaged from the
// two cells beside them the scheme is stable for any profile.

#include <vector>

namespace rovana::wavebolt {

struct BarProfile
{
    double waveSpeed = 4000.0;     // m/s
    double barImpedance = 15000.0; // N s/m, the bare bar's
    double dx = 0.01;              // m
    double dt = 2.5e-6;            // s
    int stepsPerSample = 4;
    std::vector<double> impedance;  // per cell, relative to the bare bar
    std::vector<double> leak;       // per cell, Np/m
    std::vector<double> relaxation; // per cell, delta
    std::vector<double> hold;       // per cell, N/m^2: the grout's shear stiffness per length
    double relaxationTime = 6e-6;   // s
    // The toe's dashpot relative to the bare bar's impedance: 0 leaves the toe free, the
    // last cell's impedance absorbs every wave.
    double toeDashpot = 0.0;
    int nutFirst = 3, nutLast = 5; // the nodes the nut holds
    double nutMass = 0.1;          // kg, shared by the nut's nodes (the thread holds it)
    double nutStiffness = 1e8;     // N/m, the plate's bearing face on the nut
    double plateMass = 0.8;        // kg
    double rockStiffness = 5e7;    // N/m, plate on the rock
    double rockDamping = 500.0;    // N s/m
};

struct Hammer
{
    double mass = 0.3;      // kg
    double stiffness = 1e9; // N / m^1.5, Hertz contact: F = k d^1.5
    double speed = 1.0;     // m/s at contact
    double startTime = 0.0; // s
};

struct Sensor
{
    double resonanceHz = 25000.0;
    double resonanceQ = 8.0;
    double highPassHz = 50.0;     // second-order Butterworth
    double antiAliasHz = 35000.0; // fourth-order Butterworth
};

struct HeadRecord
{
    std::vector<double> samples; // the sensor's output, velocity units, per sample
    double contactSeconds = 0.0; // how long the hammer touched the head
};

// The cells' count times dx is the bar's length; node 0 is the head, where the hammer
// strikes and the sensor sits. `sampleCount` samples at stepsPerSample * dt.
HeadRecord SimulateHead(const BarProfile& bar, const Hammer& hammer, const Sensor& sensor,
                        int sampleCount);

// The Hertz stiffness that makes a hammer of `mass` at `speed` touch a rigid face for
// `seconds`.
double HertzStiffness(double mass, double speed, double seconds);

} // namespace rovana::wavebolt
