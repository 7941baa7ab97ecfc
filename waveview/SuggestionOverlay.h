#pragma once

#include "DrawList.h"
#include "SuggestedMarkers.h"
#include "WaveGeometry.h"

#include <QString>

#include <array>

namespace rovana::wave {

// Markers the program suggests for a channel, drawn dashed over its trace until the
// engineer takes them (Enter, "采用") or drops them (Esc).
struct MarkerSuggestion
{
    std::array<int, 5> pos{};           // end, free end, bottom, defect start, end; 0 = none
    std::array<double, 5> confidence{}; // 0..1
    QString summary;                    // lengths, reasons and keys, shown at the bottom left
};

// The marker names of the labels, in marker order.
inline const std::array<QString, 5> kSuggestionNames = {
    QStringLiteral("端部"), QStringLiteral("自由端"), QStringLiteral("底部"),
    QStringLiteral("缺陷起点"), QStringLiteral("缺陷终点")};

// The overlay of a channel's suggested markers: the end, free end and bottom found, and of
// the voids found the surest one (the markers hold one defect range); the summary names
// the lengths they give, the reasons for what is missing and the keys.
MarkerSuggestion SuggestionOf(const SuggestedMarkers& suggested);

// Whether a suggested length differs from a marker's length by more than `share` of it.
bool DiffersBy(float suggested, float marked, double share);

// Appends a dashed line per suggested marker, its label ("底部 92%") at the top, and the
// summary at the bottom left, in the time domain only.
void AppendSuggestion(DrawList& list, const WaveInput& in, const MarkerSuggestion& suggestion);

} // namespace rovana::wave
