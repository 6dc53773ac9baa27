#include "core/span_summary.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/month_files.h"

namespace ws {
namespace {

TEST(SpanSummary, CoverageGustAndMeansSkipUnrecordedSeconds) {
  SpanSummaryBuilder b;
  const float speeds[] = {10, 20, 30, 0, 40, 40, 5, 6};
  for (const float s : speeds) b.Add(s == 0 ? 0.0f : 90.0f, s);  // 0/0: no data
  const SpanSummary sum = b.Finish();
  EXPECT_EQ(sum.seconds, 8);
  EXPECT_EQ(sum.covered, 7);
  EXPECT_DOUBLE_EQ(sum.CoveragePercent(), 87.5);
  EXPECT_DOUBLE_EQ(*sum.meanSpeed, 151.0 / 7.0);
  EXPECT_DOUBLE_EQ(*sum.maxSpeed, 40.0);
  // 20,30,(gap) cannot join 40,40: the runs give 20 and 85/3 = 28.33.
  EXPECT_DOUBLE_EQ(*sum.gust3s, 85.0 / 3.0);
  EXPECT_NEAR(*sum.meanDirection, 90.0, 1e-9);
  EXPECT_NEAR(*sum.directionSd, 0.0, 1e-6);
}

TEST(SpanSummary, DirectionMeanWrapsAndYamartinoSpread) {
  SpanSummaryBuilder wrap;
  wrap.Add(350.0f, 5.0f);
  wrap.Add(10.0f, 5.0f);
  EXPECT_NEAR(std::fmod(*wrap.Finish().meanDirection + 180.0, 360.0) - 180.0, 0.0, 1e-9);

  SpanSummaryBuilder quarter;
  quarter.Add(1e-3f, 5.0f);  // (0, 5) would be a calm north; 0.001 is as good as north
  quarter.Add(90.0f, 5.0f);
  const SpanSummary s = quarter.Finish();
  const double eps = std::sqrt(0.5);
  const double expected =
      45.0 * (1.0 + (2.0 / std::sqrt(3.0) - 1.0) * eps * eps * eps);
  EXPECT_NEAR(*s.meanDirection, 45.0, 1e-3);
  EXPECT_NEAR(*s.directionSd, expected, 1e-3);
  EXPECT_FALSE(s.gust3s.has_value());
  EXPECT_FALSE(SpanSummaryBuilder{}.Finish().meanSpeed.has_value());
}

TEST(SpanSummary, ReadsEverySecondOfTheSpanAcrossMonths) {
  test::MonthFiles files;
  const SystemTime start = test::At(2024, 2, 29, 23, 59, 58);
  files.Fill(0, start, 4, [](int64_t k) { return Sample{180.0f, 2.0f + static_cast<float>(k)}; });
  const SpanSummary s = SummarizeSpan(files.dir(), 0, start,
                                      FromCivilSeconds(CivilSeconds(start) + 5),
                                      AlarmThresholds{3.0, 4.0, 6.0});
  EXPECT_EQ(s.seconds, 6);
  EXPECT_EQ(s.covered, 4);
  EXPECT_DOUBLE_EQ(*s.maxSpeed, 5.0);
  EXPECT_DOUBLE_EQ(*s.gust3s, 4.0);
  // 2, 3, 4 and 5 m/s on both sides of the month's end; the two seconds after them
  // were never written and are not recorded time.
  EXPECT_EQ(s.levels.recorded, 4);
  EXPECT_EQ(s.levels.Seconds(kLevelAlarm), 3);
  EXPECT_EQ(s.levels.Seconds(kLevelStop), 2);
  EXPECT_EQ(s.levels.Seconds(kLevelTrip), 0);
  EXPECT_DOUBLE_EQ(*s.levels.Percent(kLevelStop), 50.0);
}

}  // namespace
}  // namespace ws
