#include "core/statistics_cascade.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "support/fake_clock.h"

namespace ws {
namespace {

class StatisticsCascadeTest : public ::testing::Test {
 protected:
  StatisticsCascadeTest() { clock.Set(2026, 3, 1, 10, 0, 0); }
  const StackStatistics& S(int i) const { return cascade->Stack(i); }

  test::FakeClock clock;
  std::unique_ptr<StatisticsCascade> cascade = std::make_unique<StatisticsCascade>(clock, 2);
};

TEST_F(StatisticsCascadeTest, AnsweringLoggerFeedsEveryStepWithItsLastValues) {
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(cascade->SetLiveValues(0, 90.0f, 12.5f));
    // A non-finite field counts as not received.
    ASSERT_TRUE(cascade->SetLiveValues(0, std::numeric_limits<float>::infinity(),
                                       std::numeric_limits<float>::quiet_NaN()));
    cascade->Tick3Seconds();
  }
  EXPECT_DOUBLE_EQ(S(0).speedWindows[kPeriodMinute].M(), 12.5);
  EXPECT_NEAR(S(0).directionWindows[kPeriodMinute].D(), 90.0, 1e-4);
}

TEST_F(StatisticsCascadeTest, SilentLoggerFeedsNothingUntilItAnswersAgain) {
  ASSERT_TRUE(cascade->SetLiveValues(0, 90.0f, 36.0f));
  cascade->Step(kPeriodMinute);
  // Silent for the rest of the minute, and over midnight: its 36 m/s is neither
  // averaged again nor made the new day's maximum.
  for (int i = 1; i < 20; ++i) cascade->Step(kPeriodMinute);
  EXPECT_DOUBLE_EQ(S(0).speedWindows[kPeriodMinute].M(), 36.0 / 20);
  cascade->Step(kPeriodTenMinutes);
  cascade->Step(kPeriodTenMinutes);  // no new minute: nothing pushed
  EXPECT_DOUBLE_EQ(S(0).speedWindows[kPeriodTenMinutes].M(), static_cast<float>(36.0 / 20) / 10.0);
  clock.Set(2026, 3, 2, 0, 0, 1);
  EXPECT_TRUE(cascade->Tick3Seconds());
  EXPECT_EQ(cascade->Averages(0).maximum, 0.0f);
  // It answers again: its new value goes in.
  ASSERT_TRUE(cascade->SetLiveValues(0, 90.0f, 4.0f));
  cascade->Step(kPeriodMinute);
  EXPECT_DOUBLE_EQ(S(0).speedWindows[kPeriodMinute].M(), (36.0 + 4.0) / 20);
  EXPECT_EQ(cascade->Averages(0).maximum, 4.0f);
}

TEST_F(StatisticsCascadeTest, LongerPeriodsTakeSinglePrecisionMeansOfShorterOnes) {
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(cascade->SetLiveValues(1, 180.0f, 20.0f));
    cascade->Step(kPeriodMinute);
  }
  for (int k = kPeriodTenMinutes; k <= kPeriodDay; ++k) cascade->Step(k);
  EXPECT_EQ(S(1).directionWindows[kPeriodTenMinutes].D(), 0.0);  // 9 north outweigh 1 south
  EXPECT_EQ(S(1).speedWindows[kPeriodDay].M(), static_cast<double>(static_cast<float>(2.0 / 6.0)) / 24.0);
}

TEST_F(StatisticsCascadeTest, MidnightResetsDayWindowsAndMaximumButNotShorterPeriods) {
  ASSERT_TRUE(cascade->Tick3Seconds());  // the first check always resets
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(cascade->SetLiveValues(0, 90.0f, 20.0f));
    cascade->Tick3Seconds();
  }
  for (int k = kPeriodTenMinutes; k <= kPeriodDay; ++k) cascade->Step(k);
  const double hour = S(0).speedWindows[kPeriodHour].M();
  ASSERT_GT(S(0).directionWindows[kPeriodDay].D(), 0.0);

  clock.Set(2026, 3, 2, 0, 0, 1);
  ASSERT_TRUE(cascade->SetLiveValues(0, 90.0f, 5.0f));
  EXPECT_TRUE(cascade->Tick3Seconds());
  EXPECT_EQ(S(0).speedWindows[kPeriodDay].M(), 0.0);
  EXPECT_EQ(S(0).directionWindows[kPeriodDay].D(), 0.0);
  EXPECT_EQ(cascade->Averages(0).maximum, 5.0f);  // yesterday's 20 is forgotten
  EXPECT_EQ(cascade->Averages(0).maximumTime.day, 2);
  EXPECT_EQ(S(0).speedWindows[kPeriodHour].M(), hour);
  EXPECT_FALSE(cascade->Tick3Seconds());
  clock.Set(2026, 4, 2, 0, 0, 1);  // same day of the month, another month
  EXPECT_TRUE(cascade->CheckDay());
}

TEST_F(StatisticsCascadeTest, StacksNotInUseAreNeitherFedNorStepped) {
  EXPECT_FALSE(cascade->SetLiveValues(2, 0.0f, 30.0f));
  cascade->Stack(2).speed = 30.0f;
  cascade->Step(kPeriodMinute);
  EXPECT_EQ(S(2).speedWindows[kPeriodMinute].M(), 0.0);
  EXPECT_EQ(S(2).maximum, 0.0f);
}

TEST_F(StatisticsCascadeTest, RebuildSnapshotsOldStacksClearsBitsAndKeepsMaxima) {
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(cascade->SetLiveValues(1, 90.0f, 8.0f));
    cascade->Step(kPeriodMinute);
  }
  cascade->Stack(1).alarmBits = 1;
  StatisticsSnapshot snapshot{};
  snapshot[4][2] = -1.0;  // not a stack in use: left alone
  cascade->Rebuild(3, snapshot);
  EXPECT_NEAR(snapshot[kPeriodMinute][1], 90.0, 1e-4);
  EXPECT_DOUBLE_EQ(snapshot[kPeriodCount + kPeriodMinute][1], 8.0);
  EXPECT_EQ(snapshot[4][2], -1.0);
  EXPECT_EQ(S(1).alarmBits, 0);
  EXPECT_EQ(S(1).speedWindows[kPeriodMinute].M(), 0.0);
  EXPECT_EQ(cascade->Averages(1).maximum, 8.0f);
}

}  // namespace
}  // namespace ws
