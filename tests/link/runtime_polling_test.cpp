// Polling and supervision of real loggers over loopback.
#include <QDate>
#include <QTime>

#include <algorithm>
#include <cmath>

#include "core/alarm_thresholds.h"
#include "core/record_file.h"
#include "core/settings_file.h"
#include "runtime_fixture.h"

namespace ws::test {
namespace {

class RuntimePollingTest : public RuntimeFixture {};

TEST_F(RuntimePollingTest, HealthyLoggerIsPolledTwiceASecondAndItsReplyIsRecorded) {
  StartSite(1, 20);
  ASSERT_TRUE(WaitForFirstReplies(1));
  // Twice a second: nearly two replies per one-second supervision tick; polled
  // only by the supervision it would be one every other tick, and polled on
  // every reply without the pause, far more.
  const double rate = RepliesPerTick(0, 6);
  EXPECT_GE(rate, 1.2);
  EXPECT_LE(rate, 2.5);

  // The reply reached the statistics...
  const StackStatistics& s = runtime->statistics().Stack(0);
  ASSERT_FALSE(updates.empty());
  EXPECT_EQ(s.speed, updates.back().speed);
  EXPECT_EQ(s.direction, updates.back().direction);
  EXPECT_GT(s.speed, 0.0f);
  EXPECT_EQ(runtime->TileState(0), TileState(s.speed, AlarmThresholds{}));

  // ...and the record file: the last whole second's slot holds a received pair.
  const SystemTime now = clock.Now();
  const SystemTime last = FromCivilSeconds(CivilSeconds(now) - 1);
  std::array<Sample, 1> slot{};
  ASSERT_EQ(ReadRecordSamples(dir.path().toStdString(), 0, last.year, last.month,
                              record::SlotOf(last.day, last.hour, last.minute, last.second), slot),
            RecordStatus::kOk);
  const bool received = std::any_of(updates.begin(), updates.end(), [&](const Update& u) {
    return u.direction == slot[0].direction && u.speed == slot[0].speed;
  });
  EXPECT_TRUE(received) << slot[0].direction << " " << slot[0].speed;
}

TEST_F(RuntimePollingTest, SilentLoggerDropsToNoCommunicationIsReconnectedAndRecovers) {
  // Stack 0 goes silent, stack 1 stays healthy, stack 2 has nothing listening.
  StartSite(2, 30);
  Settings edited = runtime->settings();
  edited.stackCount = 3;
  edited.stacks[2].loggerAddress = AddressFromHostOrder(QHostAddress(LoopbackAddress(32)).toIPv4Address());
  runtime->ApplySettings(edited);
  int tcpErrors = 0;
  QObject::connect(runtime.get(), &StationRuntime::tcpIpError, runtime.get(), [&] { ++tcpErrors; });
  ASSERT_TRUE(WaitForFirstReplies(2));

  // Counted in supervision ticks since stack 0's last reply: the tick that
  // marks it silent, and the tick whose work reconnected it (seen at the next).
  const int connectsBefore = runtime->link(0)->ConnectCount();
  int ticksSinceReply = 0;
  int ticksAtNoComm = -1;
  int ticksAtReconnect = -1;
  // Stack 1's replies over the same ticks.
  int64_t healthyAtFirstTick = -1;
  int64_t healthyAtReconnect = -1;
  int healthyTicks = 0;
  QObject::connect(runtime.get(), &StationRuntime::stackUpdated, runtime.get(),
                   [&](int stack, float, float, int) { if (stack == 0) ticksSinceReply = 0; });
  QObject::connect(runtime.get(), &StationRuntime::clockTick, runtime.get(), [&] {
    if (ticksAtReconnect >= 0) return;
    if (healthyAtFirstTick < 0) healthyAtFirstTick = LiveReplies(1);
    else ++healthyTicks;
    if (runtime->link(0)->ConnectCount() > connectsBefore) {
      ticksAtReconnect = ticksSinceReply;
      healthyAtReconnect = LiveReplies(1);
      return;
    }
    ++ticksSinceReply;
  });
  QObject::connect(runtime.get(), &StationRuntime::stackNoCommunication, runtime.get(), [&](int stack) {
    if (stack == 0 && ticksAtNoComm < 0) ticksAtNoComm = ticksSinceReply;
  });
  loggers[0]->SetFault(SimFault::kSilent);

  ASSERT_TRUE(WaitFor([&] { return ticksAtReconnect >= 0; }, 6000));
  EXPECT_EQ(ticksAtNoComm, PollSupervisor::kNoCommunicationTicks);
  EXPECT_EQ(ticksAtReconnect, PollSupervisor::kReconnectTicks);
  EXPECT_EQ(runtime->TileState(0), kTileNoCommunication);
  // The other stacks were polled all along.
  ASSERT_GT(healthyTicks, 0);
  EXPECT_GE(static_cast<double>(healthyAtReconnect - healthyAtFirstTick) / healthyTicks, 1.2);

  loggers[0]->SetFault(SimFault::kNone);
  const int64_t atRecovery = LiveReplies(0);
  ASSERT_TRUE(WaitFor([&] { return LiveReplies(0) > atRecovery; }, 4000));
  EXPECT_EQ(runtime->TileState(0), TileState(runtime->statistics().Stack(0).speed, AlarmThresholds{}));
  EXPECT_GE(RepliesPerTick(0, 3), 1.2);

  // Nothing listening: silence, no message box, and its record carries 0/0.
  EXPECT_EQ(runtime->TileState(2), kTileNoCommunication);
  EXPECT_EQ(LiveReplies(2), 0);
  EXPECT_EQ(tcpErrors, 0);
  EXPECT_EQ(runtime->link(2)->LastConnectResult(), kLinkRefused);
}

TEST_F(RuntimePollingTest, TestSpeedModeJudgesEveryReplyAtTheForcedSpeed) {
  StartSite(1, 40);
  std::vector<int> levels;
  QObject::connect(runtime.get(), &StationRuntime::alarmRaised, runtime.get(),
                   [&](int, int level, double) { levels.push_back(level); });
  ASSERT_TRUE(WaitForFirstReplies(1));
  runtime->SetTestSpeedMode(3);
  const int64_t before = LiveReplies(0);
  ASSERT_TRUE(WaitFor([&] { return LiveReplies(0) > before; }, 2000));
  EXPECT_EQ(runtime->statistics().Stack(0).speed, 52.5f);
  EXPECT_EQ(runtime->TileState(0), kTileTrip);
  EXPECT_EQ(levels, std::vector<int>{kLevelTrip});
  EXPECT_EQ(runtime->OverallLevel(), kLevelTrip);
}

TEST_F(RuntimePollingTest, ExitStoresTheAveragesAndSavesTheSettings) {
  StartSite(1, 45);
  ASSERT_TRUE(WaitForFirstReplies(1));
  runtime->SetTestSpeedMode(1);
  // A 3-second step has put a speed into the 1-minute mean.
  ASSERT_TRUE(WaitFor([&] { return runtime->Averages(0).speed[0] > 0.0; }));
  runtime->Shutdown();
  EXPECT_FALSE(runtime->Running());
  Settings saved;
  const auto loaded = SettingsFile(dir.path().toStdString()).Load(saved, clock);
  EXPECT_EQ(loaded.outcome, SettingsFile::LoadOutcome::kLoaded);
  EXPECT_GT(saved.statisticsSnapshot[kStatSpeed1Min][0], 0.0);
  EXPECT_EQ(saved.statisticsSnapshot[kStatSpeed1Min][0], runtime->settings().statisticsSnapshot[kStatSpeed1Min][0]);
}

}  // namespace
}  // namespace ws::test
