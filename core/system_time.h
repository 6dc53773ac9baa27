// Local calendar time as the station keeps it: eight 16-bit fields, the same
// 16 bytes the configuration file stores for the report span.
#pragma once

#include <cstdint>
#include <optional>

namespace ws {

struct SystemTime {
  uint16_t year = 0;
  uint16_t month = 0;      // 1..12
  uint16_t dayOfWeek = 0;  // 0 = Sunday
  uint16_t day = 0;        // 1..31
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;

  friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

static_assert(sizeof(SystemTime) == 16);

// Seconds since 1970-01-01 00:00:00 of the local wall-clock fields, ignoring the
// time zone (a "civil" count). Used to compare and step dates; milliseconds dropped.
int64_t CivilSeconds(const SystemTime& t);

// The inverse of CivilSeconds, with dayOfWeek filled in and milliseconds 0.
SystemTime FromCivilSeconds(int64_t seconds);

// Days from 1970-01-01 to the given civil date (negative before it).
int64_t DaysFromCivil(int year, int month, int day);

int DaysInMonth(int year, int month);

// True when every field is within its calendar range (the day within its month).
bool IsValidDate(const SystemTime& t);

// Current local time from the operating system (localtime_r).
SystemTime LocalNow();

}  // namespace ws
