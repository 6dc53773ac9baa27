#include "core/alarm_thresholds.h"

#include <cmath>

#include "core/settings.h"

namespace ws {

AlarmThresholds ThresholdsOf(const Settings& settings) {
  const StackSettings& first = settings.stacks[0];
  AlarmThresholds t;
  t.alarm = first.alarmSpeed;
  t.stop = first.stopSpeed;
  t.trip = first.tripSpeed;
  return t;
}

int TileState(double speed, const AlarmThresholds& thresholds) {
  if (!std::isfinite(speed)) return kTileNormal;
  if (speed >= thresholds.trip) return kTileTrip;
  if (speed >= thresholds.stop) return kTileStop;
  if (speed >= thresholds.alarm) return kTileAlarm;
  return kTileNormal;
}

}  // namespace ws
