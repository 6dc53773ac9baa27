// Figures wind engineers look at first for a span of one-second records: data
// coverage, mean and largest speed, the 3-second gust, and the mean direction with
// its spread. Taken from the records themselves, not from the (possibly reduced)
// report rows. See doc/report_tool.md for the definitions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/alarm_thresholds.h"
#include "core/level_time.h"
#include "core/system_time.h"

namespace ws {

struct SpanSummary {
  int64_t seconds = 0;  // seconds from start to end, both included
  int64_t covered = 0;  // of those, the ones holding a finite sample other than 0/0

  // Over the covered seconds; empty when none is covered.
  std::optional<double> meanSpeed;
  std::optional<double> maxSpeed;
  // Highest mean of three consecutive covered seconds; empty without such a run.
  std::optional<double> gust3s;
  // Unit-vector mean of the directions (0 <= d < 360) and the Yamartino standard
  // deviation, in degrees.
  std::optional<double> meanDirection;
  std::optional<double> directionSd;
  // Time at or above each alarm level, over the covered seconds.
  LevelTime levels;

  double CoveragePercent() const {
    return seconds > 0 ? static_cast<double>(covered) * 100.0 / static_cast<double>(seconds) : 0.0;
  }
};

// Accumulates one-second samples in time order; a gap (an uncovered second) breaks
// a gust run.
class SpanSummaryBuilder {
 public:
  // `levels`: the Alarm, Stop and Trip levels the time at each is counted for.
  explicit SpanSummaryBuilder(const AlarmThresholds& levels = AlarmThresholds{}) : levels_(levels) {}
  void Add(float direction, float speed);
  SpanSummary Finish() const;

 private:
  int64_t seconds_ = 0;
  int64_t covered_ = 0;
  double sumSpeed_ = 0.0;
  double maxSpeed_ = 0.0;
  double sumSin_ = 0.0;
  double sumCos_ = 0.0;
  std::optional<double> gust_;
  // sin and cos of recent directions: loggers report a few thousand distinct values,
  // so most seconds reuse one instead of calling the functions again.
  struct Trig {
    uint32_t bits = 0xFFFFFFFFu;  // a NaN pattern no finite direction has
    double sin = 0.0;
    double cos = 0.0;
  };
  std::array<Trig, 4096> trig_{};
  double previous_[2] = {0.0, 0.0};
  int run_ = 0;  // covered seconds in a row, up to 2 remembered
  LevelTimeCounter levels_;
};

// Reads the records of stack `stackIndex` from start to end (both included) from
// its month files; missing months and files that end early count as uncovered.
// Spans are taken as given (no 60-day limit); an end before the start gives an
// empty summary. `levels` are the station's (ThresholdsOf its configuration).
SpanSummary SummarizeSpan(std::string_view workdir, int stackIndex, const SystemTime& start,
                          const SystemTime& end, const AlarmThresholds& levels);

}  // namespace ws
