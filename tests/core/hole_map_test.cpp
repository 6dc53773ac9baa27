#include "core/hole_map.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "core/record_file.h"

namespace ws {
namespace {

namespace fs = std::filesystem;

SystemTime Day(int year, int month, int day) {
  return {static_cast<uint16_t>(year), static_cast<uint16_t>(month), 0, static_cast<uint16_t>(day), 0, 0, 0, 0};
}

class HoleMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ws-holes-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Fills `count` five-minute blocks of the day from `firstBlock` with a sample.
  void Fill(int year, int month, int day, int firstBlock, int count, Sample value = {180.0f, 4.5f}) {
    ASSERT_EQ(EnsureMonthFile(dir_, 0, year, month), RecordStatus::kOk);
    std::vector<Sample> block(record::kBlockSamples, value);
    for (int b = firstBlock; b < firstBlock + count; ++b) {
      ASSERT_EQ(WriteRecordBlock(dir_, 0, year, month, day, b / 12, b % 12 * 5, block), RecordStatus::kOk);
    }
  }

  std::string dir_;
};

TEST(RecordedSecondsTest, OnlyZeroZeroCountsAsAHole) {
  const std::vector<Sample> s = {{0, 0}, {-0.0f, 0}, {0, 0.1f}, {90, 0}, {1, 1}};
  EXPECT_EQ(RecordedSeconds(s), 3);  // a calm north wind (0/0) cannot be told from no data
}

TEST_F(HoleMapTest, WindowSpansMonthsAndTellsFullPartlyAndEmptyDays) {
  Fill(2026, 2, 27, 0, 288);   // full
  Fill(2026, 2, 28, 0, 287);   // the last five minutes missing
  Fill(2026, 3, 1, 0, 288, Sample{0, 0});  // written, but all 0/0: a hole
  Fill(2026, 3, 2, 100, 1);    // five minutes only
  const std::vector<DayShare> w = HoleMapCache(dir_).Window(0, Day(2026, 3, 2), 5);
  ASSERT_EQ(w.size(), 5u);
  EXPECT_EQ(w.front().day, 26);
  EXPECT_EQ(w.front().month, 2);
  EXPECT_EQ(w.back().day, 2);
  EXPECT_EQ(w[0].Coverage(), DayCoverage::kEmpty);  // no data in an existing file
  EXPECT_EQ(w[1].Coverage(), DayCoverage::kFull);
  EXPECT_EQ(w[2].Coverage(), DayCoverage::kPartly);
  EXPECT_EQ(w[2].recorded, 86400 - 300);
  EXPECT_EQ(w[3].Coverage(), DayCoverage::kEmpty);
  EXPECT_EQ(w[4].recorded, 300);
  EXPECT_NEAR(w[4].Share(), 300.0 / 86400.0, 1e-12);

  // A stack without any file: every day empty, nothing read.
  HoleMapCache other(dir_);
  const std::vector<DayShare> none = other.Window(5, Day(2026, 3, 2), 183);
  ASSERT_EQ(none.size(), 183u);
  for (const DayShare& d : none) EXPECT_EQ(d.recorded, 0);
  EXPECT_EQ(other.FileReads(), 0);
}

TEST_F(HoleMapTest, AFileIsReadAgainOnlyWhenItChanged) {
  Fill(2026, 1, 10, 0, 288);
  Fill(2026, 2, 10, 0, 10);
  // Old enough to be trusted: the time stamp of a file written just now is not.
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(RecordFilePath(dir_, 0, 2026, 1), old);
  fs::last_write_time(RecordFilePath(dir_, 0, 2026, 2), old);
  HoleMapCache cache(dir_);
  (void)cache.Window(0, Day(2026, 2, 20), 60);
  EXPECT_EQ(cache.FileReads(), 2);
  (void)cache.Window(0, Day(2026, 2, 20), 60);
  EXPECT_EQ(cache.FileReads(), 2);

  Fill(2026, 2, 10, 10, 278);  // the day is completed, e.g. by a dump
  const std::vector<DayShare> w = cache.Window(0, Day(2026, 2, 20), 60);
  EXPECT_EQ(cache.FileReads(), 3);
  EXPECT_EQ(w[static_cast<size_t>(60 - 11)].day, 10);
  EXPECT_EQ(w[static_cast<size_t>(60 - 11)].Coverage(), DayCoverage::kFull);
  // Written within the last two seconds: read again each time until it settles.
  (void)cache.Window(0, Day(2026, 2, 20), 60);
  EXPECT_EQ(cache.FileReads(), 4);
}

}  // namespace
}  // namespace ws
