#include "core/recorder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "support/fake_clock.h"

namespace ws {
namespace {

namespace fs = std::filesystem;
using record::kFileSize;
using record::SlotOf;

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ws-recorder-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  Sample At(int stack, int year, int month, int64_t slot) const {
    std::array<Sample, 1> out;
    EXPECT_EQ(ReadRecordSamples(dir_, stack, year, month, slot, out), RecordStatus::kOk);
    return out[0];
  }
  uintmax_t Size(int stack, int year, int month) const {
    return fs::file_size(RecordFilePath(dir_, stack, year, month));
  }

  std::string dir_;
  test::FakeClock clock_;
};

TEST_F(RecorderTest, TickWritesTheCurrentAndTheNextSecond) {
  clock_.Set(2026, 3, 10, 12, 30, 15, 250);
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(2, clock_.Now()), RecordStatus::kOk);
  const std::array<Sample, 2> now{Sample{180, 7.5f}, Sample{45, 2}};
  ASSERT_EQ(recorder.Tick(clock_.Now(), now), RecordStatus::kOk);
  EXPECT_EQ(At(0, 2026, 3, SlotOf(10, 12, 30, 15)), now[0]);
  EXPECT_EQ(At(0, 2026, 3, SlotOf(10, 12, 30, 16)), now[0]);
  EXPECT_EQ(At(0, 2026, 3, SlotOf(10, 12, 30, 17)), Sample{});
  EXPECT_EQ(At(1, 2026, 3, SlotOf(10, 12, 30, 16)), now[1]);
}

TEST_F(RecorderTest, NeverAnsweringStackRecordsZerosEverySecond) {
  clock_.Set(2026, 3, 10, 12, 0, 0);
  // Old values in the slots prove that the zeros are written, not just left over.
  const std::vector<Sample> old(record::kBlockSamples, Sample{99, 99});
  ASSERT_EQ(WriteRecordBlock(dir_, 0, 2026, 3, 10, 12, 0, old), RecordStatus::kOk);
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(1, clock_.Now()), RecordStatus::kOk);
  const std::array<Sample, 1> silent{};
  for (int tick = 0; tick < 20; ++tick) {
    ASSERT_EQ(recorder.Tick(clock_.Now(), silent), RecordStatus::kOk);
    clock_.Advance(500);
  }
  std::array<Sample, 12> out;
  ASSERT_EQ(ReadRecordSamples(dir_, 0, 2026, 3, SlotOf(10, 12, 0, 0), out), RecordStatus::kOk);
  for (int s = 0; s < 11; ++s) EXPECT_EQ(out[s], Sample{}) << "second " << s;
  EXPECT_EQ(out[11], (Sample{99, 99}));
}

TEST_F(RecorderTest, FirstTickOfANewMonthRollsOverAndLeavesTheOldFileComplete) {
  clock_.Set(2026, 3, 31, 23, 59, 59, 0);
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(1, clock_.Now()), RecordStatus::kOk);
  const std::array<Sample, 1> march{Sample{270, 3}};
  ASSERT_EQ(recorder.Tick(clock_.Now(), march), RecordStatus::kOk);
  clock_.Advance(500);
  ASSERT_EQ(recorder.Tick(clock_.Now(), march), RecordStatus::kOk);
  EXPECT_EQ(Size(0, 2026, 3), static_cast<uintmax_t>(kFileSize));
  EXPECT_EQ(At(0, 2026, 3, SlotOf(31, 23, 59, 59)), march[0]);
  EXPECT_FALSE(fs::exists(RecordFilePath(dir_, 0, 2026, 4)));

  clock_.Advance(500);
  const std::array<Sample, 1> april{Sample{90, 4}};
  ASSERT_EQ(recorder.Tick(clock_.Now(), april), RecordStatus::kOk);
  EXPECT_EQ(recorder.file(0).month(), 4);
  EXPECT_EQ(Size(0, 2026, 4), static_cast<uintmax_t>(kFileSize));
  EXPECT_EQ(At(0, 2026, 4, 0), april[0]);
  EXPECT_EQ(At(0, 2026, 4, 8), april[0]);
  EXPECT_EQ(Size(0, 2026, 3), static_cast<uintmax_t>(kFileSize));
  EXPECT_EQ(At(0, 2026, 3, SlotOf(31, 23, 59, 59)), march[0]);
}

TEST_F(RecorderTest, LastSecondOfAShortMonthDoesNotSpillIntoItsUnusedDays) {
  clock_.Set(2026, 4, 30, 23, 59, 59);
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(1, clock_.Now()), RecordStatus::kOk);
  const std::array<Sample, 1> s{Sample{1, 2}};
  ASSERT_EQ(recorder.Tick(clock_.Now(), s), RecordStatus::kOk);
  EXPECT_EQ(At(0, 2026, 4, SlotOf(30, 23, 59, 59)), s[0]);
  EXPECT_EQ(At(0, 2026, 4, SlotOf(31, 0, 0, 0)), Sample{});
}

TEST_F(RecorderTest, DumpIntoThePreviousMonthLeavesTheCurrentRecordingRunning) {
  clock_.Set(2026, 4, 2, 8, 0, 0);
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(2, clock_.Now()), RecordStatus::kOk);
  const std::vector<Sample> block(record::kBlockSamples, Sample{33, 3});
  ASSERT_EQ(recorder.WriteBlock(1, 2026, 3, 31, 23, 55, block), RecordStatus::kOk);
  EXPECT_EQ(At(1, 2026, 3, SlotOf(31, 23, 59, 59)), block[0]);
  EXPECT_EQ(Size(1, 2026, 3), static_cast<uintmax_t>(kFileSize));
  ASSERT_TRUE(recorder.file(1).Holds(2026, 4));
  const std::array<Sample, 2> now{Sample{10, 1}, Sample{20, 2}};
  ASSERT_EQ(recorder.Tick(clock_.Now(), now), RecordStatus::kOk);
  EXPECT_EQ(At(1, 2026, 4, SlotOf(2, 8, 0, 0)), now[1]);
}

TEST_F(RecorderTest, ExistingShortFileIsOpenedUnchangedAndRecordedInto) {
  clock_.Set(2026, 3, 1, 0, 0, 5);
  fs::create_directories(StackDirectoryPath(dir_, 0));
  std::ofstream(RecordFilePath(dir_, 0, 2026, 3), std::ios::binary).write("0123456789", 10);
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(1, clock_.Now()), RecordStatus::kOk);
  EXPECT_EQ(Size(0, 2026, 3), 10u);
  const std::array<Sample, 1> s{Sample{5, 5}};
  ASSERT_EQ(recorder.Tick(clock_.Now(), s), RecordStatus::kOk);
  EXPECT_EQ(At(0, 2026, 3, SlotOf(1, 0, 0, 6)), s[0]);
}

TEST_F(RecorderTest, ReopeningWithFewerStacksClosesTheRemovedOnes) {
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(3, clock_.Now()), RecordStatus::kOk);
  ASSERT_EQ(recorder.Open(1, clock_.Now()), RecordStatus::kOk);
  EXPECT_TRUE(recorder.file(0).IsOpen());
  EXPECT_FALSE(recorder.file(2).IsOpen());
  const std::array<Sample, 0> none{};
  EXPECT_EQ(recorder.Tick(clock_.Now(), none), RecordStatus::kInvalidArgument);
}

}  // namespace
}  // namespace ws
