#include "core/level_time.h"

#include <cmath>
#include <limits>

#include "core/format_fixed.h"
#include "core/span_records.h"

namespace ws {
namespace {

bool ValidLevel(int level) { return level >= kLevelAlarm && level <= kLevelTrip; }

// The records hold speeds as floats: a level is compared as the float it would be
// stored as, so that a recorded speed equal to a level such as 30.1 reaches it.
float AsStored(double level) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (std::isnan(level) || level > kMax) return std::numeric_limits<float>::infinity();
  if (level < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(level);
}

}  // namespace

int64_t LevelTime::Seconds(int level) const {
  return ValidLevel(level) ? atOrAbove[static_cast<size_t>(level - 1)] : 0;
}

std::optional<double> LevelTime::Percent(int level) const {
  if (recorded <= 0 || !ValidLevel(level)) return std::nullopt;
  return static_cast<double>(Seconds(level)) * 100.0 / static_cast<double>(recorded);
}

LevelTimeCounter::LevelTimeCounter(const AlarmThresholds& levels)
    : alarm_(AsStored(levels.alarm)), stop_(AsStored(levels.stop)), trip_(AsStored(levels.trip)) {}

void LevelTimeCounter::Add(float direction, float speed) {
  if (!std::isfinite(direction) || !std::isfinite(speed) || (direction == 0.0f && speed == 0.0f)) {
    return;
  }
  ++time_.recorded;
  if (speed >= alarm_) ++time_.atOrAbove[0];
  if (speed >= stop_) ++time_.atOrAbove[1];
  if (speed >= trip_) ++time_.atOrAbove[2];
}

LevelTime LevelTimeOfSpan(std::string_view workdir, int stackIndex, const SystemTime& start,
                          const SystemTime& end, const AlarmThresholds& levels) {
  LevelTimeCounter counter(levels);
  ForEachSpanRecordChunk(workdir, stackIndex, start, end,
                         [&](const float* directions, const float* speeds, int64_t count) {
                           for (int64_t k = 0; k < count; ++k) counter.Add(directions[k], speeds[k]);
                         });
  return counter.Result();
}

std::string LevelTimeText(const LevelTime& time) {
  static constexpr const char* kNames[] = {"Alarm", "Stop", "Trip"};
  std::string text = FormatC("Recorded %lld s; at or above", static_cast<long long>(time.recorded));
  for (int level = kLevelAlarm; level <= kLevelTrip; ++level) {
    const std::optional<double> share = time.Percent(level);
    text += FormatC("%s %s %lld s (%s)", level == kLevelAlarm ? "" : ",", kNames[level - 1],
                    static_cast<long long>(time.Seconds(level)),
                    share ? FormatC("%.1f%%", *share).c_str() : "-");
  }
  return text;
}

}  // namespace ws
