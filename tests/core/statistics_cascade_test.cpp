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

  test::FakeClock clock;
  std::unique_ptr<StatisticsCascade> cascade = std::make_unique<StatisticsCascade>(clock, 2);
};

TEST_F(StatisticsCascadeTest, SilentLoggerKeepsFeedingItsLastValues) {
  ASSERT_TRUE(cascade->SetLiveValues(0, 90.0f, 12.5f));
  for (int i = 0; i < 20; ++i) cascade->Tick3Seconds();
  EXPECT_DOUBLE_EQ(cascade->Stack(0).speedWindows[kPeriodMinute].M(), 12.5);
  EXPECT_NEAR(cascade->Stack(0).directionWindows[kPeriodMinute].D(), 90.0, 1e-4);
}

TEST_F(StatisticsCascadeTest, EachStepFeedsTheNextPeriodWithTheMeansOfThePrevious) {
  ASSERT_TRUE(cascade->SetLiveValues(1, 180.0f, 20.0f));
  for (int i = 0; i < 20; ++i) cascade->Step(kPeriodMinute);
  cascade->Step(kPeriodTenMinutes);
  EXPECT_DOUBLE_EQ(cascade->Stack(1).speedWindows[kPeriodTenMinutes].M(), 2.0);  // 20 / 10
  // Nine reset (north) entries outweigh the one south entry.
  EXPECT_EQ(cascade->Stack(1).directionWindows[kPeriodTenMinutes].D(), 0.0);
  cascade->Step(kPeriodHour);
  cascade->Step(kPeriodDay);
  // Means enter the next window as single-precision entries.
  EXPECT_EQ(cascade->Stack(1).speedWindows[kPeriodDay].M(),
            static_cast<double>(static_cast<float>(2.0 / 6.0)) / 24.0);
  EXPECT_EQ(cascade->Stack(1).speedWindows[kPeriodHour].Size(), 6);
}

TEST_F(StatisticsCascadeTest, MaximumTakesTheTimeReadAtTheStartOfTheStep) {
  ASSERT_TRUE(cascade->SetLiveValues(0, 0.0f, 7.0f));
  clock.Set(2026, 3, 1, 10, 5, 30, 250);
  cascade->Step(kPeriodMinute);
  ASSERT_TRUE(cascade->SetLiveValues(0, 0.0f, 7.0f));  // equal is not higher
  clock.Advance(3000);
  cascade->Step(kPeriodMinute);
  EXPECT_EQ(cascade->Averages(0).maximum, 7.0f);
  EXPECT_EQ(cascade->Averages(0).maximumTime.minute, 5);
  EXPECT_EQ(cascade->Averages(0).maximumTime.second, 30);
}

TEST_F(StatisticsCascadeTest, MidnightResetsDayWindowsAndMaximumButNotShorterPeriods) {
  ASSERT_TRUE(cascade->Tick3Seconds());  // the first check always resets
  ASSERT_TRUE(cascade->SetLiveValues(0, 90.0f, 20.0f));
  for (int i = 0; i < 20; ++i) cascade->Tick3Seconds();
  for (int k = kPeriodTenMinutes; k <= kPeriodDay; ++k) cascade->Step(k);
  const double tenMinutes = cascade->Stack(0).speedWindows[kPeriodTenMinutes].M();
  const double hour = cascade->Stack(0).speedWindows[kPeriodHour].M();
  ASSERT_GT(cascade->Stack(0).speedWindows[kPeriodDay].M(), 0.0);
  ASSERT_GT(cascade->Stack(0).directionWindows[kPeriodDay].D(), 0.0);
  ASSERT_EQ(cascade->Averages(0).maximum, 20.0f);

  clock.Set(2026, 3, 2, 0, 0, 1);
  ASSERT_TRUE(cascade->SetLiveValues(0, 90.0f, 5.0f));
  EXPECT_TRUE(cascade->Tick3Seconds());
  EXPECT_EQ(cascade->Stack(0).speedWindows[kPeriodDay].M(), 0.0);
  EXPECT_EQ(cascade->Stack(0).directionWindows[kPeriodDay].D(), 0.0);
  EXPECT_EQ(cascade->Averages(0).maximum, 5.0f);  // yesterday's 20 is forgotten
  EXPECT_EQ(cascade->Averages(0).maximumTime.day, 2);
  EXPECT_EQ(cascade->Stack(0).speedWindows[kPeriodTenMinutes].M(), tenMinutes);
  EXPECT_EQ(cascade->Stack(0).speedWindows[kPeriodHour].M(), hour);
  EXPECT_FALSE(cascade->Tick3Seconds());
}

TEST_F(StatisticsCascadeTest, DayCheckComparesTheFullDate) {
  ASSERT_TRUE(cascade->CheckDay());
  clock.Set(2026, 4, 1, 10, 0, 0);  // same day of the month, another month
  EXPECT_TRUE(cascade->CheckDay());
  clock.Set(2027, 4, 1, 10, 0, 0);
  EXPECT_TRUE(cascade->CheckDay());
  EXPECT_FALSE(cascade->CheckDay());
}

TEST_F(StatisticsCascadeTest, StacksNotInUseAreNeitherFedNorStepped) {
  EXPECT_FALSE(cascade->SetLiveValues(2, 0.0f, 30.0f));
  cascade->Stack(2).speed = 30.0f;
  cascade->Step(kPeriodMinute);
  EXPECT_EQ(cascade->Stack(2).speedWindows[kPeriodMinute].M(), 0.0);
  EXPECT_EQ(cascade->Stack(2).maximum, 0.0f);
}

TEST_F(StatisticsCascadeTest, NonFiniteReplyFieldsKeepThePreviousValues) {
  ASSERT_TRUE(cascade->SetLiveValues(0, 45.0f, 3.0f));
  ASSERT_TRUE(cascade->SetLiveValues(0, std::numeric_limits<float>::infinity(),
                                     std::numeric_limits<float>::quiet_NaN()));
  EXPECT_EQ(cascade->Stack(0).direction, 45.0f);
  EXPECT_EQ(cascade->Stack(0).speed, 3.0f);
}

TEST_F(StatisticsCascadeTest, RebuildSnapshotsOldStacksAndKeepsMaxima) {
  ASSERT_TRUE(cascade->SetLiveValues(1, 90.0f, 8.0f));
  for (int i = 0; i < 20; ++i) cascade->Step(kPeriodMinute);
  cascade->Stack(1).alarmBits = 3;
  StatisticsSnapshot snapshot{};
  snapshot[4][2] = -1.0;  // not a stack in use: left alone
  cascade->Rebuild(3, snapshot);
  EXPECT_NEAR(snapshot[kPeriodMinute][1], 90.0, 1e-4);
  EXPECT_DOUBLE_EQ(snapshot[kPeriodCount + kPeriodMinute][1], 8.0);
  EXPECT_EQ(snapshot[4][2], -1.0);
  EXPECT_EQ(cascade->StackCount(), 3);
  EXPECT_EQ(cascade->Stack(1).alarmBits, 0);
  EXPECT_EQ(cascade->Stack(1).speed, 0.0f);
  EXPECT_EQ(cascade->Stack(1).speedWindows[kPeriodMinute].M(), 0.0);
  EXPECT_EQ(cascade->Stack(1).directionWindows[kPeriodMinute].D(), 0.0);
  EXPECT_EQ(cascade->Averages(1).maximum, 8.0f);
}

}  // namespace
}  // namespace ws
