#include "FilterDesign.h"

#include <liquid/liquid.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace rovana::processing {
namespace {

constexpr double kHalfRateHzUs = 500000.0; // half the sampling rate, Hz × µs
constexpr double kCutOffDb = -3.0102999566398120;
constexpr int kMaxDesignOrder = 8;

using Complex = std::complex<long double>;

// The response of the cascade at `f` (a share of the sampling rate), in long double so
// that the float coefficients are judged and not the arithmetic that evaluates them.
long double MagnitudeDb(const std::vector<Section>& sections, double f)
{
    const Complex z = std::polar(1.0L, -2.0L * std::numbers::pi_v<long double> * f); // z^-1
    Complex h = 1.0L;
    for (const Section& s : sections) {
        const Complex num = static_cast<long double>(s.b0) + static_cast<long double>(s.b1) * z +
                            static_cast<long double>(s.b2) * z * z;
        const Complex den =
            1.0L + static_cast<long double>(s.a1) * z + static_cast<long double>(s.a2) * z * z;
        h *= num / den;
    }
    return 20.0L * std::log10(std::abs(h));
}

// Finite, with both poles strictly inside the unit circle: |a2| < 1 and |a1| < 1 + a2. A
// strictly stable section also has 1 + a1 + a2 > 0, so its steady state is defined.
bool IsStable(const Section& s)
{
    const double c[] = {s.b0, s.b1, s.b2, s.a1, s.a2};
    return std::all_of(std::begin(c), std::end(c), [](double v) { return std::isfinite(v); }) &&
           std::abs(s.a2) < 1.0 && std::abs(s.a1) < 1.0 + s.a2;
}

bool Near(long double db, double expected, double tolerance)
{
    return std::abs(db - expected) < tolerance; // false for NaN
}

// The centre of liquid's low-pass to band-pass transform for edges low and high:
// cos(2 pi f0) = cos(pi (high + low)) / cos(pi (high - low)).
double BandCentre(double low, double high)
{
    const double pi = std::numbers::pi;
    return std::acos(std::cos(pi * (high + low)) / std::cos(pi * (high - low))) / (2 * pi);
}

// Round `hzUs / intervalUs` up (or down) to 0.1 Hz.
double TenthsUp(double hzUs, int intervalUs)
{
    return std::ceil(10.0 * hzUs / intervalUs) / 10.0;
}
double TenthsDown(double hzUs, int intervalUs)
{
    return std::floor(10.0 * hzUs / intervalUs) / 10.0;
}

int TableOrder(int order)
{
    return std::clamp(order, 2, kMaxDesignOrder);
}

} // namespace

namespace {

CutOffRange RangeOf(double nearZero, double nearHalf, int sampleIntervalUs)
{
    const int t = std::max(sampleIntervalUs, 1);
    return {TenthsUp(nearZero, t), TenthsDown(kHalfRateHzUs - nearHalf, t)};
}

} // namespace

CutOffRange LowPassRange(int order, int sampleIntervalUs)
{
    const int n = TableOrder(order);
    return RangeOf(kNearPassBand[n], kNearStopBand[n], sampleIntervalUs);
}

CutOffRange HighPassRange(int order, int sampleIntervalUs)
{
    const int n = TableOrder(order);
    return RangeOf(kNearStopBand[n], kNearPassBand[n], sampleIntervalUs);
}

CutOffRange BandPassRange(int order, int sampleIntervalUs)
{
    const int n = TableOrder(order);
    return RangeOf(kNearStopBand[n], kNearStopBand[n], sampleIntervalUs);
}

std::vector<Section> DesignSections(FilterKind kind, int order, double low, double high)
{
    if (order < 1 || order > kMaxDesignOrder || kind == FilterKind::None)
        return {};
    // liquid refuses a cut-off outside (0, 0.5) or a centre outside [0, 0.5] as floats (and
    // says so on standard error): those never reach it. Shares are checked as doubles
    // before they are narrowed, so that no conversion is out of range.
    const auto inside = [](double f) { return f > 0.0 && f < 0.5; };
    liquid_iirdes_bandtype band = LIQUID_IIRDES_LOWPASS;
    double fc = high, f0 = 0.0;
    std::size_t count = (static_cast<std::size_t>(order) + 1) / 2;
    if (kind == FilterKind::HighPass) {
        band = LIQUID_IIRDES_HIGHPASS;
        fc = low;
    } else if (kind == FilterKind::BandPass) {
        if (!inside(low) || !inside(high) || !(low < high))
            return {};
        band = LIQUID_IIRDES_BANDPASS;
        fc = low;
        f0 = BandCentre(low, high);
        count = static_cast<std::size_t>(order); // the transform doubles the poles
    }
    if (!inside(fc) || !(f0 >= 0.0 && f0 <= 0.5))
        return {};
    const auto fcf = static_cast<float>(fc), f0f = static_cast<float>(f0);
    if (!(fcf > 0.0f && fcf < 0.5f && f0f >= 0.0f && f0f <= 0.5f))
        return {};
    std::vector<float> b(3 * count), a(3 * count);
    if (liquid_iirdes(LIQUID_IIRDES_BUTTER, band, LIQUID_IIRDES_SOS, static_cast<unsigned>(order),
                      fcf, f0f, 1.0f, 60.0f, b.data(), a.data()) != 0)
        return {};
    std::vector<Section> sections(count);
    for (std::size_t k = 0; k < count; ++k) {
        const double a0 = a[3 * k];
        sections[k] = {b[3 * k] / a0, b[3 * k + 1] / a0, b[3 * k + 2] / a0, a[3 * k + 1] / a0,
                       a[3 * k + 2] / a0};
        if (!IsStable(sections[k]))
            return {};
    }
    // The float sections against the Butterworth response they stand for.
    bool close = true;
    switch (kind) {
    case FilterKind::LowPass:
        close = Near(MagnitudeDb(sections, 0.0), 0.0, kPassBandToleranceDb) &&
                Near(MagnitudeDb(sections, high), kCutOffDb, kCutOffToleranceDb);
        break;
    case FilterKind::HighPass:
        close = Near(MagnitudeDb(sections, 0.5), 0.0, kPassBandToleranceDb) &&
                Near(MagnitudeDb(sections, low), kCutOffDb, kCutOffToleranceDb);
        break;
    default:
        close = Near(MagnitudeDb(sections, f0), 0.0, kPassBandToleranceDb) &&
                Near(MagnitudeDb(sections, low), kCutOffDb, kCutOffToleranceDb) &&
                Near(MagnitudeDb(sections, high), kCutOffDb, kCutOffToleranceDb);
        break;
    }
    if (!close)
        return {};
    return sections;
}

} // namespace rovana::processing
