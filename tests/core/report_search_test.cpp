#include "core/report_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>
#include <limits>
#include <vector>

#include "core/report_span.h"
#include "core/report_table.h"
#include "support/month_files.h"

namespace ws {
namespace {

using test::At;

std::string Label(const ReportSample& s) {
  std::string out;
  AppendTimeLabel(s.time, out);
  return out;
}

// A sample whose values tell the second it was written for.
Sample Coded(int64_t k) {
  return Sample{static_cast<float>(k % 360), static_cast<float>(k % 50) + 0.5f};
}

TEST(ReportPlan, RowsAndStepAtTheDayBoundaries) {
  struct Case {
    int64_t span, rows, step;
  };
  for (const Case& c : {Case{0, 2, 1}, Case{100, 102, 1}, Case{86398, 86400, 1},
                        Case{86399, 86401, 1}, Case{172797, 172799, 1}, Case{172798, 86400, 2},
                        Case{kMaxReportSpanSeconds, 86400, 60}}) {
    const ReportPlan plan = PlanReport(c.span);
    EXPECT_EQ(plan.rows, c.rows) << c.span;
    EXPECT_EQ(plan.step, c.step) << c.span;
  }
}

TEST(ReportSpan, SixtyOneDaysAreCutToSixtyOnTheCalendar) {
  const SystemTime start = At(2024, 1, 15, 10, 20, 30);
  SystemTime end = At(2024, 3, 16, 10, 20, 30);
  EXPECT_TRUE(ClampReportSpan(start, end));
  EXPECT_EQ(end, At(2024, 3, 15, 10, 20, 30));  // 2024 is a leap year
  EXPECT_FALSE(ClampReportSpan(start, end));
  SystemTime before = At(2024, 1, 15, 10, 20, 29);
  EXPECT_FALSE(ClampReportSpan(start, before));
  EXPECT_EQ(ReportSpanSeconds(start, before), -1);
}

TEST(ReportSpan, UnusableStoredSpanFallsBackToNow) {
  SystemTime start = At(2024, 3, 1);
  SystemTime end = start;
  end.month = 13;
  const SystemTime now = At(2026, 12, 9, 15, 0, 0);
  EXPECT_TRUE(RepairReportSpan(start, end, now));
  EXPECT_EQ(start, now);
  EXPECT_EQ(end, now);
  EXPECT_FALSE(RepairReportSpan(start, end, now));
}

class ReportSearchTest : public ::testing::Test {
 protected:
  test::MonthFiles files_;
  ReportData data_;
};

TEST_F(ReportSearchTest, StartEqualToEndGivesOneRowAndTwoSamples) {
  files_.Put(0, At(2024, 3, 5, 14, 7, 20), Sample{271.0f, 12.5f});
  const SystemTime t = At(2024, 3, 5, 14, 7, 20);
  ASSERT_EQ(SearchReport(files_.dir(), 0, t, t, data_), ReportSearchStatus::kOk);
  ASSERT_EQ(data_.samples.size(), 2u);
  EXPECT_EQ(data_.DataRows(), 1);
  EXPECT_EQ(data_.samples[0].direction, 271.0f);
  EXPECT_EQ(data_.samples[0].speed, 12.5f);
  EXPECT_EQ(Label(data_.samples[0]), "2024.03.05 14:07:20");
  EXPECT_EQ(Label(data_.samples[1]), "2024.03.05 14:07:21");
}

TEST_F(ReportSearchTest, HundredSecondsGiveRowsFromStartToEndInclusive) {
  const SystemTime start = At(2024, 3, 5, 23, 59, 0);
  files_.Fill(0, start, 200, Coded);
  std::vector<int> percents;
  ASSERT_EQ(SearchReport(files_.dir(), 0, start, At(2024, 3, 6, 0, 0, 40), data_,
                         [&](int p) { percents.push_back(p); }),
            ReportSearchStatus::kOk);
  ASSERT_EQ(data_.samples.size(), 102u);
  EXPECT_EQ(data_.DataRows(), 101);
  for (size_t k = 0; k < data_.samples.size(); ++k) {
    EXPECT_EQ(data_.samples[k].direction, Coded(static_cast<int64_t>(k)).direction) << k;
    EXPECT_EQ(data_.samples[k].speed, Coded(static_cast<int64_t>(k)).speed) << k;
  }
  EXPECT_EQ(Label(data_.samples[100]), "2024.03.06 00:00:40");
  // One file, one block of 300 records is enough: one progress call, at 0.
  EXPECT_EQ(percents, std::vector<int>{0});
}

TEST_F(ReportSearchTest, EndBeforeStartAndASpanWithoutAnyMonthFileLeaveTheResultAlone) {
  files_.Put(0, At(2024, 3, 1), Sample{90.0f, 3.0f});
  ASSERT_EQ(SearchReport(files_.dir(), 0, At(2024, 3, 1), At(2024, 3, 1, 0, 0, 5), data_),
            ReportSearchStatus::kOk);
  const size_t before = data_.samples.size();
  EXPECT_EQ(SearchReport(files_.dir(), 0, At(2024, 3, 2), At(2024, 3, 1), data_),
            ReportSearchStatus::kNegativeSpan);
  // February only, up to its last second but one (the chart's extra sample is
  // still February's): March's file is not the span's.
  EXPECT_EQ(SearchReport(files_.dir(), 0, At(2024, 2, 1), At(2024, 2, 29, 23, 59, 58), data_),
            ReportSearchStatus::kNotFound);
  EXPECT_EQ(SearchReport(files_.dir(), 1, At(2024, 3, 1), At(2024, 3, 1), data_),
            ReportSearchStatus::kNotFound);
  EXPECT_EQ(data_.samples.size(), before);
  EXPECT_EQ(data_.samples[0].direction, 90.0f);
}

TEST_F(ReportSearchTest, AMissingFirstMonthIsReadAsZeroRecordsUpToTheFirstMonthThatExists) {
  // Recording began on 2 March; the span starts in January.
  const SystemTime recorded = At(2024, 3, 2, 6, 0, 0);
  files_.Fill(0, recorded, 120, Coded);
  const SystemTime start = At(2024, 1, 20);
  const SystemTime end = At(2024, 3, 2, 6, 1, 59);
  std::vector<int> percents;
  ASSERT_EQ(SearchReport(files_.dir(), 0, start, end, data_,
                         [&](int p) { percents.push_back(p); }),
            ReportSearchStatus::kOk);
  const ReportPlan plan = PlanReport(ReportSpanSeconds(start, end));
  ASSERT_EQ(static_cast<int64_t>(data_.samples.size()), plan.rows);
  ASSERT_EQ(plan.step, 42);
  // Rows keep their places from the start: January and February read as 0/0.
  EXPECT_EQ(Label(data_.samples[0]), "2024.01.20 00:00:00");
  const auto firstInMarch = static_cast<size_t>((CivilSeconds(At(2024, 3, 1)) - CivilSeconds(start) + 41) / 42);
  for (size_t k = 0; k < firstInMarch; ++k) ASSERT_EQ(data_.samples[k].speed, 0.0f) << k;
  // The recorded minutes: each sample holds the largest speed of its 42 seconds.
  const int64_t at = (CivilSeconds(recorded) - CivilSeconds(start)) / 42;
  float top = 0.0f;
  for (int64_t k = at; k < at + 3; ++k) top = std::max(top, data_.samples[static_cast<size_t>(k)].speed);
  EXPECT_GT(top, 0.0f);
  EXPECT_FALSE(percents.empty());
}

TEST_F(ReportSearchTest, AMissingFirstMonthAtOneSecondAStepReadsTheNextMonthFromItsFirstRecord) {
  const SystemTime start = At(2024, 4, 30, 23, 59, 58);
  files_.Fill(0, At(2024, 5, 1), 3, Coded);  // April has no file
  ASSERT_EQ(SearchReport(files_.dir(), 0, start, At(2024, 5, 1, 0, 0, 2), data_),
            ReportSearchStatus::kOk);
  ASSERT_EQ(data_.samples.size(), 6u);
  EXPECT_EQ(data_.samples[0].speed, 0.0f);
  EXPECT_EQ(data_.samples[1].speed, 0.0f);
  EXPECT_EQ(Label(data_.samples[2]), "2024.05.01 00:00:00");
  for (size_t k = 2; k < 5; ++k) {
    EXPECT_EQ(data_.samples[k].speed, Coded(static_cast<int64_t>(k - 2)).speed) << k;
    EXPECT_EQ(data_.samples[k].direction, Coded(static_cast<int64_t>(k - 2)).direction) << k;
  }
}

TEST_F(ReportSearchTest, MidnightAtMonthEndContinuesInTheNextFileFromItsFirstRecord) {
  const SystemTime start = At(2024, 4, 30, 23, 59, 58);  // April has 30 days
  files_.Fill(0, start, 10, Coded);
  // Day 31 of April's file exists but belongs to no day: it must not be read.
  RecordFile april;
  ASSERT_EQ(april.Open(files_.dir(), 0, 2024, 4, RecordFile::Access::kReadWrite),
            RecordStatus::kOk);
  ASSERT_EQ(april.WriteSample(record::SlotOf(31, 0, 0, 0), Sample{1.0f, 99.0f}),
            RecordStatus::kOk);
  ASSERT_EQ(SearchReport(files_.dir(), 0, start, At(2024, 5, 1, 0, 0, 2), data_),
            ReportSearchStatus::kOk);
  ASSERT_EQ(data_.samples.size(), 6u);
  const char* labels[] = {"2024.04.30 23:59:58", "2024.04.30 23:59:59", "2024.05.01 00:00:00",
                          "2024.05.01 00:00:01", "2024.05.01 00:00:02", "2024.05.01 00:00:03"};
  for (size_t k = 0; k < 6; ++k) {
    EXPECT_EQ(Label(data_.samples[k]), labels[k]);
    EXPECT_EQ(data_.samples[k].speed, Coded(static_cast<int64_t>(k)).speed) << k;
  }
}

TEST_F(ReportSearchTest, SpanEndingOnTheFirstSecondOfAMonthFillsItsLastRows) {
  const SystemTime start = At(2024, 3, 31, 23, 59, 58);
  files_.Fill(0, start, 4, Coded);
  ASSERT_EQ(SearchReport(files_.dir(), 0, start, At(2024, 4, 1), data_),
            ReportSearchStatus::kOk);
  ASSERT_EQ(data_.samples.size(), 4u);
  EXPECT_EQ(Label(data_.samples[2]), "2024.04.01 00:00:00");
  EXPECT_EQ(data_.samples[2].speed, Coded(2).speed);
  EXPECT_EQ(data_.samples[3].speed, Coded(3).speed);
}

TEST_F(ReportSearchTest, MissingMiddleMonthGivesZeroRecordsInPlace) {
  const SystemTime start = At(2024, 1, 31, 23, 59, 59);
  files_.Put(0, start, Sample{10.0f, 5.0f});
  files_.Fill(0, At(2024, 3, 1), 86400, [](int64_t) { return Sample{20.0f, 6.0f}; });
  // February has no file. Step 30: the first sample holds January's last second only.
  ASSERT_EQ(SearchReport(files_.dir(), 0, start, At(2024, 3, 2, 12, 0, 0), data_),
            ReportSearchStatus::kOk);
  ASSERT_EQ(data_.step, 30);
  ASSERT_EQ(data_.samples.size(), 87840u);
  EXPECT_EQ(data_.samples[0].speed, 5.0f);
  size_t k = 1;
  for (; FromCivilSeconds(data_.samples[k].time).month == 2; ++k) {
    ASSERT_EQ(data_.samples[k].speed, 0.0f) << k;
    ASSERT_EQ(data_.samples[k].time, data_.samples[0].time + static_cast<int64_t>(k) * 30);
  }
  EXPECT_GT(k, 80000u);
  EXPECT_EQ(data_.samples[k].speed, 6.0f);
  EXPECT_EQ(data_.samples[k].direction, 20.0f);
}

TEST_F(ReportSearchTest, FileEndingEarlyGivesZeroRecordsPastItsLastWholeRecord) {
  const SystemTime start = At(2024, 3, 1);
  files_.Fill(0, start, 3, [](int64_t k) { return Sample{20.0f, 6.0f + static_cast<float>(k)}; });
  files_.Truncate(0, 2024, 3, 2 * 8 + 4);  // two whole records and half of the third
  ASSERT_EQ(SearchReport(files_.dir(), 0, start, At(2024, 3, 1, 0, 0, 4), data_),
            ReportSearchStatus::kOk);
  ASSERT_EQ(data_.samples.size(), 6u);
  EXPECT_EQ(data_.samples[0].speed, 6.0f);
  EXPECT_EQ(data_.samples[1].speed, 7.0f);
  for (size_t k = 2; k < 6; ++k) {
    EXPECT_EQ(data_.samples[k].speed, 0.0f) << k;
    EXPECT_EQ(Label(data_.samples[k]), "2024.03.01 00:00:0" + std::to_string(k));
  }
}

TEST_F(ReportSearchTest, StepTwoTakesTheLargestSpeedAndTheFirstDirection) {
  const SystemTime start = At(2024, 3, 10);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  files_.Fill(0, start, 8, [nan](int64_t k) {
    switch (k) {
      case 0: return Sample{100.0f, 3.0f};
      case 1: return Sample{200.0f, 9.0f};
      case 2: return Sample{110.0f, nan};
      case 3: return Sample{210.0f, 4.0f};
      case 4: return Sample{120.0f, -2.0f};
      case 5: return Sample{220.0f, nan};
      default: return Sample{130.0f, 1.0f};
    }
  });
  ASSERT_EQ(SearchReport(files_.dir(), 0, start, FromCivilSeconds(CivilSeconds(start) + 172798),
                         data_),
            ReportSearchStatus::kOk);
  ASSERT_EQ(data_.step, 2);
  ASSERT_EQ(data_.samples.size(), 86400u);
  EXPECT_EQ(data_.samples[0].direction, 100.0f);
  EXPECT_EQ(data_.samples[0].speed, 9.0f);
  EXPECT_EQ(data_.samples[1].direction, 110.0f);
  EXPECT_EQ(data_.samples[1].speed, 4.0f);  // the NaN is passed over
  EXPECT_EQ(data_.samples[2].speed, 0.0f);  // never below 0, NaN or not
  EXPECT_EQ(Label(data_.samples[1]), "2024.03.10 00:00:02");
}

TEST_F(ReportSearchTest, ReducedSampleStopsAtTheMonthEndAndTheNextMonthGoesOnFromItsTime) {
  // Step 60 (60 days): a sample starting 30 s before April 1 covers 30 March records.
  const SystemTime start = At(2024, 2, 15, 0, 0, 30);
  files_.Create(0, 2024, 2);
  files_.Put(0, At(2024, 3, 31, 23, 59, 40), Sample{45.0f, 8.0f});
  files_.Put(0, At(2024, 4, 1, 0, 0, 10), Sample{50.0f, 30.0f});  // belongs to no sample
  files_.Put(0, At(2024, 4, 1, 0, 0, 40), Sample{55.0f, 11.0f});
  ASSERT_EQ(SearchReport(files_.dir(), 0, start, At(2024, 4, 20), data_), ReportSearchStatus::kOk);
  ASSERT_EQ(data_.step, 60);
  ASSERT_EQ(data_.samples.size(), 86400u);
  size_t k = 0;
  while (k < data_.samples.size() && Label(data_.samples[k]) != "2024.03.31 23:59:30") ++k;
  ASSERT_LT(k + 1, data_.samples.size());
  EXPECT_EQ(data_.samples[k].speed, 8.0f);
  EXPECT_EQ(Label(data_.samples[k + 1]), "2024.04.01 00:00:30");
  EXPECT_EQ(data_.samples[k + 1].speed, 11.0f);
  EXPECT_EQ(data_.samples[k + 1].direction, 0.0f);  // the record at 00:00:30
}

TEST_F(ReportSearchTest, SixtyOneDaysBecomeSixtyWith86399RowsOfSixtySeconds) {
  const SystemTime start = At(2024, 3, 20, 6, 0, 0);
  files_.Fill(0, start, 60 * 86400, [](int64_t k) {
    return Sample{static_cast<float>(k / 60 % 360), static_cast<float>(k % 60) / 2.0f};
  });
  std::vector<int> percents;
  ASSERT_EQ(SearchReport(files_.dir(), 0, start, At(2024, 5, 20, 6, 0, 0), data_,
                         [&](int p) { percents.push_back(p); }),
            ReportSearchStatus::kOk);
  EXPECT_EQ(data_.step, 60);
  EXPECT_EQ(data_.DataRows(), 86399);
  for (size_t k = 0; k < data_.samples.size(); k += 997) {
    ASSERT_EQ(data_.samples[k].speed, 29.5f) << k;
    ASSERT_EQ(data_.samples[k].direction, static_cast<float>(k % 360)) << k;
  }
  EXPECT_EQ(Label(data_.samples.back()), "2024.05.19 05:59:00");
  // Blocks of 300 records: 5,184,000 records from two files.
  EXPECT_GE(percents.size(), 17280u);
  EXPECT_LE(percents.size(), 17282u);
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_EQ(percents.back(), 99);
}

TEST_F(ReportSearchTest, BytesBeyondThe31DaysOfAFileAreNotRead) {
  const SystemTime start = At(2024, 3, 31, 23, 59, 59);
  files_.Put(0, start, Sample{180.0f, 2.0f});
  files_.Put(0, At(2024, 4, 1), Sample{190.0f, 3.0f});
  // An overrun file from an older writer: 8 bytes past the 31 days.
  files_.Truncate(0, 2024, 3, record::kOverrunFileSize);
  const uint8_t junk[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
  const int fd = ::open(RecordFilePath(files_.dir(), 0, 2024, 3).c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::pwrite(fd, junk, 8, record::kFileSize), 8);
  ::close(fd);
  ASSERT_EQ(SearchReport(files_.dir(), 0, start, start, data_), ReportSearchStatus::kOk);
  ASSERT_EQ(data_.samples.size(), 2u);
  EXPECT_EQ(data_.samples[0].speed, 2.0f);
  EXPECT_EQ(data_.samples[1].speed, 3.0f);
}

}  // namespace
}  // namespace ws
