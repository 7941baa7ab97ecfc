#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace rovana {

// Local midnight of the given day as seconds since 1970, or nothing when the day is not
// accepted: year below 1900, month outside 1..12, day outside 1..31, or a time the
// calendar cannot represent (before 1970 or after the year 3000). A day past the end
// of its month rolls over into the next month, as the system calendar does.
std::optional<std::int64_t> LocalMidnight(int year, int month, int day);

// The local date of a time as "YYYY-MM-DD" (the "%Y-%m-%d" form).
QString FormatDate(std::int64_t secondsSince1970);

} // namespace rovana
