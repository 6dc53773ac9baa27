#include "core/alarm_rules.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "support/fake_clock.h"

namespace ws {
namespace {

struct Raised {
  int stack;
  int level;
  double speed;
  friend bool operator==(const Raised&, const Raised&) = default;
};

class RecordingSink final : public AlarmSink {
 public:
  void AlarmRaised(int stack, int level, double speed) override { raised.push_back({stack, level, speed}); }
  void PlaySound(const std::string& path, bool looped) override {
    played.push_back(path);
    lastLooped = looped;
  }
  void StopSound() override { ++stops; }

  std::vector<Raised> raised;
  std::vector<std::string> played;
  bool lastLooped = false;
  int stops = 0;
};

class AlarmRulesTest : public ::testing::Test {
 protected:
  AlarmRulesTest() {
    AlarmConfig config;  // thresholds 30 / 40 / 45
    config.alarmSoundPath = "alarm.wav";
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
  ASSERT_EQ(sink.raised.size(), 1u);
  EXPECT_EQ(sink.raised[0], (Raised{0, kLevelTrip, 46.0}));
  EXPECT_EQ(sink.played, std::vector<std::string>{"trip.wav"});
  EXPECT_TRUE(sink.lastLooped);
  EXPECT_EQ(rules.OverallLevel(), kLevelTrip);
  EXPECT_EQ(rules.StationFlags(), kFlagSoundsEnabled | kFlagUnacknowledged);
}

TEST_F(AlarmRulesTest, AcknowledgementReArmsLevelsTheSpeedHasLeft) {
  Reply(0, 46.0f);
  Reply(0, 35.0f);
  rules.Acknowledge();
  EXPECT_EQ(Bits(0), kAcknowledgedBit | kAlarmBit);
  EXPECT_EQ(sink.stops, 1);
  EXPECT_FALSE(rules.Unacknowledged());
  EXPECT_EQ(Reply(0, 35.0f), kLevelNone);
  EXPECT_EQ(Reply(0, 42.0f), kLevelStop);
  EXPECT_EQ(Bits(0), kAlarmBit | kStopBit);
  EXPECT_EQ(Reply(0, 46.0f), kLevelTrip);
  EXPECT_EQ(sink.raised.size(), 3u);
  EXPECT_TRUE(rules.Unacknowledged());
}

TEST_F(AlarmRulesTest, AcknowledgedLevelsReArmWhenTheSpeedFallsLater) {
  Reply(0, 31.0f);
  rules.Acknowledge();  // still above Alarm: the bit stays
  EXPECT_EQ(Reply(0, 31.0f), kLevelNone);
  Reply(0, 10.0f);  // falls below: re-armed
  EXPECT_EQ(Bits(0), kAcknowledgedBit);
  EXPECT_EQ(Reply(0, 31.0f), kLevelAlarm);
}

TEST_F(AlarmRulesTest, WithoutAcknowledgementALevelIsNeverRaisedTwice) {
  Reply(0, 31.0f);
  Reply(0, 5.0f);
  EXPECT_EQ(Reply(0, 31.0f), kLevelNone);
  EXPECT_EQ(Bits(0), kAlarmBit);
}

TEST_F(AlarmRulesTest, SoundFollowsTheSoundFlagAndMode) {
  AlarmConfig once = rules.Config();
  once.soundMode = 0;
  rules.SetConfig(once);
  Reply(0, 31.0f);
  EXPECT_EQ(sink.played, std::vector<std::string>{"alarm.wav"});
  EXPECT_FALSE(sink.lastLooped);
  rules.SetSoundsEnabled(false);
  EXPECT_EQ(sink.stops, 1);
  EXPECT_EQ(Reply(1, 41.0f), kLevelStop);
  EXPECT_EQ(sink.played.size(), 1u);  // no sound, but the list still gets the entry
  EXPECT_EQ(sink.raised.size(), 2u);
  EXPECT_EQ(rules.StationFlags(), kFlagUnacknowledged);
}

TEST_F(AlarmRulesTest, OverallLevelIsTheHighestOverStacksInUse) {
  Reply(0, 31.0f);
  Reply(1, 41.0f);
  EXPECT_EQ(rules.OverallLevel(), kLevelStop);
  // A stack beyond the count with stale bits never counts, nor is judged.
  cascade->Stack(5).alarmBits = kTripBit;
  EXPECT_EQ(rules.RecomputeLevel(), kLevelStop);
  cascade->Stack(5).speed = 50.0f;
  EXPECT_EQ(rules.Evaluate(5), kLevelNone);
  rules.Acknowledge();
  EXPECT_EQ(cascade->Stack(5).alarmBits, kTripBit);
  EXPECT_EQ(sink.raised.size(), 2u);
}

TEST_F(AlarmRulesTest, NonFiniteSpeedRaisesNothing) {
  for (float v : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    EXPECT_EQ(Reply(0, v), kLevelNone);
  }
  EXPECT_TRUE(sink.raised.empty());
  EXPECT_EQ(Bits(0), 0);
  EXPECT_EQ(TileState(std::numeric_limits<double>::quiet_NaN(), AlarmThresholds{}), kTileNormal);
  // Nor does it re-arm an acknowledged level.
  Reply(0, 41.0f);
  rules.Acknowledge();
  Reply(0, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(Bits(0), kAcknowledgedBit | kAlarmBit | kStopBit);
}

TEST(TileState, HighestReachedThresholdWins) {
  const AlarmThresholds t;
  EXPECT_EQ(TileState(45.0, t), kTileTrip);
  EXPECT_EQ(TileState(44.9, t), kTileStop);
  EXPECT_EQ(TileState(40.0, t), kTileStop);
  EXPECT_EQ(TileState(30.0, t), kTileAlarm);
  EXPECT_EQ(TileState(29.9, t), kTileNormal);
}

}  // namespace
}  // namespace ws
