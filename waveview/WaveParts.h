#pragma once

// What the parts of a channel view's picture share: the evaluation model, the marker
// indices and colours, the polyline and shape builders, and the parts BuildDrawList puts
// together (the time domain in WaveTimeDomain.cpp, the other modes in WaveCurves.cpp).

#include "DrawItems.h"
#include "WaveGeometry.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace rovana::wave::detail {

// Evaluation model: expressions are evaluated in double precision and rounded to float
// only where a float is stored (f, sy, the scales, lengths), so that positions and
// lengths come out the same on every machine. Every
// expression below does the same: D() widens its float operands, static_cast<float>
// marks the stores.
inline constexpr double D(double value)
{
    return value;
}

inline constexpr int kEnd = 0;
inline constexpr int kFreeEnd = 1;
inline constexpr int kBottom = 2;
inline constexpr int kDefectStart = 3;
inline constexpr int kDefectEnd = 4;

inline const QColor kMarkerColors[5] = {kEndColor, kFreeEndColor, kBottomColor, kDefectColor,
                                        kDefectColor};

// The first n entries of a buffer, n limited to 0..size.
template <typename T> inline std::span<const T> FirstN(std::span<const T> buffer, int n)
{
    const auto count = static_cast<std::size_t>(std::clamp<std::int64_t>(n, 0, buffer.size()));
    return buffer.first(count);
}

// The time domain (WaveTimeDomain.cpp).
void AppendLegend(DrawList& list, const WaveInput& in);
void AppendTrace(DrawList& list, const WaveInput& in);
void AppendSketch(DrawList& list, const WaveInput& in, float f);
void AppendMarkers(DrawList& list, const WaveInput& in, float f);

// Spectrum, phase and energy (WaveCurves.cpp).
void AppendSpectrum(DrawList& list, const WaveInput& in, WaveResult& out);
void AppendPhase(DrawList& list, const WaveInput& in, WaveResult& out);
void AppendEnergy(DrawList& list, const WaveInput& in, WaveResult& out);

} // namespace rovana::wave::detail
