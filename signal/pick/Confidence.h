#pragma once

// How sure the picker is of a pick, as a probability: what the record says about the pick
// (its evidence) through a logistic function whose weights were fitted once, on the
// layered model bolts the picker is tuned on (tools/FitConfidence.cpp writes them), and
// judged on bolts of another model. A pick of confidence c is right (a bottom within 3 %
// of the length, a free end within 0.1 m, a defect range where a defect is) about c of the
// time. Standard library only.

#include <array>
#include <cstddef>

namespace rovana::pick {

inline constexpr std::size_t kEvidenceSize = 8;

// What the record says about one pick: element 0 is 1 (the intercept), the others are the
// kind's measures below; unused ones stay 0.
using Evidence = std::array<float, kEvidenceSize>;
using Weights = std::array<double, kEvidenceSize>;

// A free end: 1, ln(snr), the distance from the design free length in units of its
// uncertainty (0.15 L0 + 0.05 m), whether it came from the fit of a free section inside
// the blow, the share of the record after it that its multiples explain, ln(delay over
// the blow's width), ln(how much it outscores the next opposite echo), whether a design
// free length was given.
inline constexpr Weights kFreeEndWeights = {3.8234, -1.3150, -2.5598, 5.2429,
                                            3.4092, 1.6783,  0.9720,  0.9586};

// A bottom: 1, ln(snr), the distance from the design length in tenths of it, the second
// echo at twice the round trip over the first, whether a void's bottom follows it,
// ln(how far it stands out of the free section's multiple there), ln(how much it
// outscores the next candidate), whether a design length was given.
inline constexpr Weights kBottomWeights = {1.6159, -0.7108, -0.8664, -0.9381,
                                           0.1246, 0.9999,  0.9900,  2.0149};

// A defect range: 1, ln(snr) of its top and of its bottom, ln(how far each stands out of
// the record above it), ln(how far its top stands out of the free section's multiple
// there), ln(its length over the blow's width), 0.
inline constexpr Weights kDefectWeights = {-1.9604, -0.3348, 0.6156, 0.6111,
                                           1.5616,  1.1376,  0.4662, 0.0000};

// The logistic function of the weighted evidence, in 0..1; 0 for evidence that is not a
// finite number.
double Probability(const Evidence& evidence, const Weights& weights);

// A monotone map of the logistic function's value onto the share of picks that were right
// at that value on the fitting bolts (the tenths' mean value and share right, made
// monotone): the logistic function's form cannot follow every bend of that share. Knots
// in rising x; straight lines between them, (0, 0) and (1, 1) at the ends.
struct Calibration
{
    std::array<double, 10> x{}, y{};
    int count = 0; // knots used
};

// The probability of a pick: Probability mapped through `calibration`.
double Confidence(const Evidence& evidence, const Weights& weights, const Calibration& calibration);

// The map alone.
double Calibrated(double p, const Calibration& calibration);

// ln(max(v, 1e-3)): the measures are ratios, and a ratio of 0 is no evidence at all.
float LogRatio(double v);

inline constexpr Calibration kFreeEndCalibration{
    {0.0337, 0.3987, 0.5434, 0.6562, 0.7549, 0.8571, 0.9817, 0.0000, 0.0000, 0.0000},
    {0.0000, 0.3256, 0.3448, 0.6429, 0.6979, 0.8600, 0.9865, 0.0000, 0.0000, 0.0000},
    7};
inline constexpr Calibration kBottomCalibration{
    {0.4606, 0.5604, 0.6601, 0.7594, 0.8576, 0.9806, 0.0000, 0.0000, 0.0000, 0.0000},
    {0.4500, 0.5294, 0.6833, 0.8020, 0.8167, 0.9842, 0.0000, 0.0000, 0.0000, 0.0000},
    6};
inline constexpr Calibration kDefectCalibration{
    {0.9910, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000},
    {0.9948, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000},
    1};

// Below this confidence a pick is withheld and the reason given instead.
inline constexpr double kOfferAt = 0.5;

} // namespace rovana::pick
