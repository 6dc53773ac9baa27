// Alarm states as alarm management defines them: each stack and level
// (Alarm, Stop, Trip, and no communication) is normal, unacknowledged and
// active, acknowledged and active, or unacknowledged and returned to normal.
// The alarm rules decide when a level is raised and re-armed; these states are
// what the alarm list and the journal show. Single-threaded, clock-driven.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "core/alarm_thresholds.h"
#include "core/clock.h"
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

// One change of an entry, for the journal: the entry as it stands after the
// change (kNormal once it has left the list), and the condition before it.
struct AlarmTransition {
  AlarmEntry entry;
  AlarmCondition from = AlarmCondition::kNormal;
};

// What a live speed did to a stack's entries.
struct AlarmSpeedResult {
  std::vector<AlarmTransition> returned;  // levels that went back to normal
  bool peakChanged = false;               // an active entry has a new peak speed
};

// The state of every stack's level. The alarm rules (or the no-communication
// supervision) raise; a level returns to normal once the speed has stayed below
// its threshold for kReturnDelayMs (no communication returns when the stack
// answers); ACK acknowledges every entry. An acknowledged entry leaves the list
// when it returns, a returned one when it is acknowledged.
//
// A raise of an entry that is still active continues its occurrence (start and
// peak kept) but makes it unacknowledged again; a raise of a returned entry
// starts a new occurrence. The clock must outlive the states. Single-threaded.
class AlarmStates {
 public:
  static constexpr int64_t kReturnDelayMs = 10000;

  explicit AlarmStates(const Clock& clock);

  AlarmTransition Raise(int stack, int level, double speed);
  // A live speed of `stack`, judged against `thresholds` for the levels
  // Alarm..Trip. A speed that is not a finite number says nothing.
  AlarmSpeedResult OnSpeed(int stack, double speed, const AlarmThresholds& thresholds);
  // Returns the level at once (the stack answered again, the alarm was switched
  // off). Nothing when the level is not active.
  std::optional<AlarmTransition> Return(int stack, int level);
  // ACK: every unacknowledged entry is acknowledged. Returns the entries it
  // covered as they were before it (empty when there were none).
  std::vector<AlarmEntry> Acknowledge();
  // The stacks at and beyond `count` are gone: their entries leave without a
  // word. True when any did.
  bool DropStacksFrom(int count);

  AlarmCondition Condition(int stack, int level) const;
  bool Active(int stack, int level) const;
  // Every entry not normal, oldest first; durations as of now.
  std::vector<AlarmEntry> Entries() const;

 private:
  struct Slot {
    AlarmCondition condition = AlarmCondition::kNormal;
    SystemTime start{};
    int64_t startUtcMs = 0;
    int64_t startMs = 0;     // UTC milliseconds of the clock's time: no daylight saving jumps
    int64_t returnedMs = 0;  // when it returned (kReturnedUnacknowledged)
    std::optional<int64_t> belowSinceMs;
    double peak = 0.0;
    uint64_t order = 0;      // raise order of the occurrence: the list's order
  };

  int64_t NowMs() const;
  AlarmEntry EntryOf(int stack, int level, const Slot& slot, int64_t nowMs) const;
  AlarmTransition ReturnSlot(int stack, int level, Slot& slot, int64_t nowMs);

  const Clock& m_clock;
  std::map<std::pair<int, int>, Slot> m_slots;  // (stack, level); kNormal slots are erased
  uint64_t m_order = 0;
};

}  // namespace ws
