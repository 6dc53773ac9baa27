#include "core/statistics_cascade.h"

#include <algorithm>

namespace ws {

namespace {

bool SameDate(const SystemTime& a, const SystemTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day;
}

}  // namespace

StatisticsCascade::StatisticsCascade(const Clock& clock, int stackCount)
    : m_clock(clock), m_stackCount(std::clamp(stackCount, 0, kCascadeStacks)) {
  const SystemTime now = m_clock.Now();
  for (StackStatistics& s : m_stacks) s.maximumTime = now;
}

bool StatisticsCascade::SetLiveValues(int index, float direction, float speed) {
  if (index < 0 || index >= m_stackCount) return false;
  Stack(index).SetLiveValues(direction, speed);
  return true;
}

bool StatisticsCascade::Tick3Seconds() {
  const bool changed = CheckDay();
  Step(kPeriodMinute);
  return changed;
}

bool StatisticsCascade::CheckDay() {
  const SystemTime now = m_clock.Now();
  const bool changed = !m_lastDayCheck || !SameDate(*m_lastDayCheck, now);
  if (changed) ResetDay(now);
  m_lastDayCheck = now;
  return changed;
}

void StatisticsCascade::ResetDay(const SystemTime& now) {
  // Maxima are kept for every stack, so a stack taken into use later does not
  // show a maximum from another day.
  for (StackStatistics& s : m_stacks) {
    s.maximum = 0.0f;
    s.maximumTime = now;
  }
  for (int i = 0; i < m_stackCount; ++i) {
    Stack(i).directionWindows[kPeriodDay].Reset();
    Stack(i).speedWindows[kPeriodDay].Clear();
  }
}

void StatisticsCascade::Step(int k) {
  if (k < 0 || k >= kPeriodCount) return;
  const SystemTime now = m_clock.Now();
  for (int i = 0; i < m_stackCount; ++i) {
    StackStatistics& s = Stack(i);
    if (!s.answeredForMaximum) continue;
    s.answeredForMaximum = false;
    if (s.speed > s.maximum) {
      s.maximum = s.speed;
      s.maximumTime = now;
    }
  }
  const size_t to = static_cast<size_t>(k);
  for (int i = 0; i < m_stackCount; ++i) {
    StackStatistics& s = Stack(i);
    if (!s.answered[to]) continue;
    s.answered[to] = false;
    if (to + 1 < s.answered.size()) s.answered[to + 1] = true;
    if (k == kPeriodMinute) {
      s.directionWindows[to].Push(1.0, s.direction);
      s.speedWindows[to].Push(s.speed);
    } else {
      s.directionWindows[to].Push(1.0, s.directionWindows[to - 1].D());
      s.speedWindows[to].Push(static_cast<float>(s.speedWindows[to - 1].M()));
    }
  }
}

void StatisticsCascade::ResetWindows() {
  for (StackStatistics& s : m_stacks) s.ResetWindows();
}

void StatisticsCascade::Rebuild(int newStackCount, StatisticsSnapshot& snapshot) {
  StoreSnapshot(snapshot);
  m_stackCount = std::clamp(newStackCount, 0, kCascadeStacks);
  // Removed stacks lose their alarm bits too, so they can never hold a level.
  for (StackStatistics& s : m_stacks) {
    s.direction = 0.0f;
    s.speed = 0.0f;
    s.alarmBits = 0;
    s.answered = {};
    s.answeredForMaximum = false;
  }
  ResetWindows();
}

void StatisticsCascade::StoreSnapshot(StatisticsSnapshot& snapshot) const {
  for (int i = 0; i < m_stackCount; ++i) {
    const StackStatistics& s = Stack(i);
    const size_t col = static_cast<size_t>(i);
    for (size_t k = 0; k < kPeriodCount; ++k) {
      snapshot[k][col] = s.directionWindows[k].D();
      snapshot[kPeriodCount + k][col] = s.speedWindows[k].M();
    }
  }
}

StackAverages StatisticsCascade::Averages(int index) const {
  const StackStatistics& s = Stack(index);
  StackAverages a;
  for (size_t k = 0; k < kPeriodCount; ++k) {
    a.direction[k] = s.directionWindows[k].D();
    a.speed[k] = s.speedWindows[k].M();
  }
  a.maximum = s.maximum;
  a.maximumTime = s.maximumTime;
  return a;
}

}  // namespace ws
