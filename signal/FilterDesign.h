#pragma once

// The processing chain's Butterworth filters: designed by liquid-dsp, checked before use,
// and the cut-offs each order can realise. Standard library and liquid-dsp only.
//
// liquid-dsp designs in single precision: the cut-off goes in as a float and the sections
// come out as floats. A pole close to z = 1 (a low cut-off) or to z = -1 (a cut-off close
// to half the sampling rate) then lands on the float grid: 1 + a1 + a2, the distance that
// sets a low-pass section's gain at 0 Hz and its steady state, falls to one or two steps of
// that grid (6e-8) and below it to 0 (0/0 for the steady state, a section on the unit
// circle). Before that, the response is already another filter's: a low-pass at 3.5e-5 of
// the sampling rate has +6.6 dB at 0 Hz. A design is accepted (DesignSections) only when
// every coefficient is finite, every section strictly stable, the response of the float
// sections within kPassBandToleranceDb of 0 dB in the pass band (0 Hz for a low-pass, half
// the sampling rate for a high-pass, the band's centre for a band-pass) and within
// kCutOffToleranceDb of -3.01 dB at each cut-off.
//
// Swept over every order at steps of 0.02 % of the cut-off, that check last fails, as a
// share of the sampling rate in millionths (from 0 Hz up, or from half the rate down):
//   order                                       2      3      4      5      6      7      8
//   low-pass from 0, high-pass from half    341.0  343.6  458.3  447.2  491.1  512.0  500.4
//   high-pass from 0, low-pass from half,
//   a band-pass's edges                      45.0   58.0   66.5   76.4   85.4   84.6   84.1
// The first row is the pass band's gain (a low-pass's 0 Hz, a high-pass's half rate); the
// second the stop band's side, where only the cut-off moves. The limits below lie a tenth
// above these, in Hz × µs, so that the limit of an interval is a plain division: at 2 µs a
// high-pass of order 4 needs at least 74 / 2 = 37 Hz. A band too narrow for its place (at
// 2 µs and order 4, 100–120 Hz) fails the check itself and is refused as such.

#include "ProcessingChain.h"

#include <vector>

namespace rovana::processing {

inline constexpr double kPassBandToleranceDb = 0.1;
inline constexpr double kCutOffToleranceDb = 0.5;

// One second-order section, a0 = 1 (a first-order one has b2 = a2 = 0).
struct Section
{
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

// How close to 0 Hz or to half the sampling rate a cut-off may come, in Hz × µs, by order
// (2..8): next to the pass band (a low-pass's lowest cut-off, a high-pass's highest) and
// next to the stop band (a high-pass's or a band's lowest, a low-pass's or a band's highest).
inline constexpr double kNearPassBand[] = {0, 0, 380, 380, 510, 500, 550, 570, 560};
inline constexpr double kNearStopBand[] = {0, 0, 50, 64, 74, 85, 94, 94, 93};

// The realisable range of one cut-off in Hz for a sampling interval (µs) and an order
// (2..8): lowest rounded up and highest rounded down to 0.1 Hz, as the messages show them.
struct CutOffRange
{
    double lowest = 0, highest = 0;
};
CutOffRange LowPassRange(int order, int sampleIntervalUs);
CutOffRange HighPassRange(int order, int sampleIntervalUs);
CutOffRange BandPassRange(int order, int sampleIntervalUs); // lowest lower, highest upper edge

// The sections liquid-dsp designs for `kind` and `order` with cut-offs given as shares of
// the sampling rate (low-pass: high; high-pass: low; band-pass: both), or none when liquid
// would refuse them or the check above fails. liquid-dsp is never called with values it
// refuses, so that it prints nothing.
std::vector<Section> DesignSections(FilterKind kind, int order, double low, double high);

} // namespace rovana::processing
