#include "core/alarm_rules.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "support/fake_clock.h"

namespace ws {
namespace {

class RecordingSink final : public AlarmSink {
 public:
  void AlarmRaised(int stack, int level, double speed) override {
    raised.push_back({stack, level, speed});
  }
  void PlaySound(const std::string& path, bool looped) override {
    played.push_back(path + (looped ? " looped" : " once"));
  }
  void StopSound() override { ++stops; }

  struct Entry {
    int stack, level;
    double speed;
    friend bool operator==(const Entry&, const Entry&) = default;
  };
  std::vector<Entry> raised;
  std::vector<std::string> played;
  int stops = 0;
};

class AlarmRulesTest : public ::testing::Test {
 protected:
  AlarmRulesTest() {
    AlarmConfig config;  // thresholds 30 / 40 / 45, sounds looped
    config.stopSoundPath = "stop.wav";
    config.tripSoundPath = "trip.wav";
    rules.SetConfig(config);
  }
  int Reply(int stack, float speed) {
    cascade->Stack(stack).speed = speed;
    return rules.Evaluate(stack);
  }
  uint8_t Bits(int stack) const { return cascade->Stack(stack).alarmBits; }

  test::FakeClock clock;
  RecordingSink sink;
  std::unique_ptr<StatisticsCascade> cascade = std::make_unique<StatisticsCascade>(clock, 3);
  AlarmRules rules{*cascade, sink, clock};
};

TEST_F(AlarmRulesTest, TripRaisedDirectlyOnceAndNothingMoreWhileFalling) {
  EXPECT_EQ(Reply(0, 46.0f), kLevelTrip);
  EXPECT_EQ(Bits(0), kAlarmBit | kStopBit | kTripBit);
  for (float v : {44.0f, 41.0f, 35.0f, 20.0f, 46.0f}) EXPECT_EQ(Reply(0, v), kLevelNone);
  EXPECT_EQ(sink.raised, (std::vector<RecordingSink::Entry>{{0, kLevelTrip, 46.0}}));
  EXPECT_EQ(sink.played, std::vector<std::string>{"trip.wav looped"});
  EXPECT_EQ(rules.StationFlags(), kFlagSoundsEnabled | kFlagUnacknowledged);
}

TEST_F(AlarmRulesTest, AcknowledgementReArmsLevelsTheSpeedHasLeft) {
  Reply(0, 46.0f);
  Reply(0, 35.0f);
  rules.Acknowledge();
  EXPECT_EQ(Bits(0), kAcknowledgedBit | kAlarmBit);
  EXPECT_EQ(sink.stops, 1);
  EXPECT_EQ(Reply(0, 42.0f), kLevelStop);
  EXPECT_EQ(Bits(0), kAlarmBit | kStopBit);
  EXPECT_EQ(Reply(0, 46.0f), kLevelTrip);
  // Acknowledged above a threshold, a level re-arms once the speed falls below it.
  rules.Acknowledge();
  Reply(0, 10.0f);
  EXPECT_EQ(Bits(0), kAcknowledgedBit);
  EXPECT_EQ(Reply(0, 31.0f), kLevelAlarm);
  EXPECT_EQ(sink.raised.size(), 4u);
}

TEST_F(AlarmRulesTest, SoundsOffStillListsTheAlarm) {
  rules.SetSoundsEnabled(false);
  EXPECT_EQ(sink.stops, 1);
  EXPECT_EQ(Reply(1, 41.0f), kLevelStop);
  EXPECT_TRUE(sink.played.empty());
  EXPECT_EQ(sink.raised.size(), 1u);
  EXPECT_EQ(rules.StationFlags(), kFlagUnacknowledged);
}

TEST_F(AlarmRulesTest, StacksAtOrAboveTheCountNeverCountNorGetAcknowledged) {
  Reply(0, 31.0f);
  Reply(1, 41.0f);
  cascade->Stack(5).alarmBits = kTripBit;
  cascade->Stack(5).speed = 50.0f;
  EXPECT_EQ(rules.Evaluate(5), kLevelNone);
  EXPECT_EQ(rules.RecomputeLevel(), kLevelStop);
  rules.Acknowledge();
  EXPECT_EQ(cascade->Stack(5).alarmBits, kTripBit);
}

TEST_F(AlarmRulesTest, NonFiniteSpeedRaisesAndReArmsNothing) {
  EXPECT_EQ(Reply(0, std::numeric_limits<float>::quiet_NaN()), kLevelNone);
  EXPECT_EQ(Reply(0, std::numeric_limits<float>::infinity()), kLevelNone);
  EXPECT_TRUE(sink.raised.empty());
  EXPECT_EQ(TileState(std::numeric_limits<double>::quiet_NaN(), AlarmThresholds{}), kTileNormal);
  Reply(0, 41.0f);
  rules.Acknowledge();
  Reply(0, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(Bits(0), kAcknowledgedBit | kAlarmBit | kStopBit);
}

TEST_F(AlarmRulesTest, StopUnacknowledgedLampMessageThenSteadyAfterAck) {
  Reply(0, 42.0f);
  EXPECT_EQ(rules.BuildLampMessage(true), (SignalLampMessage{0x57, 0, 2, 0, 0, 0, 0, 1, 0, 0}));
  rules.Acknowledge();
  EXPECT_EQ(rules.BuildLampMessage(true), (SignalLampMessage{0x57, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(rules.LampState(), (LampStates{false, false, true}));
  EXPECT_EQ(rules.BuildLampMessage(false), (SignalLampMessage{0x57, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(BuildSignalLampMessage(0, true, true), (SignalLampMessage{0x57, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
}

TEST_F(AlarmRulesTest, UnacknowledgedLampsGoDarkFromHalfASecond) {
  Reply(0, 46.0f);
  clock.Set(2026, 3, 1, 12, 0, 0, 499);
  rules.BlinkTick();
  EXPECT_EQ(rules.LampState(), (LampStates{false, true, true}));
  clock.Set(2026, 3, 1, 12, 0, 0, 500);
  rules.BlinkTick();
  EXPECT_EQ(rules.LampState(), (LampStates{false, false, false}));
  rules.Acknowledge();
  rules.Lamps().AllOff();  // the tower disabled; the blink relights red and yellow only
  rules.BlinkTick();
  EXPECT_EQ(rules.LampState(), (LampStates{false, true, true}));
}

TEST(TileState, HighestReachedThresholdWins) {
  const AlarmThresholds t;
  EXPECT_EQ(TileState(45.0, t), kTileTrip);
  EXPECT_EQ(TileState(44.9, t), kTileStop);
  EXPECT_EQ(TileState(30.0, t), kTileAlarm);
  EXPECT_EQ(TileState(29.9, t), kTileNormal);
}

}  // namespace
}  // namespace ws
