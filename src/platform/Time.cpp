#include "platform/Time.h"

#include <charconv>
#include <cstdio>

namespace qvl {
namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar, and back
// (the well-known era arithmetic: whole 400-year cycles, then the day of the era).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

struct Civil {
  std::int64_t year;
  int month, day;
};

Civil CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  return {yearOfEra + era * 400 + (month <= 2), month, day};
}

int DaysInMonth(std::int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Exactly `digits` decimal digits at the front of `text`, taken off it.
std::optional<int> TakeDigits(std::string_view& text, std::size_t digits) {
  if (text.size() < digits) return std::nullopt;
  int value = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  text.remove_prefix(digits);
  return value;
}

bool TakeChar(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

}  // namespace

std::int64_t UtcSeconds(std::int64_t year, int month, int day, int hour, int minute, int second) {
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

std::string IsoUtcText(std::int64_t seconds) {
  if (seconds == kUnknownTime) return {};
  // Floor division, so that times before 1970 fall on the right day; the days of
  // the extreme values stay far inside what the arithmetic takes.
  std::int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  Civil date = CivilFromDays(days);
  // Written by hand: a search may date a million rows.
  if (date.year >= 0 && date.year <= 9999) {
    std::string text = "0000-00-00T00:00:00Z";
    auto two = [&](std::size_t at, int value) {
      text[at] = static_cast<char>('0' + value / 10);
      text[at + 1] = static_cast<char>('0' + value % 10);
    };
    two(0, static_cast<int>(date.year / 100));
    two(2, static_cast<int>(date.year % 100));
    two(5, date.month);
    two(8, date.day);
    two(11, static_cast<int>(rest / 3600));
    two(14, static_cast<int>(rest / 60 % 60));
    two(17, static_cast<int>(rest % 60));
    return text;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02dZ", static_cast<long long>(date.year), date.month,
                date.day, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
  return text;
}

std::optional<std::int64_t> ParseIsoUtc(std::string_view text) {
  auto year = TakeDigits(text, 4);
  if (!year || !TakeChar(text, '-')) return std::nullopt;
  auto month = TakeDigits(text, 2);
  if (!month || !TakeChar(text, '-')) return std::nullopt;
  auto day = TakeDigits(text, 2);
  if (!day || *month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month)) return std::nullopt;
  int hour = 0, minute = 0, second = 0;
  if (TakeChar(text, 'T') || TakeChar(text, 't') || TakeChar(text, ' ')) {
    auto h = TakeDigits(text, 2);
    if (!h || !TakeChar(text, ':')) return std::nullopt;
    auto m = TakeDigits(text, 2);
    if (!m) return std::nullopt;
    std::optional<int> s = 0;
    if (TakeChar(text, ':')) s = TakeDigits(text, 2);
    if (!s || *h > 23 || *m > 59 || *s > 59) return std::nullopt;
    hour = *h;
    minute = *m;
    second = *s;
  }
  TakeChar(text, 'Z') || TakeChar(text, 'z');
  if (!text.empty()) return std::nullopt;
  return UtcSeconds(*year, *month, *day, hour, minute, second);
}

}  // namespace qvl
