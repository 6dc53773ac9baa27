#include "core/report_table.h"
#include "core/report_csv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>

#include "support/month_files.h"

namespace ws {
namespace {

using test::At;

ReportTable TableOf(const SystemTime& start, std::vector<std::pair<float, float>> values,
                    AlarmThresholds levels = {}) {
  ReportData data;
  data.start = start;
  for (size_t k = 0; k < values.size(); ++k) {
    data.samples.push_back(ReportSample{CivilSeconds(start) + static_cast<int64_t>(k),
                                        values[k].first, values[k].second});
  }
  data.samples.push_back(ReportSample{CivilSeconds(start) + static_cast<int64_t>(values.size())});
  ReportTable table;
  table.Assign(std::move(data), levels);
  return table;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ReportRemark, LevelsAreStrictAndTheFirstMatchWins) {
  const AlarmThresholds levels;  // 30, 40, 45
  EXPECT_EQ(RemarkOf(30.0f, levels), Remark::kNone);
  EXPECT_EQ(RemarkOf(30.1f, levels), Remark::kAlarm);
  EXPECT_EQ(RemarkOf(40.0f, levels), Remark::kAlarm);
  EXPECT_EQ(RemarkOf(40.1f, levels), Remark::kStop);
  EXPECT_EQ(RemarkOf(45.0f, levels), Remark::kStop);
  EXPECT_EQ(RemarkOf(45.1f, levels), Remark::kTrip);
  EXPECT_EQ(RemarkOf(std::numeric_limits<float>::quiet_NaN(), levels), Remark::kNone);
  EXPECT_EQ(RemarkColour(Remark::kAlarm), 0x00FFFFu);
  EXPECT_EQ(RemarkColour(Remark::kStop), 0x4080FFu);
  EXPECT_EQ(RemarkColour(Remark::kTrip), 0x0000FFu);
  EXPECT_FALSE(RemarkColour(Remark::kNone).has_value());
}

TEST(ReportTable, RowTextsAndTheAlarmRow) {
  const ReportTable table =
      TableOf(At(2024, 3, 5, 14, 7, 20), {{271.0f, 12.5f}, {268.4f, 31.2f}});
  EXPECT_EQ(table.RowCount(), 3);
  EXPECT_EQ(table.CellText(0, 3), "Direction");
  EXPECT_EQ(table.CellText(0, 5), "Remark");
  const std::vector<std::string> row1 = {"1", "2024.03.05 14:07:20", "271", "W", "12.5", ""};
  const std::vector<std::string> row2 = {"2", "2024.03.05 14:07:21", "268", "W", "31.2", "ALARM"};
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(table.CellText(1, c), row1[static_cast<size_t>(c)]);
    EXPECT_EQ(table.CellText(2, c), row2[static_cast<size_t>(c)]);
  }
  EXPECT_EQ(table.RemarkAt(2), Remark::kAlarm);
  // The chart-only last sample has no row.
  EXPECT_EQ(table.CellText(3, 0), "");
}

TEST(ReportTable, NumberTextsMatchPrintfAndReadBackAsTheirValues) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> wide(-50.0f, 400.0f);
  std::vector<float> values = {0.0f, -0.0f, 0.05f, 0.25f, 0.35f, -0.04f, 0.55f, 5.95f, 11.5f,
                               12.5f, 348.5f, 359.5f, 1e20f, -3e9f,
                               std::numeric_limits<float>::infinity(),
                               std::numeric_limits<float>::quiet_NaN()};
  for (int i = 0; i < 20000; ++i) values.push_back(wide(rng));
  for (int i = 0; i < 2000; ++i) values.push_back(std::round(wide(rng) * 20.0f) / 20.0f);
  for (const float v : values) {
    char expected[64];
    std::string text;
    std::snprintf(expected, sizeof expected, "%1.0f", static_cast<double>(v));
    AppendDirectionText(v, text);
    ASSERT_EQ(text, expected) << v;
    if (std::isfinite(v)) {
      ASSERT_EQ(ShownDirection(v), std::strtod(expected, nullptr)) << v;
    }
    text.clear();
    std::snprintf(expected, sizeof expected, "%3.1f", static_cast<double>(v));
    AppendSpeedText(v, text);
    ASSERT_EQ(text, expected) << v;
    if (std::isfinite(v)) {
      ASSERT_EQ(ShownSpeed(v), std::strtod(expected, nullptr)) << v;
    }
  }
}

class ReportCsvTest : public ::testing::Test {
 protected:
  test::MonthFiles dir_;  // only for its temporary directory
  std::string path_ = ReportCsvPath(dir_.dir());
};

TEST_F(ReportCsvTest, HeadingHeaderAndRowsWithCommaAfterEveryCellAndCrlf) {
  const SystemTime start = At(2024, 3, 31, 22, 0, 0);
  const SystemTime end = At(2024, 4, 1, 2, 0, 0);
  const ReportTable table = TableOf(start, {{271.0f, 12.5f}, {268.0f, 31.2f}});
  std::vector<int> percents;
  ASSERT_TRUE(WriteReportCsv(path_, 2, start, end, table, [&](int p) { percents.push_back(p); })
                  .ok());
  EXPECT_EQ(ReadAll(path_),
            "STACK : 3\r\n"
            "2024.03.31 22:00:00 ~ 02:00:00\r\n"
            "\r\n"
            "No,Date,Direction,Direction,Speed,Remark,\r\n"
            "1,2024.03.31 22:00:00,271,W,12.5,,\r\n"
            "2,2024.03.31 22:00:01,268,W,31.2,ALARM,\r\n");
  EXPECT_EQ(percents, (std::vector<int>{33, 66}));
  EXPECT_EQ(path_.substr(path_.size() - 11), "/Report.csv");
}

TEST_F(ReportCsvTest, HeaderOnlyTableGivesFourLinesAndASecondExportOverwrites) {
  const SystemTime t = At(2024, 3, 5, 1, 2, 3);
  ASSERT_TRUE(WriteReportCsv(path_, 0, t, t, TableOf(t, {{1.0f, 1.0f}, {2.0f, 2.0f}})).ok());
  ASSERT_TRUE(WriteReportCsv(path_, 0, t, t, ReportTable{}).ok());
  EXPECT_EQ(ReadAll(path_),
            "STACK : 1\r\n2024.03.05 01:02:03 ~ 01:02:03\r\n\r\n"
            "No,Date,Direction,Direction,Speed,Remark,\r\n");
}

TEST_F(ReportCsvTest, FailedOpenWritesNothingAndFailedWriteIsReported) {
  std::filesystem::create_directory(path_);  // a directory where the file belongs
  const SystemTime t = At(2024, 3, 5);
  const CsvWriteResult open = WriteReportCsv(path_, 0, t, t, ReportTable{});
  EXPECT_EQ(open.status, CsvWriteResult::Status::kOpenFailed);
  EXPECT_TRUE(std::filesystem::is_empty(path_));
  if (std::filesystem::exists("/dev/full")) {
    const CsvWriteResult full = WriteReportCsv("/dev/full", 0, t, t, ReportTable{});
    EXPECT_EQ(full.status, CsvWriteResult::Status::kWriteFailed);
    EXPECT_NE(full.ToString().find("cannot write"), std::string::npos);
  }
}

}  // namespace
}  // namespace ws
