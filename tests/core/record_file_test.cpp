#include "core/record_file.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

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

  std::string Path(int stack, int year, int month) const {
    return RecordFilePath(dir_, stack, year, month);
  }
  // Puts a file of exactly these bytes where a month file belongs.
  void PlantFile(int stack, int year, int month, const std::vector<uint8_t>& bytes) {
    fs::create_directories(StackDirectoryPath(dir_, stack));
    std::ofstream(Path(stack, year, month), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  std::string dir_;
};

TEST(RecordLayout, SlotsOfTheFirstAndLastSecondOfMarch) {
  EXPECT_EQ(SlotOf(1, 0, 0, 0), 0);
  EXPECT_EQ(SlotOf(31, 23, 59, 59), 21427192);
  EXPECT_EQ(SlotOf(31, 23, 59, 59) + record::kSampleSize, kFileSize);
}

TEST(RecordLayout, SampleIsTwoLittleEndianFloats) {
  std::array<uint8_t, 8> bytes{};
  record::EncodeSample(Sample{90.0f, 12.5f}, bytes.data());
  EXPECT_EQ(bytes, (std::array<uint8_t, 8>{0x00, 0x00, 0xB4, 0x42, 0x00, 0x00, 0x48, 0x41}));
  EXPECT_EQ(record::DecodeSample(bytes.data()), (Sample{90.0f, 12.5f}));
}

TEST(RecordLayout, PathNamesTheStackFromOneAndPadsTheMonth) {
  EXPECT_EQ(RecordFilePath("/w", 0, 2026, 3), "/w/Stack001/2026_03.dat");
  EXPECT_EQ(RecordFilePath("/w", 99, 2026, 12), "/w/Stack100/2026_12.dat");
  EXPECT_EQ(StackDirectoryPath("/w", 4), "/w/Stack005");
}

TEST_F(RecordFileTest, EnsureCreatesDirectoryAndFullSizeFileReadingAsZeros) {
  ASSERT_EQ(EnsureMonthFiles(dir_, 3, 2026, 3), RecordStatus::kOk);
  for (int stack = 0; stack < 3; ++stack) {
    EXPECT_EQ(fs::file_size(Path(stack, 2026, 3)), static_cast<uintmax_t>(kFileSize));
  }
  std::array<Sample, 4> out;
  out.fill(Sample{1, 1});
  int64_t stored = -1;
  ASSERT_EQ(ReadRecordSamples(dir_, 2, 2026, 3, SlotOf(31, 23, 59, 56), out, &stored),
            RecordStatus::kOk);
  EXPECT_EQ(stored, 4);
  for (const Sample& s : out) EXPECT_EQ(s, Sample{});
}

TEST_F(RecordFileTest, EnsureNeverTruncatesOrGrowsAnExistingShortFile) {
  PlantFile(0, 2026, 3, std::vector<uint8_t>(100, 0x41));
  ASSERT_EQ(EnsureMonthFile(dir_, 0, 2026, 3), RecordStatus::kOk);
  EXPECT_EQ(fs::file_size(Path(0, 2026, 3)), 100u);
}

TEST_F(RecordFileTest, ShortFileIsWrittenWithoutCrashAndReadsBack) {
  PlantFile(0, 2026, 3, std::vector<uint8_t>(100, 0));
  RecordFile file;
  ASSERT_EQ(file.Open(dir_, 0, 2026, 3, RecordFile::Access::kReadWrite), RecordStatus::kOk);
  ASSERT_EQ(file.WriteSample(SlotOf(1, 0, 1, 0), Sample{3, 4}), RecordStatus::kOk);
  std::array<Sample, 1> out;
  ASSERT_EQ(file.ReadSamples(SlotOf(1, 0, 1, 0), out), 1);
  EXPECT_EQ(out[0], (Sample{3, 4}));
}

TEST_F(RecordFileTest, ShortFileReadsMissingAndPartialSamplesAsZero) {
  std::vector<uint8_t> bytes(20, 0);  // two whole samples and half of a third
  record::EncodeSample(Sample{10, 1}, bytes.data());
  record::EncodeSample(Sample{20, 2}, bytes.data() + 8);
  bytes[16] = 0x7F;
  PlantFile(0, 2026, 3, bytes);
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
  PlantFile(1, 2026, 3, bytes);
  std::array<Sample, 2> out;
  int64_t stored = -1;
  ASSERT_EQ(ReadRecordSamples(dir_, 1, 2026, 3, SlotOf(31, 23, 59, 59), out, &stored),
            RecordStatus::kOk);
  EXPECT_EQ(stored, 1);
  EXPECT_EQ(out[0], (Sample{5, 6}));
  EXPECT_EQ(out[1], Sample{});
  RecordFile file;
  ASSERT_EQ(file.Open(dir_, 1, 2026, 3, RecordFile::Access::kRead), RecordStatus::kOk);
  EXPECT_EQ(file.StoredSamples(), record::kSlotsPerFile);
}

TEST_F(RecordFileTest, ReadingAMissingMonthReportsNotFound) {
  std::array<Sample, 1> out;
  EXPECT_EQ(ReadRecordSamples(dir_, 0, 2026, 2, 0, out), RecordStatus::kNotFound);
}

TEST_F(RecordFileTest, BlockIntoAMissingMonthCreatesItAndLandsAtItsSlot) {
  std::vector<Sample> block(record::kBlockSamples);
  for (int k = 0; k < record::kBlockSamples; ++k) block[k] = Sample{float(k), float(k) / 10};
  ASSERT_EQ(WriteRecordBlock(dir_, 2, 2026, 2, 14, 11, 40, block), RecordStatus::kOk);
  EXPECT_EQ(fs::file_size(Path(2, 2026, 2)), static_cast<uintmax_t>(kFileSize));
  std::array<Sample, record::kBlockSamples + 2> out;
  ASSERT_EQ(ReadRecordSamples(dir_, 2, 2026, 2, SlotOf(14, 11, 39, 59), out), RecordStatus::kOk);
  EXPECT_EQ(out[0], Sample{});
  EXPECT_EQ(out[1], block[0]);
  EXPECT_EQ(out[300], block[299]);
  EXPECT_EQ(out[301], Sample{});
}

TEST_F(RecordFileTest, BlockOutsideTheDayOrPastTheFileEndIsRefused) {
  const std::vector<Sample> block(record::kBlockSamples, Sample{1, 1});
  EXPECT_EQ(WriteRecordBlock(dir_, 0, 2026, 3, 1, 24, 0, block), RecordStatus::kInvalidArgument);
  EXPECT_EQ(WriteRecordBlock(dir_, 0, 2026, 3, 1, 0, 60, block), RecordStatus::kInvalidArgument);
  EXPECT_EQ(WriteRecordBlock(dir_, 0, 2026, 4, 31, 0, 0, block), RecordStatus::kInvalidArgument);
  EXPECT_EQ(WriteRecordBlock(dir_, 0, 2026, 3, 31, 23, 56, block), RecordStatus::kOutOfRange);
  EXPECT_FALSE(fs::exists(Path(0, 2026, 3)));
  ASSERT_EQ(WriteRecordBlock(dir_, 0, 2026, 3, 31, 23, 55, block), RecordStatus::kOk);
  EXPECT_EQ(fs::file_size(Path(0, 2026, 3)), static_cast<uintmax_t>(kFileSize));
}

TEST_F(RecordFileTest, SampleWritePastTheEndIsRefused) {
  ASSERT_EQ(EnsureMonthFile(dir_, 0, 2026, 3), RecordStatus::kOk);
  RecordFile file;
  ASSERT_EQ(file.Open(dir_, 0, 2026, 3, RecordFile::Access::kReadWrite), RecordStatus::kOk);
  const std::array<Sample, 2> pair{Sample{1, 1}, Sample{1, 1}};
  EXPECT_EQ(file.WriteSamples(SlotOf(31, 23, 59, 59), pair), RecordStatus::kOutOfRange);
  EXPECT_EQ(file.WriteSample(kFileSize, Sample{1, 1}), RecordStatus::kOutOfRange);
  EXPECT_EQ(file.WriteSample(3, Sample{1, 1}), RecordStatus::kInvalidArgument);
  EXPECT_EQ(fs::file_size(Path(0, 2026, 3)), static_cast<uintmax_t>(kFileSize));
}

}  // namespace
}  // namespace ws
