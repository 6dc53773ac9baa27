#include "core/record_file.h"
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

class RecordFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ws-record-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  uintmax_t Size(int stack, int year, int month) const {
    return fs::file_size(RecordFilePath(dir_, stack, year, month));
  }
  Sample At(int stack, int month, int64_t slot) const {
    std::array<Sample, 1> out;
    EXPECT_EQ(ReadRecordSamples(dir_, stack, 2026, month, slot, out), RecordStatus::kOk);
    return out[0];
  }
  // Puts a file of exactly these bytes where stack 0's March 2026 file belongs.
  void PlantMarchFile(const std::vector<uint8_t>& bytes) {
    fs::create_directories(StackDirectoryPath(dir_, 0));
    std::ofstream(RecordFilePath(dir_, 0, 2026, 3), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

  std::string dir_;
  test::FakeClock clock_;
};
using RecorderTest = RecordFileTest;

TEST(RecordLayout, SlotsOfTheFirstAndLastSecondOfMarch) {
  EXPECT_EQ(SlotOf(1, 0, 0, 0), 0);
  EXPECT_EQ(SlotOf(31, 23, 59, 59), 21427192);
}

TEST(RecordLayout, SampleIsTwoLittleEndianFloatsAndPathCountsStacksFromOne) {
  std::array<uint8_t, 8> bytes{};
  record::EncodeSample(Sample{90.0f, 12.5f}, bytes.data());
  EXPECT_EQ(bytes, (std::array<uint8_t, 8>{0x00, 0x00, 0xB4, 0x42, 0x00, 0x00, 0x48, 0x41}));
  EXPECT_EQ(RecordFilePath("/w", 0, 2026, 3), "/w/Stack001/2026_03.dat");
  EXPECT_EQ(RecordFilePath("/w", 99, 2026, 12), "/w/Stack100/2026_12.dat");
}

TEST_F(RecordFileTest, EnsureCreatesDirectoriesAndFullSizeFilesReadingAsZeros) {
  ASSERT_EQ(EnsureMonthFiles(dir_, 3, 2026, 3), RecordStatus::kOk);
  for (int stack = 0; stack < 3; ++stack) EXPECT_EQ(Size(stack, 2026, 3), uintmax_t(kFileSize));
  std::array<Sample, 4> out;
  out.fill(Sample{1, 1});
  int64_t stored = -1;
  ASSERT_EQ(ReadRecordSamples(dir_, 2, 2026, 3, SlotOf(31, 23, 59, 56), out, &stored),
            RecordStatus::kOk);
  EXPECT_EQ(stored, 4);
  for (const Sample& s : out) EXPECT_EQ(s, Sample{});
  EXPECT_EQ(ReadRecordSamples(dir_, 0, 2026, 2, 0, out), RecordStatus::kNotFound);
}

TEST_F(RecordFileTest, ShortFileIsNeverTruncatedAndReadsMissingSamplesAsZero) {
  std::vector<uint8_t> bytes(20, 0x7F);  // two whole samples and half of a third
  record::EncodeSample(Sample{20, 2}, bytes.data() + 8);
  PlantMarchFile(bytes);
  ASSERT_EQ(EnsureMonthFile(dir_, 0, 2026, 3), RecordStatus::kOk);
  EXPECT_EQ(Size(0, 2026, 3), 20u);
  std::array<Sample, 4> out;
  int64_t stored = -1;
  ASSERT_EQ(ReadRecordSamples(dir_, 0, 2026, 3, 0, out, &stored), RecordStatus::kOk);
  EXPECT_EQ(stored, 2);
  EXPECT_EQ(out[1], (Sample{20, 2}));
  EXPECT_EQ(out[2], Sample{});
  EXPECT_EQ(out[3], Sample{});
}

TEST_F(RecordFileTest, BytesBeyondTheFullSizeOfAnOverrunFileAreIgnored) {
  std::vector<uint8_t> bytes(record::kOverrunFileSize, 0);
  record::EncodeSample(Sample{5, 6}, bytes.data() + SlotOf(31, 23, 59, 59));
  record::EncodeSample(Sample{7, 8}, bytes.data() + kFileSize);
  PlantMarchFile(bytes);
  std::array<Sample, 2> out;
  int64_t stored = -1;
  ASSERT_EQ(ReadRecordSamples(dir_, 0, 2026, 3, SlotOf(31, 23, 59, 59), out, &stored),
            RecordStatus::kOk);
  EXPECT_EQ(stored, 1);
  EXPECT_EQ(out[0], (Sample{5, 6}));
  EXPECT_EQ(out[1], Sample{});
}

TEST_F(RecordFileTest, BlockIntoAMissingMonthCreatesItAndLandsAtItsSlot) {
  std::vector<Sample> block(record::kBlockSamples);
  for (int k = 0; k < record::kBlockSamples; ++k) block[k] = Sample{float(k), float(k) / 10};
  ASSERT_EQ(WriteRecordBlock(dir_, 2, 2026, 2, 14, 11, 40, block), RecordStatus::kOk);
  EXPECT_EQ(Size(2, 2026, 2), uintmax_t(kFileSize));
  std::array<Sample, record::kBlockSamples + 2> out;
  ASSERT_EQ(ReadRecordSamples(dir_, 2, 2026, 2, SlotOf(14, 11, 39, 59), out), RecordStatus::kOk);
  EXPECT_EQ(out[0], Sample{});
  EXPECT_EQ(out[1], block[0]);
  EXPECT_EQ(out[300], block[299]);
  EXPECT_EQ(out[301], Sample{});
}

TEST_F(RecordFileTest, WritesOutsideTheDayOrPastTheFileEndAreRefused) {
  const std::vector<Sample> block(record::kBlockSamples, Sample{1, 1});
  EXPECT_EQ(WriteRecordBlock(dir_, 0, 2026, 3, 1, 24, 0, block), RecordStatus::kInvalidArgument);
  EXPECT_EQ(WriteRecordBlock(dir_, 0, 2026, 3, 1, 0, 60, block), RecordStatus::kInvalidArgument);
  EXPECT_EQ(WriteRecordBlock(dir_, 0, 2026, 4, 31, 0, 0, block), RecordStatus::kInvalidArgument);
  EXPECT_EQ(WriteRecordBlock(dir_, 0, 2026, 3, 31, 23, 56, block), RecordStatus::kOutOfRange);
  ASSERT_EQ(WriteRecordBlock(dir_, 0, 2026, 3, 31, 23, 55, block), RecordStatus::kOk);
  RecordFile file;
  ASSERT_EQ(file.Open(dir_, 0, 2026, 3, RecordFile::Access::kReadWrite), RecordStatus::kOk);
  const std::array<Sample, 2> pair{Sample{1, 1}, Sample{1, 1}};
  EXPECT_EQ(file.WriteSamples(SlotOf(31, 23, 59, 59), pair), RecordStatus::kOutOfRange);
  EXPECT_EQ(file.WriteSample(kFileSize, Sample{1, 1}), RecordStatus::kOutOfRange);
  EXPECT_EQ(Size(0, 2026, 3), uintmax_t(kFileSize));
}

TEST_F(RecorderTest, TickWritesTheCurrentAndTheNextSecond) {
  clock_.Set(2026, 3, 10, 12, 30, 15, 250);
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(2, clock_.Now()), RecordStatus::kOk);
  const std::array<Sample, 2> now{Sample{180, 7.5f}, Sample{45, 2}};
  ASSERT_EQ(recorder.Tick(clock_.Now(), now), RecordStatus::kOk);
  EXPECT_EQ(At(0, 3, SlotOf(10, 12, 30, 15)), now[0]);
  EXPECT_EQ(At(0, 3, SlotOf(10, 12, 30, 16)), now[0]);
  EXPECT_EQ(At(0, 3, SlotOf(10, 12, 30, 17)), Sample{});
  EXPECT_EQ(At(1, 3, SlotOf(10, 12, 30, 16)), now[1]);
}

