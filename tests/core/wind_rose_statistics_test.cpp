#include "core/wind_rose_statistics.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/month_files.h"

namespace ws {
namespace {

ReportTable TableOf(std::vector<std::pair<float, float>> values) {
  ReportData data;
  data.start = test::At(2024, 3, 1);
  for (const auto& [d, s] : values) data.samples.push_back(ReportSample{0, d, s});
  data.samples.push_back(ReportSample{});
  ReportTable table;
  table.Assign(std::move(data), AlarmThresholds{});
  return table;
}

TEST(WindRoseStatistics, SectorBoundaries) {
  EXPECT_EQ(WindRoseSector(0), 0);
  EXPECT_EQ(WindRoseSector(11), 0);
  EXPECT_EQ(WindRoseSector(12), 1);
  EXPECT_EQ(WindRoseSector(90), 4);
  EXPECT_EQ(WindRoseSector(348), 15);
  EXPECT_EQ(WindRoseSector(349), 0);
  EXPECT_EQ(WindRoseSector(360), 0);
  EXPECT_EQ(WindRoseSector(-20), 0);
  EXPECT_EQ(WindRoseSector(1e9), 0);
}

TEST(WindRoseStatistics, ClassesWithTheDefaultAlarmLevelAndOutOfRangeInputs) {
  EXPECT_EQ(WindRoseClass(5.9, 30.0, 6), 0);
  EXPECT_EQ(WindRoseClass(6.0, 30.0, 6), 1);
  EXPECT_EQ(WindRoseClass(29.9, 30.0, 6), 4);
  EXPECT_EQ(WindRoseClass(30.0, 30.0, 6), 5);
  EXPECT_EQ(WindRoseClass(300.0, 30.0, 6), 5);
  EXPECT_EQ(WindRoseClass(5.0, 0.0, 6), 5);   // no width: everything at or above A
  EXPECT_EQ(WindRoseClass(5.0, 30.0, 1), 0);  // one class would divide by zero
  EXPECT_EQ(WindRoseClassLabel(0, 30.0, 6), "0~6");
  EXPECT_EQ(WindRoseClassLabel(4, 30.0, 6), "24~30");
  EXPECT_EQ(WindRoseClassLabel(5, 30.0, 6), "30~");
}

TEST(WindRoseStatistics, LabelsOfAnAlarmLevelBeyondIntStayWithinIt) {
  // Found by fuzzing: an Alarm level of 1e20 (typed, or from a damaged file) made
  // the labels' conversion to int undefined.
  EXPECT_EQ(WindRoseClassLabel(5, 1e20, 6), "2147483647~");
  EXPECT_EQ(WindRoseClassLabel(0, 1e20, 6), "0~2147483647");
  EXPECT_EQ(WindRoseClassLabel(0, -1e20, 6), "0~-2147483648");
  EXPECT_EQ(WindRoseClassLabel(5, std::numeric_limits<double>::quiet_NaN(), 6), "0~");
  EXPECT_EQ(WindRoseRingLabel(6e12, 6), "2147483647%");
}

TEST(WindRoseStatistics, CalmIsJudgedOnTheTableTextAndCountsInTheTotal) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // 0.59 shows as "0.6": not calm; 0.54 shows as "0.5": calm; NaN counts as 0.
  const WindRoseStatistics s = ComputeWindRoseStatistics(
      TableOf({{90.0f, 0.5f}, {90.0f, 0.6f}, {90.0f, 0.59f}, {90.0f, 0.54f}, {11.4f, 12.0f},
               {348.6f, 35.0f}, {nan, nan}, {200.0f, nan}}),
      30.0);
  EXPECT_DOUBLE_EQ(s.calm, 4.0 / 8.0 * 100.0);
  EXPECT_DOUBLE_EQ(s.shares[4][0], 2.0 / 8.0 * 100.0);
  EXPECT_DOUBLE_EQ(s.shares[0][2], 12.5);   // 11.4 shows as 11
  EXPECT_DOUBLE_EQ(s.shares[0][5], 12.5);   // 348.6 shows as 349
}

TEST(WindRoseStatistics, AllCalmAndEmptyTables) {
  const WindRoseStatistics calm = ComputeWindRoseStatistics(TableOf({{0, 0}, {0, 0}}), 30.0);
  EXPECT_DOUBLE_EQ(calm.calm, 100.0);
  for (const auto& sector : calm.shares) {
    for (const double share : sector) EXPECT_EQ(share, 0.0);
  }
  const WindRoseStatistics empty = ComputeWindRoseStatistics(ReportTable{}, 30.0);
  EXPECT_EQ(empty.calm, 0.0);
}

TEST(WindRoseStatistics, ScaleTopAndRingLabels) {
  const double top = WindRoseScaleTop(23.7);
  EXPECT_DOUBLE_EQ(top, 26.0);
  const char* labels[] = {"0%", "4%", "8%", "13%", "17%", "21%", "26%"};
  for (int i = 0; i <= 6; ++i) EXPECT_EQ(WindRoseRingLabel(top, i), labels[i]);
  const double small = WindRoseScaleTop(2.5);
  EXPECT_NEAR(small, 2.5, 1e-9);
  EXPECT_GE(small, 2.5);
  EXPECT_EQ(WindRoseRingLabel(small, 0), "0.0%");
  EXPECT_EQ(WindRoseRingLabel(small, 6), "2.5%");
  EXPECT_EQ(WindRoseScaleTop(0.0), 0.0);
  EXPECT_EQ(WindRoseScaleTop(std::numeric_limits<double>::quiet_NaN()), 0.0);
}

}  // namespace
}  // namespace ws
