// The averaging cascade of every stack: the timer steps that feed the 1-minute,
// 10-minute, 1-hour and 1-day windows, the daily roll-over and the snapshot of
// the averages the settings record keeps.
#pragma once

#include <array>
#include <optional>

#include "core/clock.h"
#include "core/stack_statistics.h"
#include "core/system_time.h"

namespace ws {

// The most stacks the station serves.
inline constexpr int kCascadeStacks = 100;

// Eight arrays of kCascadeStacks averages: 0..3 the 1-minute, 10-minute, 1-hour and
// 1-day mean directions in degrees, 4..7 the mean speeds of the same periods.
using StatisticsSnapshot = std::array<std::array<double, kCascadeStacks>, 2 * kPeriodCount>;

// What the gauge panel shows of one stack after a step.
struct StackAverages {
  std::array<double, kPeriodCount> direction{};
  std::array<double, kPeriodCount> speed{};
  float maximum = 0.0f;
  SystemTime maximumTime{};
};

// Holds the live state of all kCascadeStacks stacks (about 300 KB: own it on the
// heap); only the first StackCount() take part in steps, evaluations and
// snapshots. Single-threaded: every call comes from the station's event loop.
// The clock must outlive the cascade.
class StatisticsCascade {
 public:
  // stackCount is clamped to 0..kCascadeStacks. Every window starts reset, every
  // maximum at 0 with the current local time, no day check done yet.
  StatisticsCascade(const Clock& clock, int stackCount);

  StatisticsCascade(const StatisticsCascade&) = delete;
  StatisticsCascade& operator=(const StatisticsCascade&) = delete;

  int StackCount() const { return m_stackCount; }

  // Any of the kCascadeStacks stacks; index must be in 0..kCascadeStacks-1.
  StackStatistics& Stack(int index) { return m_stacks[static_cast<size_t>(index)]; }
  const StackStatistics& Stack(int index) const { return m_stacks[static_cast<size_t>(index)]; }

  // Stores a decoded reply of stack index (non-finite fields keep their old
  // value). Returns false, changing nothing, for a stack not in use.
  bool SetLiveValues(int index, float direction, float speed);

  // The 3-second tick: the day check, then Step(0). Returns true when the day
  // changed (the 1-day windows and all maxima were reset).
  bool Tick3Seconds();

  // Compares the full local date with that of the last check; on a change (and
  // on the first check ever) resets every stack's 1-day windows and sets every
  // maximum to 0 with the current time. Records the date as the last check.
  bool CheckDay();

  // Step k (0..3, ignored otherwise): first every stack that answered since the
  // last comparison has its maximum take its speed when the speed is higher
  // (stamped with the time read at the start of the step), then each stack pushes
  // into the windows of period k: the last received values for k = 0, the means
  // of period k-1 otherwise. Only stacks with something new push (see
  // StackStatistics::answered): a silent logger's windows keep what it last
  // measured and take nothing more until it answers again.
  void Step(int k);

  // Direction windows back to north, speed windows cleared, for every stack.
  void ResetWindows();

  // The new number of stacks: the averages of the old ones go into snapshot,
  // every stack's direction, speed and alarm bits become 0 and every window is
  // reset. Maxima are kept.
  void Rebuild(int newStackCount, StatisticsSnapshot& snapshot);

  // The eight averages of every stack in use go into snapshot; the entries of
  // other stacks are left as they are.
  void StoreSnapshot(StatisticsSnapshot& snapshot) const;

  StackAverages Averages(int index) const;

 private:
  void ResetDay(const SystemTime& now);

  const Clock& m_clock;
  int m_stackCount;
  std::optional<SystemTime> m_lastDayCheck;
  std::array<StackStatistics, kCascadeStacks> m_stacks;
};

}  // namespace ws
