// The simulated loggers' stored history: a pure function of logger, date and
// second, so that a test can compute exactly what a day dump has to write.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/system_time.h"

namespace ws {

// One stored second. Values are kept in tenths because the dump block carries
// direction x 10 and speed x 10 as integers.
struct SimSample {
  uint16_t directionTenths = 0;  // 0..3599
  uint16_t speedTenths = 0;      // 0..999
  double Direction() const { return directionTenths / 10.0; }
  double Speed() const { return speedTenths / 10.0; }
  friend bool operator==(const SimSample&, const SimSample&) = default;
};

// The sample logger `loggerIndex` (0-based) holds for the given local date and
// second of the day (0..86399), or nullopt where the logger has none (stored as
// 0xFFFF in a dump block). Missing samples follow a fixed pattern: isolated
// seconds (about one in 500) and, on some days, one gap of a few minutes.
// Invalid dates and seconds give nullopt. Independent of the current time.
std::optional<SimSample> HistorySample(int loggerIndex, int year, int month, int day,
                                       int secondOfDay);

// The year a logger takes for a dump request that names only month and day:
// the latest year in which that date is not after `now`'s date.
int DumpYear(int month, int day, const SystemTime& now);

// Bytes of one "R002:" reply: prefix, 2 unused bytes (0), hour, minute, then
// 300 samples from hour:minute:00 of the given date, each direction x 10 and
// speed x 10 as big-endian uint16, 0xFFFF for a missing sample, for a second
// past the end of the day and for a second later than `now`. Hour 24 gives a
// block of missing samples (the answer that ends a dump). 1209 bytes.
std::vector<uint8_t> HistoryBlock(int loggerIndex, int year, int month, int day, int hour,
                                  int minute, const SystemTime& now);

inline constexpr int kHistoryBlockSamples = 300;
inline constexpr int kHistoryBlockBytes = 5 + 2 + 2 + kHistoryBlockSamples * 4;
static_assert(kHistoryBlockBytes == 1209);
inline constexpr uint16_t kHistoryMissing = 0xFFFF;

}  // namespace ws
