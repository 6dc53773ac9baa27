#include "core/alarm_states.h"

#include <gtest/gtest.h>

#include "core/station_event.h"
#include "support/fake_clock.h"

namespace ws {
namespace {

class AlarmStatesTest : public ::testing::Test {
 protected:
  AlarmSpeedResult Speed(int stack, double v) { return states.OnSpeed(stack, v, thresholds); }
  // Replies twice a second at speed v for ms.
  std::vector<AlarmTransition> SpeedFor(int stack, double v, int ms) {
    std::vector<AlarmTransition> returned;
    for (int t = 0; t < ms; t += 500) {
      for (const AlarmTransition& r : Speed(stack, v).returned) returned.push_back(r);
      clock.Advance(500);
    }
    return returned;
  }
  AlarmCondition Of(int stack, int level) const { return states.Condition(stack, level); }

  test::FakeClock clock;
  AlarmThresholds thresholds;  // 30 / 40 / 45
  AlarmStates states{clock};
};

TEST_F(AlarmStatesTest, RaisedEntryIsActiveUnacknowledgedWithItsStartPeakAndDuration) {
  clock.Set(2026, 3, 1, 9, 5, 3, 250);
  const AlarmTransition raised = states.Raise(1, kLevelTrip, 46.0);
  EXPECT_EQ(raised.from, AlarmCondition::kNormal);
  EXPECT_EQ(raised.entry.condition, AlarmCondition::kActiveUnacknowledged);
  clock.Advance(1000);
  Speed(1, 49.0);
  clock.Advance(1000);
  const AlarmSpeedResult lower = Speed(1, 47.0);
  EXPECT_FALSE(lower.peakChanged);

  const std::vector<AlarmEntry> entries = states.Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].stack, 1);
  EXPECT_EQ(entries[0].level, kLevelTrip);
  EXPECT_EQ(entries[0].start.hour, 9);
  EXPECT_EQ(entries[0].start.minute, 5);
  EXPECT_EQ(entries[0].start.second, 3);
  EXPECT_EQ(entries[0].peakSpeed, 49.0);
  EXPECT_EQ(entries[0].durationMs, 2000);
  EXPECT_EQ(entries[0].startUtcMs, LocalToUtcMs(entries[0].start));
}

TEST_F(AlarmStatesTest, AcknowledgedEntryLeavesTheListOnceBelowItsLevelForTenSeconds) {
  states.Raise(0, kLevelStop, 41.0);
  const std::vector<AlarmEntry> covered = states.Acknowledge();
  ASSERT_EQ(covered.size(), 1u);
  EXPECT_EQ(covered[0].condition, AlarmCondition::kActiveUnacknowledged);
  EXPECT_EQ(Of(0, kLevelStop), AlarmCondition::kActiveAcknowledged);

  // 9.5 s below: still active.
  EXPECT_TRUE(SpeedFor(0, 35.0, 10000).empty());
  EXPECT_EQ(Of(0, kLevelStop), AlarmCondition::kActiveAcknowledged);
  const std::vector<AlarmTransition> returned = Speed(0, 35.0).returned;
  ASSERT_EQ(returned.size(), 1u);
  EXPECT_EQ(returned[0].from, AlarmCondition::kActiveAcknowledged);
  EXPECT_EQ(returned[0].entry.condition, AlarmCondition::kNormal);
  EXPECT_EQ(returned[0].entry.level, kLevelStop);
  EXPECT_TRUE(states.Entries().empty());
}

TEST_F(AlarmStatesTest, ReturnBeforeAckStaysInTheListUntilAck) {
  states.Raise(2, kLevelAlarm, 31.0);
  clock.Advance(5000);
  const std::vector<AlarmTransition> returned = SpeedFor(2, 10.0, 10500);
  ASSERT_EQ(returned.size(), 1u);
  EXPECT_EQ(returned[0].entry.condition, AlarmCondition::kReturnedUnacknowledged);
  EXPECT_EQ(Of(2, kLevelAlarm), AlarmCondition::kReturnedUnacknowledged);

  // Its duration stops at the return.
  const int64_t duration = states.Entries().at(0).durationMs;
  EXPECT_EQ(duration, 15000);
  clock.Advance(60000);
  EXPECT_EQ(states.Entries().at(0).durationMs, duration);

  const std::vector<AlarmEntry> covered = states.Acknowledge();
  ASSERT_EQ(covered.size(), 1u);
  EXPECT_EQ(covered[0].condition, AlarmCondition::kReturnedUnacknowledged);
  EXPECT_TRUE(states.Entries().empty());
  EXPECT_EQ(Of(2, kLevelAlarm), AlarmCondition::kNormal);
}

