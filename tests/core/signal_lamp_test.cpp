#include "core/signal_lamp.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/alarm_lamps.h"
#include "core/alarm_rules.h"
#include "support/fake_clock.h"

namespace ws {
namespace {

class SilentSink final : public AlarmSink {
 public:
  void AlarmRaised(int, int, double) override {}
  void PlaySound(const std::string&, bool) override {}
  void StopSound() override {}
};

class LampTest : public ::testing::Test {
 protected:
  void Reply(int stack, float speed) {
    cascade->Stack(stack).speed = speed;
    rules.Evaluate(stack);
  }

  test::FakeClock clock;
  SilentSink sink;
  std::unique_ptr<StatisticsCascade> cascade = std::make_unique<StatisticsCascade>(clock, 1);
  AlarmRules rules{*cascade, sink, clock};
};

TEST_F(LampTest, StopUnacknowledgedBlinksRedWithBuzzerThenSteadyAfterAck) {
  Reply(0, 42.0f);
  EXPECT_EQ(rules.BuildLampMessage(true),
            (SignalLampMessage{0x57, 0, 2, 0, 0, 0, 0, 1, 0, 0}));
  rules.Acknowledge();
  EXPECT_EQ(rules.BuildLampMessage(true),
            (SignalLampMessage{0x57, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(rules.LampState(), (LampStates{false, false, true}));
}

TEST_F(LampTest, DisabledTowerGetsTheAllOffMessage) {
  Reply(0, 46.0f);
  EXPECT_EQ(rules.BuildLampMessage(false), (SignalLampMessage{0x57, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(rules.OverallLevel(), kLevelTrip);
}

TEST(SignalLamp, LevelsMapToLampBytes) {
  EXPECT_EQ(BuildSignalLampMessage(0, false, true), (SignalLampMessage{0x57, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(BuildSignalLampMessage(3, true, false), (SignalLampMessage{0x57, 0, 2, 2, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(BuildSignalLampMessage(1, true, true), (SignalLampMessage{0x57, 0, 0, 2, 0, 0, 0, 1, 0, 0}));
  // An unacknowledged flag with nothing raised never sounds the buzzer.
  EXPECT_EQ(BuildSignalLampMessage(0, true, true)[kLampBuzzerOffset], 0);
}

TEST_F(LampTest, UnacknowledgedAlarmBlinksOffFromHalfASecond) {
  Reply(0, 46.0f);
  clock.Set(2026, 3, 1, 12, 0, 0, 499);
  rules.BlinkTick();
  EXPECT_EQ(rules.LampState(), (LampStates{false, true, true}));
  clock.Set(2026, 3, 1, 12, 0, 0, 500);
  rules.BlinkTick();
  EXPECT_EQ(rules.LampState(), (LampStates{false, false, false}));
  rules.Acknowledge();  // steady from now on
  rules.BlinkTick();
  EXPECT_EQ(rules.LampState(), (LampStates{false, true, true}));
}

TEST(AlarmLamps, DisabledTowerSwitchesAllOffAndBlinkRestoresOnlyRedAndYellow) {
  AlarmLamps lamps;
  lamps.ShowLevel(kLevelNone);
  EXPECT_EQ(lamps.State(), (LampStates{true, false, false}));
  lamps.ShowLevel(kLevelStop);
  lamps.AllOff();
  lamps.Blink(kLevelStop, false, 100);
  EXPECT_EQ(lamps.State(), (LampStates{false, false, true}));
  lamps.LampTowerReplied(kLevelNone);
  EXPECT_TRUE(lamps.State().green);
  lamps.LampTowerLost();
  EXPECT_FALSE(lamps.State().green);
  lamps.LampTowerReplied(kLevelAlarm);
  EXPECT_FALSE(lamps.State().green);
}

}  // namespace
}  // namespace ws