TEST_F(RecorderTest, OnlySecondsAnsweredByAReplyAreWritten) {
  clock_.Set(2026, 3, 10, 12, 0, 0);
  // Data already in the slots (a dumped block) must survive seconds nobody answered.
  const std::vector<Sample> old(record::kBlockSamples, Sample{99, 99});
  ASSERT_EQ(WriteRecordBlock(dir_, 0, 2026, 3, 10, 12, 0, old), RecordStatus::kOk);
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(2, clock_.Now()), RecordStatus::kOk);
  // Stack 0 answered once, in second 2; stack 1 never.
  const int64_t start = CivilSeconds(clock_.Now());
  std::array<Recorder::TickSample, 2> current{};
  for (int tick = 0; tick < 20; ++tick, clock_.Advance(500)) {
    if (CivilSeconds(clock_.Now()) == start + 2) current[0] = {Sample{10, 36}, start + 2};
    ASSERT_EQ(recorder.Tick(clock_.Now(), current), RecordStatus::kOk);
  }
  // The reply of second 2 answers seconds 2 and 3, no later one.
  EXPECT_EQ(At(0, 3, SlotOf(10, 12, 0, 1)), (Sample{99, 99}));
  EXPECT_EQ(At(0, 3, SlotOf(10, 12, 0, 2)), (Sample{10, 36}));
  EXPECT_EQ(At(0, 3, SlotOf(10, 12, 0, 3)), (Sample{10, 36}));
  for (int s = 4; s < 12; ++s) EXPECT_EQ(At(0, 3, SlotOf(10, 12, 0, s)), (Sample{99, 99})) << s;
  for (int s = 0; s < 12; ++s) EXPECT_EQ(At(1, 3, SlotOf(10, 12, 0, s)), Sample{}) << s;
}

