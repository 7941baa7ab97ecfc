#pragma once

#include "TestRecord.h"

#include <array>
#include <optional>

namespace rovana {

// What the engineer set on one channel of the test being edited: the five markers (end,
// free end, bottom, defect start, defect end; positions are sample indices and count only
// while set), who placed each, and the grade chosen from the criteria. Lengths, class and
// verdict are never held here: they are derived from these and the record every time.
struct ChannelMarks
{
    std::array<bool, kMarkerCount> set{};
    std::array<int, kMarkerCount> pos{};
    // Placed by the design-length rule (free end and bottom), not by the engineer: such a
    // bottom is no measurement.
    std::array<bool, kMarkerCount> byRule{};
    int grade = -1; // 0..3 (A..D), -1 for none

    std::optional<int> At(int marker) const
    {
        const auto m = static_cast<std::size_t>(marker);
        return set[m] ? std::optional<int>(pos[m]) : std::nullopt;
    }
    bool IsSet(int marker) const { return set[static_cast<std::size_t>(marker)]; }
    bool ByRule(int marker) const
    {
        const auto m = static_cast<std::size_t>(marker);
        return set[m] && byRule[m];
    }
    // End and bottom set, the bottom by the engineer: a measured bolt.
    bool Measured() const
    {
        return IsSet(kMarkerEnd) && IsSet(kMarkerBottom) && !ByRule(kMarkerBottom);
    }
    friend bool operator==(const ChannelMarks&, const ChannelMarks&) = default;
};

} // namespace rovana
