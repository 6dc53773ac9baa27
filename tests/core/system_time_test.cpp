#include "core/system_time.h"

#include <gtest/gtest.h>

#include "support/fake_clock.h"

namespace ws {
namespace {

TEST(SystemTime, CivilSecondsRoundTripsAcrossLeapDayAndYearEnd) {
  for (int64_t s : {int64_t{0}, int64_t{951782400} /* 2000-02-29 */, int64_t{1798761599}}) {
    EXPECT_EQ(CivilSeconds(FromCivilSeconds(s)), s);
  }
  SystemTime t = FromCivilSeconds(CivilSeconds({2024, 2, 0, 29, 23, 59, 59, 0}) + 1);
  EXPECT_EQ(t.month, 3);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.dayOfWeek, 5);  // 1 March 2024 was a Friday
}

TEST(SystemTime, DaysInMonthKnowsCenturyLeapRules) {
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2026, 4), 30);
  EXPECT_EQ(DaysInMonth(2026, 13), 0);
}

TEST(FakeClock, AdvanceCarriesIntoTheNextMonth) {
  test::FakeClock clock;
  clock.Set(2026, 3, 31, 23, 59, 59, 900);
  clock.Advance(200);
  EXPECT_EQ(clock.Now().month, 4);
  EXPECT_EQ(clock.Now().day, 1);
  EXPECT_EQ(clock.Now().milliseconds, 100);
}

}  // namespace
}  // namespace ws
