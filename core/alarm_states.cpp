#include "core/alarm_states.h"

#include <algorithm>
#include <cmath>

#include "core/station_event.h"

namespace ws {

namespace {

// The threshold a speed level returns below; none for no communication.
std::optional<double> ThresholdOf(int level, const AlarmThresholds& t) {
  switch (level) {
    case kLevelAlarm: return t.alarm;
    case kLevelStop: return t.stop;
    case kLevelTrip: return t.trip;
    default: return std::nullopt;
  }
}

bool IsActive(AlarmCondition c) {
  return c == AlarmCondition::kActiveUnacknowledged || c == AlarmCondition::kActiveAcknowledged;
}

}  // namespace

const char* ConditionWord(AlarmCondition condition) {
  switch (condition) {
    case AlarmCondition::kNormal: return "Normal";
    case AlarmCondition::kActiveUnacknowledged: return "Active";
    case AlarmCondition::kActiveAcknowledged: return "Acknowledged";
    case AlarmCondition::kReturnedUnacknowledged: return "Returned";
  }
  return "Normal";
}

AlarmStates::AlarmStates(const Clock& clock) : m_clock(clock) {}

int64_t AlarmStates::NowMs() const { return LocalToUtcMs(m_clock.Now()); }

AlarmEntry AlarmStates::EntryOf(int stack, int level, const Slot& slot, int64_t nowMs) const {
  AlarmEntry e;
  e.stack = stack;
  e.level = level;
  e.condition = slot.condition;
  e.start = slot.start;
  e.startUtcMs = slot.startUtcMs;
  e.peakSpeed = slot.peak;
  const int64_t end = IsActive(slot.condition) ? nowMs : slot.returnedMs;
  e.durationMs = std::max<int64_t>(0, end - slot.startMs);
  return e;
}

AlarmTransition AlarmStates::Raise(int stack, int level, double speed) {
  const int64_t nowMs = NowMs();
  Slot& slot = m_slots[{stack, level}];
  AlarmTransition t;
  t.from = slot.condition;
  if (!IsActive(slot.condition)) {
    // A new occurrence; an unacknowledged return before it is superseded.
    const SystemTime now = m_clock.Now();
    slot.start = now;
    slot.startUtcMs = LocalToUtcMs(now);
    slot.startMs = nowMs;
    slot.peak = std::isfinite(speed) ? speed : 0.0;
    slot.order = ++m_order;
  } else if (std::isfinite(speed)) {
    slot.peak = std::max(slot.peak, speed);
  }
  slot.condition = AlarmCondition::kActiveUnacknowledged;
  slot.belowSinceMs.reset();
  t.entry = EntryOf(stack, level, slot, nowMs);
  return t;
}

AlarmTransition AlarmStates::ReturnSlot(int stack, int level, Slot& slot, int64_t nowMs) {
  AlarmTransition t;
  t.from = slot.condition;
  slot.returnedMs = nowMs;
  slot.belowSinceMs.reset();
  slot.condition = slot.condition == AlarmCondition::kActiveUnacknowledged
                       ? AlarmCondition::kReturnedUnacknowledged
                       : AlarmCondition::kNormal;
  t.entry = EntryOf(stack, level, slot, nowMs);
  return t;
}

AlarmSpeedResult AlarmStates::OnSpeed(int stack, double speed, const AlarmThresholds& thresholds) {
  AlarmSpeedResult result;
  if (!std::isfinite(speed)) return result;
  const int64_t nowMs = NowMs();
  for (int level = kLevelAlarm; level <= kLevelTrip; ++level) {
    auto it = m_slots.find({stack, level});
    if (it == m_slots.end() || !IsActive(it->second.condition)) continue;
    Slot& slot = it->second;
    if (speed > slot.peak) {
      slot.peak = speed;
      result.peakChanged = true;
    }
    const double threshold = *ThresholdOf(level, thresholds);
    if (speed >= threshold) {
      slot.belowSinceMs.reset();
      continue;
    }
    // A clock set back starts the wait over rather than stretching it.
    if (!slot.belowSinceMs || nowMs < *slot.belowSinceMs) {
      slot.belowSinceMs = nowMs;
      continue;
    }
    if (nowMs - *slot.belowSinceMs < kReturnDelayMs) continue;
    result.returned.push_back(ReturnSlot(stack, level, slot, nowMs));
    if (slot.condition == AlarmCondition::kNormal) m_slots.erase(it);
  }
  return result;
}

std::optional<AlarmTransition> AlarmStates::Return(int stack, int level) {
  auto it = m_slots.find({stack, level});
  if (it == m_slots.end() || !IsActive(it->second.condition)) return std::nullopt;
  AlarmTransition t = ReturnSlot(stack, level, it->second, NowMs());
  if (it->second.condition == AlarmCondition::kNormal) m_slots.erase(it);
  return t;
}

std::vector<AlarmEntry> AlarmStates::Acknowledge() {
  const int64_t nowMs = NowMs();
  std::vector<AlarmEntry> covered;
  for (auto it = m_slots.begin(); it != m_slots.end();) {
    Slot& slot = it->second;
    const auto [stack, level] = it->first;
    if (slot.condition == AlarmCondition::kActiveUnacknowledged) {
      covered.push_back(EntryOf(stack, level, slot, nowMs));
      slot.condition = AlarmCondition::kActiveAcknowledged;
    } else if (slot.condition == AlarmCondition::kReturnedUnacknowledged) {
      covered.push_back(EntryOf(stack, level, slot, nowMs));
      it = m_slots.erase(it);
      continue;
    }
    ++it;
  }
  std::sort(covered.begin(), covered.end(), [](const AlarmEntry& a, const AlarmEntry& b) {
    return a.stack != b.stack ? a.stack < b.stack : a.level < b.level;
  });
  return covered;
}

bool AlarmStates::DropStacksFrom(int count) {
  bool dropped = false;
  for (auto it = m_slots.begin(); it != m_slots.end();) {
    if (it->first.first >= count) {
      it = m_slots.erase(it);
      dropped = true;
    } else {
      ++it;
    }
  }
  return dropped;
}

AlarmCondition AlarmStates::Condition(int stack, int level) const {
  auto it = m_slots.find({stack, level});
  return it == m_slots.end() ? AlarmCondition::kNormal : it->second.condition;
}

bool AlarmStates::Active(int stack, int level) const { return IsActive(Condition(stack, level)); }

std::vector<AlarmEntry> AlarmStates::Entries() const {
  const int64_t nowMs = NowMs();
  std::vector<std::pair<uint64_t, AlarmEntry>> ordered;
  ordered.reserve(m_slots.size());
  for (const auto& [key, slot] : m_slots) {
    if (slot.condition == AlarmCondition::kNormal) continue;
    ordered.emplace_back(slot.order, EntryOf(key.first, key.second, slot, nowMs));
  }
  // Raise order is start order, whatever the wall clock did meanwhile.
  std::sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<AlarmEntry> entries;
  entries.reserve(ordered.size());
  for (auto& [order, entry] : ordered) entries.push_back(std::move(entry));
  return entries;
}

}  // namespace ws
