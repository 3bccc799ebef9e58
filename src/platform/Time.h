#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvl {

// Seconds since 1970-01-01 00:00:00 UTC; kUnknownTime where a time is not known
// (an entry listed before times were kept, a file the system gave none for).
inline constexpr std::int64_t kUnknownTime = INT64_MIN;

// "2026-12-09T14:00:00Z"; empty for kUnknownTime. Years outside 0 to 9999 are
// written with as many digits as they take, and a sign when negative.
std::string IsoUtcText(std::int64_t seconds);

// "2026-12-09", "2026-12-09T14:00", "2026-12-09T14:00:00" or with a space for
// the "T", each optionally ending in "Z": a time in UTC. None for anything else,
// a day that does not exist (2026-02-30) included.
std::optional<std::int64_t> ParseIsoUtc(std::string_view text);

// The seconds of `year-month-day hour:minute:second` UTC, the fields unchecked.
std::int64_t UtcSeconds(std::int64_t year, int month, int day, int hour = 0, int minute = 0, int second = 0);

}  // namespace qvl
