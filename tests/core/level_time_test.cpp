#include "core/level_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ws {
namespace {

TEST(LevelTime, SpeedsExactlyAtALevelCountAsAtIt) {
  LevelTimeCounter c(AlarmThresholds{30.0, 40.0, 45.0});
  for (const float s : {29.9f, 30.0f, 39.99f, 40.0f, 45.0f, 52.5f}) c.Add(180.0f, s);
  const LevelTime& t = c.Result();
  EXPECT_EQ(t.recorded, 6);
  EXPECT_EQ(t.Seconds(kLevelAlarm), 5);
  EXPECT_EQ(t.Seconds(kLevelStop), 3);
  EXPECT_EQ(t.Seconds(kLevelTrip), 2);
  EXPECT_DOUBLE_EQ(*t.Percent(kLevelAlarm), 500.0 / 6.0);
  EXPECT_DOUBLE_EQ(*t.Percent(kLevelTrip), 200.0 / 6.0);
}

TEST(LevelTime, ALevelWithoutAnExactFloatIsReachedByTheSpeedStoredForIt) {
  // 30.1 becomes 30.0999999 in a record file; it still stands at a level of 30.1.
  LevelTimeCounter c(AlarmThresholds{30.1, 40.3, 45.7});
  c.Add(90.0f, 30.1f);
  c.Add(90.0f, 40.3f);
  c.Add(90.0f, 45.7f);
  c.Add(90.0f, std::nextafter(30.1f, 0.0f));
  EXPECT_EQ(c.Result().Seconds(kLevelAlarm), 3);
  EXPECT_EQ(c.Result().Seconds(kLevelStop), 2);
  EXPECT_EQ(c.Result().Seconds(kLevelTrip), 1);
}

TEST(LevelTime, UnrecordedSecondsAreNeitherRecordedTimeNorTimeAtALevel) {
  // Levels at or below zero would put every 0/0 second at Alarm if it counted.
  LevelTimeCounter c(AlarmThresholds{0.0, 0.0, 45.0});
  const float nan = std::numeric_limits<float>::quiet_NaN();
  c.Add(0.0f, 0.0f);
  c.Add(-0.0f, 0.0f);
  c.Add(nan, 50.0f);
  c.Add(90.0f, nan);
  c.Add(90.0f, std::numeric_limits<float>::infinity());
  c.Add(0.0f, 50.0f);  // a north wind is a measurement
  c.Add(90.0f, 0.0f);  // and so is a calm from the east
  const LevelTime& t = c.Result();
  EXPECT_EQ(t.recorded, 2);
  EXPECT_EQ(t.Seconds(kLevelAlarm), 2);
  EXPECT_EQ(t.Seconds(kLevelTrip), 1);
  EXPECT_DOUBLE_EQ(*t.Percent(kLevelTrip), 50.0);
}

TEST(LevelTime, ASpanWithNoRecordedSecondHasNoShare) {
  LevelTimeCounter c(AlarmThresholds{});
  for (int k = 0; k < 10; ++k) c.Add(0.0f, 0.0f);
  const LevelTime& t = c.Result();
  EXPECT_EQ(t.recorded, 0);
  EXPECT_EQ(t.Seconds(kLevelAlarm), 0);
  EXPECT_FALSE(t.Percent(kLevelAlarm).has_value());
  EXPECT_FALSE(t.Percent(kLevelTrip).has_value());
  EXPECT_EQ(LevelTimeText(t),
            "Recorded 0 s; at or above Alarm 0 s (-), Stop 0 s (-), Trip 0 s (-)");
}

TEST(LevelTime, UnreachableLevelsAndTheTextsShareInTheCLocale) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  LevelTimeCounter c(AlarmThresholds{30.0, 1e300, nan});
  c.Add(90.0f, 30.0f);
  c.Add(90.0f, 10.0f);
  c.Add(90.0f, std::numeric_limits<float>::max());
  const LevelTime& t = c.Result();
  EXPECT_EQ(t.Seconds(kLevelStop), 0);
  EXPECT_EQ(t.Seconds(kLevelTrip), 0);
  EXPECT_EQ(t.Seconds(0), 0);
  EXPECT_FALSE(t.Percent(4).has_value());
  EXPECT_EQ(LevelTimeText(t),
            "Recorded 3 s; at or above Alarm 2 s (66.7%), Stop 0 s (0.0%), Trip 0 s (0.0%)");
}

}  // namespace
}  // namespace ws