TEST_F(AlarmStatesTest, ASpeedBackAtTheLevelStartsTheTenSecondsOver) {
  states.Raise(0, kLevelAlarm, 31.0);
  EXPECT_TRUE(SpeedFor(0, 20.0, 6000).empty());
  EXPECT_TRUE(SpeedFor(0, 30.0, 500).empty());  // at the threshold is not below it
  EXPECT_TRUE(SpeedFor(0, 20.0, 9500).empty());
  EXPECT_EQ(SpeedFor(0, 20.0, 1000).size(), 1u);
}

TEST_F(AlarmStatesTest, AClockSetBackStartsTheTenSecondsOverInsteadOfStretchingThem) {
  states.Raise(0, kLevelAlarm, 31.0);
  EXPECT_TRUE(SpeedFor(0, 20.0, 5000).empty());
  clock.Advance(-3600 * 1000);
  EXPECT_TRUE(SpeedFor(0, 20.0, 9500).empty());
  EXPECT_EQ(SpeedFor(0, 20.0, 1000).size(), 1u);
}

TEST_F(AlarmStatesTest, RaiseWhileActiveContinuesAndAfterAReturnStartsOver) {
  states.Raise(0, kLevelStop, 41.0);
  const SystemTime first = clock.Now();
  states.Acknowledge();
  clock.Advance(3000);
  // The rules raised it again (acknowledged, dipped, rose): unacknowledged again,
  // the same occurrence.
  const AlarmTransition again = states.Raise(0, kLevelStop, 42.0);
  EXPECT_EQ(again.from, AlarmCondition::kActiveAcknowledged);
  EXPECT_EQ(again.entry.condition, AlarmCondition::kActiveUnacknowledged);
  EXPECT_EQ(again.entry.start, first);
  EXPECT_EQ(again.entry.peakSpeed, 42.0);

  SpeedFor(0, 20.0, 10500);
  ASSERT_EQ(Of(0, kLevelStop), AlarmCondition::kReturnedUnacknowledged);
  clock.Advance(1000);
  const AlarmTransition fresh = states.Raise(0, kLevelStop, 40.5);
  EXPECT_EQ(fresh.from, AlarmCondition::kReturnedUnacknowledged);
  EXPECT_EQ(fresh.entry.start, clock.Now());
  EXPECT_EQ(fresh.entry.peakSpeed, 40.5);
}

TEST_F(AlarmStatesTest, NoCommunicationReturnsOnlyWhenTold) {
  states.Raise(0, kLevelNoCommunication, 0.0);
  EXPECT_TRUE(SpeedFor(0, 0.0, 20000).empty());
  EXPECT_TRUE(states.Active(0, kLevelNoCommunication));
  const std::optional<AlarmTransition> back = states.Return(0, kLevelNoCommunication);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->entry.condition, AlarmCondition::kReturnedUnacknowledged);
  EXPECT_EQ(back->entry.durationMs, 20000);
  EXPECT_FALSE(states.Return(0, kLevelNoCommunication).has_value());
}

TEST_F(AlarmStatesTest, EntriesOldestFirstAndRemovedStacksLeaveQuietly) {
  states.Raise(4, kLevelAlarm, 31.0);
  clock.Advance(10);
  states.Raise(1, kLevelTrip, 46.0);
  clock.Advance(10);
  states.Raise(2, kLevelNoCommunication, 0.0);
  std::vector<AlarmEntry> entries = states.Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].stack, 4);
  EXPECT_EQ(entries[1].stack, 1);
  EXPECT_EQ(entries[2].stack, 2);

  EXPECT_TRUE(states.DropStacksFrom(2));
  entries = states.Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].stack, 1);
  EXPECT_FALSE(states.DropStacksFrom(2));
}

}  // namespace
}  // namespace ws
