// The three station-wide speed levels (Alarm, Stop, Trip), the per-stack alarm
// bits and the overview tile state judged from a speed.
#pragma once

#include <cstdint>

namespace ws {

struct Settings;

// The three levels apply to every stack; ThresholdsOf reads them from the
// configuration. They are meant to ascend (alarm < stop < trip); nothing relies on it.
struct AlarmThresholds {
  double alarm = 30.0;
  double stop = 40.0;
  double trip = 45.0;
};

// The station-wide levels of a configuration record (kept in its first stack
// record, the only one the configuration dialog edits).
AlarmThresholds ThresholdsOf(const Settings& settings);

// Per-stack alarm bits.
inline constexpr uint8_t kAlarmBit = 1;
inline constexpr uint8_t kStopBit = 2;
inline constexpr uint8_t kTripBit = 4;
inline constexpr uint8_t kAcknowledgedBit = 8;

// Alarm list and lamp levels; 0 means no level raised.
inline constexpr int kLevelNone = 0;
inline constexpr int kLevelAlarm = 1;
inline constexpr int kLevelStop = 2;
inline constexpr int kLevelTrip = 3;

// Overview tile states. kTileNoCommunication is set by the link supervision,
// kTileBusy while the stack's link carries a day dump or a firmware upload.
inline constexpr int kTileNoCommunication = 1;
inline constexpr int kTileNormal = 2;
inline constexpr int kTileAlarm = 3;
inline constexpr int kTileStop = 4;
inline constexpr int kTileTrip = 5;
inline constexpr int kTileBusy = 6;

// Tile state of a received speed: Trip, Stop or Alarm when the speed reaches that
// threshold (highest first), otherwise normal. A speed that is not a finite
// number judges as normal.
int TileState(double speed, const AlarmThresholds& thresholds);

}  // namespace ws
