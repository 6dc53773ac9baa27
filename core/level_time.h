// Time at or above each alarm level over a span of one-second records: how long
// the wind stood at Alarm, Stop and Trip, in seconds and as a share of the time
// the records hold a measurement for. The report window and windscope-report
// show it beside the span's other figures.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/system_time.h"

#include "core/alarm_thresholds.h"

namespace ws {

struct LevelTime {
  // Seconds holding a measurement: a finite sample other than 0/0 (a second the
  // station never wrote reads 0/0).
  int64_t recorded = 0;
  // Recorded seconds whose speed is at or above the Alarm, Stop and Trip level,
  // indexed by level - 1 (kLevelAlarm..kLevelTrip).
  std::array<int64_t, 3> atOrAbove{};

  int64_t Seconds(int level) const;
  // Share of the recorded seconds in percent; empty when nothing was recorded.
  std::optional<double> Percent(int level) const;
};

// Counts seconds fed in time order. A speed exactly at a level counts as at it.
class LevelTimeCounter {
 public:
  explicit LevelTimeCounter(const AlarmThresholds& levels);

  void Add(float direction, float speed);
  const LevelTime& Result() const { return time_; }

 private:
  float alarm_;
  float stop_;
  float trip_;
  LevelTime time_;
};

// The time at each level of stack `stackIndex` from `start` to `end` (both
// included), read from its month files; unrecorded seconds (missing months
// included) are not recorded time. Cheaper than the whole span summary.
LevelTime LevelTimeOfSpan(std::string_view workdir, int stackIndex, const SystemTime& start,
                          const SystemTime& end, const AlarmThresholds& levels);

// The report window's wording, one line:
// "Recorded 3600 s; at or above Alarm 120 s (3.3%), Stop 0 s (0.0%), Trip 0 s (0.0%)";
// the shares read "-" when nothing was recorded. Numbers in the C locale.
std::string LevelTimeText(const LevelTime& time);

}  // namespace ws