TEST_F(RecorderTest, LateTickStillWritesTheSecondItsReplyAnswers) {
  clock_.Set(2026, 3, 10, 12, 0, 5, 900);
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(1, clock_.Now()), RecordStatus::kOk);
  const std::array<Recorder::TickSample, 1> current{{{Sample{1, 2}, CivilSeconds(clock_.Now())}}};
  ASSERT_EQ(recorder.Tick(clock_.Now(), current), RecordStatus::kOk);
  // The next tick comes 1.2 s late, in second 7: second 6 was written ahead,
  // second 7 is more than a second after the reply and stays empty.
  clock_.Advance(1200);
  ASSERT_EQ(recorder.Tick(clock_.Now(), current), RecordStatus::kOk);
  EXPECT_EQ(At(0, 3, SlotOf(10, 12, 0, 6)), (Sample{1, 2}));
  EXPECT_EQ(At(0, 3, SlotOf(10, 12, 0, 7)), Sample{});
  EXPECT_EQ(At(0, 3, SlotOf(10, 12, 0, 8)), Sample{});
}

TEST_F(RecorderTest, FirstTickOfANewMonthRollsOverAndLeavesTheOldFileComplete) {
  clock_.Set(2026, 3, 31, 23, 59, 59, 0);
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(1, clock_.Now()), RecordStatus::kOk);
  const std::array<Sample, 1> march{Sample{270, 3}}, april{Sample{90, 4}};
  for (int tick = 0; tick < 2; ++tick, clock_.Advance(500)) {
    ASSERT_EQ(recorder.Tick(clock_.Now(), march), RecordStatus::kOk);
  }
  EXPECT_FALSE(fs::exists(RecordFilePath(dir_, 0, 2026, 4)));
  ASSERT_EQ(recorder.Tick(clock_.Now(), april), RecordStatus::kOk);
  EXPECT_EQ(recorder.file(0).month(), 4);
  EXPECT_EQ(Size(0, 2026, 4), uintmax_t(kFileSize));
  EXPECT_EQ(At(0, 4, 0), april[0]);
  EXPECT_EQ(At(0, 4, 8), april[0]);
  EXPECT_EQ(Size(0, 2026, 3), uintmax_t(kFileSize));
  EXPECT_EQ(At(0, 3, SlotOf(31, 23, 59, 59)), march[0]);
}

TEST_F(RecorderTest, LastSecondOfAShortMonthDoesNotSpillIntoItsUnusedDays) {
  clock_.Set(2026, 4, 30, 23, 59, 59);
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(1, clock_.Now()), RecordStatus::kOk);
  const std::array<Sample, 1> s{Sample{1, 2}};
  ASSERT_EQ(recorder.Tick(clock_.Now(), s), RecordStatus::kOk);
  EXPECT_EQ(At(0, 4, SlotOf(30, 23, 59, 59)), s[0]);
  EXPECT_EQ(At(0, 4, SlotOf(31, 0, 0, 0)), Sample{});
}

TEST_F(RecorderTest, DumpIntoThePreviousMonthLeavesTheCurrentRecordingRunning) {
  clock_.Set(2026, 4, 2, 8, 0, 0);
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(2, clock_.Now()), RecordStatus::kOk);
  DumpBlock block;
  block.start = SystemTime{2026, 3, 2, 31, 23, 55, 0, 0};
  block.samples.fill(DumpSample{33, 3, true});
  ASSERT_EQ(recorder.WriteBlock(1, block), RecordStatus::kOk);
  EXPECT_EQ(At(1, 3, SlotOf(31, 23, 59, 59)), (Sample{33, 3}));
  ASSERT_TRUE(recorder.file(1).Holds(2026, 4));
  const std::array<Sample, 2> now{Sample{10, 1}, Sample{20, 2}};
  ASSERT_EQ(recorder.Tick(clock_.Now(), now), RecordStatus::kOk);
  EXPECT_EQ(At(1, 4, SlotOf(2, 8, 0, 0)), now[1]);
}

TEST_F(RecorderTest, ExistingShortFileStaysShortUntilRecordedInto) {
  clock_.Set(2026, 3, 1, 0, 0, 5);
  fs::create_directories(StackDirectoryPath(dir_, 0));
  std::ofstream(RecordFilePath(dir_, 0, 2026, 3), std::ios::binary).write("0123456789", 10);
  Recorder recorder(dir_);
  ASSERT_EQ(recorder.Open(1, clock_.Now()), RecordStatus::kOk);
  EXPECT_EQ(Size(0, 2026, 3), 10u);
  const std::array<Sample, 1> s{Sample{5, 5}};
  ASSERT_EQ(recorder.Tick(clock_.Now(), s), RecordStatus::kOk);
  EXPECT_EQ(At(0, 3, SlotOf(1, 0, 0, 6)), s[0]);
}

}  // namespace
}  // namespace ws
