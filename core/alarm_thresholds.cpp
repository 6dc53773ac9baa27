#include "core/alarm_thresholds.h"

#include <cmath>

namespace ws {

int TileState(double speed, const AlarmThresholds& thresholds) {
  if (!std::isfinite(speed)) return kTileNormal;
  if (speed >= thresholds.trip) return kTileTrip;
  if (speed >= thresholds.stop) return kTileStop;
  if (speed >= thresholds.alarm) return kTileAlarm;
  return kTileNormal;
}

}  // namespace ws
