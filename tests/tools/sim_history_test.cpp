#include "tools/sim/sim_history.h"

#include <gtest/gtest.h>

#include "support/fake_clock.h"

namespace ws {
namespace {

SystemTime At(int year, int month, int day, int hour, int minute, int second) {
  test::FakeClock clock;
  clock.Set(year, month, day, hour, minute, second);
  return clock.Now();
}

uint16_t BigEndianAt(const std::vector<uint8_t>& block, size_t at) {
  return static_cast<uint16_t>(block[at] << 8 | block[at + 1]);
}

TEST(SimHistory, DayHasFewMissingSamplesAndPlausibleValues) {
  int missing = 0;
  int calm = 0;
  for (int second = 0; second < 86400; ++second) {
    const auto sample = HistorySample(3, 2026, 6, 15, second);
    if (!sample) {
      ++missing;
      continue;
    }
    EXPECT_LT(sample->directionTenths, 3600);
    EXPECT_LE(sample->speedTenths, 999);
    if (sample->speedTenths < 10) ++calm;
  }
  EXPECT_GT(missing, 50);  // isolated seconds alone give about 170
  EXPECT_LT(missing, 86400 / 20);
  EXPECT_LT(calm, 86400 / 10);  // a wind, not a flat line at zero
}

TEST(SimHistory, InvalidDatesAndSecondsHoldNothing) {
  EXPECT_FALSE(HistorySample(0, 2026, 2, 29, 0));
  EXPECT_FALSE(HistorySample(0, 2026, 13, 1, 0));
  EXPECT_FALSE(HistorySample(0, 2026, 1, 1, 86400));
  EXPECT_FALSE(HistorySample(0, 2026, 1, 1, -1));
}

TEST(SimHistory, DumpYearStepsBackForDatesAfterTodayAcrossTheYearEnd) {
  const SystemTime now = At(2026, 1, 10, 12, 0, 0);
  EXPECT_EQ(DumpYear(1, 10, now), 2026);
  EXPECT_EQ(DumpYear(1, 11, now), 2025);
  EXPECT_EQ(DumpYear(12, 31, now), 2025);
  EXPECT_EQ(DumpYear(7, 15, now), 2025);
}

TEST(SimHistory, BlockCarriesEachSampleBigEndianAndMissingAsFFFF) {
  const SystemTime now = At(2026, 7, 1, 0, 0, 0);
  const std::vector<uint8_t> block = HistoryBlock(4, 2026, 6, 15, 11, 40, now);
  ASSERT_EQ(block.size(), 1209u);
  EXPECT_EQ(std::string(block.begin(), block.begin() + 5), "R002:");
  EXPECT_EQ(block[7], 11);
  EXPECT_EQ(block[8], 40);
  int missing = 0;
  for (int k = 0; k < 300; ++k) {
    const auto sample = HistorySample(4, 2026, 6, 15, 11 * 3600 + 40 * 60 + k);
    const size_t at = 9 + 4 * static_cast<size_t>(k);
    if (!sample) ++missing;
    EXPECT_EQ(BigEndianAt(block, at), sample ? sample->directionTenths : 0xFFFF) << k;
    EXPECT_EQ(BigEndianAt(block, at + 2), sample ? sample->speedTenths : 0xFFFF) << k;
  }
  EXPECT_LT(missing, 300);
}

TEST(SimHistory, BlockHoldsNothingLaterThanNow) {
  const SystemTime now = At(2026, 6, 15, 11, 42, 30);
  const std::vector<uint8_t> block = HistoryBlock(0, 2026, 6, 15, 11, 40, now);
  for (int k = 0; k < 300; ++k) {
    const size_t at = 9 + 4 * static_cast<size_t>(k);
    const bool future = k > 150;  // 11:42:30 is sample 150
    if (future) {
      EXPECT_EQ(BigEndianAt(block, at), 0xFFFF) << k;
      EXPECT_EQ(BigEndianAt(block, at + 2), 0xFFFF) << k;
    } else if (HistorySample(0, 2026, 6, 15, 11 * 3600 + 40 * 60 + k)) {
      EXPECT_NE(BigEndianAt(block, at + 2), 0xFFFF) << k;
    }
  }
}

TEST(SimHistory, BlockForHour24EndsTheDayWithNoSamples) {
  const std::vector<uint8_t> block = HistoryBlock(0, 2026, 6, 15, 24, 0, At(2026, 7, 1, 0, 0, 0));
  ASSERT_EQ(block.size(), 1209u);
  EXPECT_EQ(block[7], 24);
  for (size_t at = 9; at < block.size(); ++at) EXPECT_EQ(block[at], 0xFF);
}

TEST(SimHistory, BlockRunningPastMidnightMarksTheRestMissing) {
  const std::vector<uint8_t> block = HistoryBlock(0, 2026, 6, 15, 23, 58, At(2026, 7, 1, 0, 0, 0));
  // 23:58:00 + 120 s is the next day: not part of this day's history.
  for (int k = 120; k < 300; ++k)
    EXPECT_EQ(BigEndianAt(block, 9 + 4 * static_cast<size_t>(k)), 0xFFFF);
}

}  // namespace
}  // namespace ws
