// Alarm states as alarm management defines them: each stack and level
// (Alarm, Stop, Trip, and no communication) is normal, unacknowledged and
// active, acknowledged and active, or unacknowledged and returned to normal.
// The alarm rules decide when a level is raised and re-armed; these states are
// what the alarm list and the journal show. Single-threaded, clock-driven.
#pragma once

#include <cstdint>
#include <vector>

#include "core/system_time.h"

namespace ws {

enum class AlarmCondition {
  kNormal,
  kActiveUnacknowledged,
  kActiveAcknowledged,
  kReturnedUnacknowledged,
};

// "Normal", "Active", "Acknowledged", "Returned": the word the alarm list shows.
const char* ConditionWord(AlarmCondition condition);

// One entry of the alarm list: a stack's level that is active or unacknowledged.
struct AlarmEntry {
  int stack = 0;  // 0-based
  int level = 0;  // kLevelAlarm..kLevelTrip or kLevelNoCommunication
  AlarmCondition condition = AlarmCondition::kActiveUnacknowledged;
  SystemTime start{};       // local time raised
  int64_t startUtcMs = 0;
  double peakSpeed = 0.0;   // highest speed while active (0 for no communication)
  int64_t durationMs = 0;   // raised until returned to normal, or until now while active
};

}  // namespace ws
