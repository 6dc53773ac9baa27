// A dumped block merged into a month file: the logger's values fill their slots,
// its missing and future seconds never erase what the station recorded.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/protocol_codec.h"
#include "core/record_file.h"
#include "core/recorder.h"
#include "support/month_files.h"

namespace ws {
namespace {

using record::SlotOf;
using test::At;

// An "R002:" block whose sample k holds direction k + 100 and speed k / 10 + 1,
// with the samples listed in `missingDirection` / `missingSpeed` marked 0xFFFF.
std::vector<uint8_t> Block(int hour, int minute, std::vector<int> missingDirection,
                           std::vector<int> missingSpeed) {
  std::vector<uint8_t> r = {'R', '0', '0', '2', ':', 0, 0, static_cast<uint8_t>(hour),
                            static_cast<uint8_t>(minute)};
  for (int k = 0; k < kBlockSamples; ++k) {
    const int d = (k + 100) * 10;
    const int v = k + 10;
    r.insert(r.end(), {static_cast<uint8_t>(d >> 8), static_cast<uint8_t>(d),
                       static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)});
  }
  for (const int k : missingDirection) r[kBlockSamplesOffset + 4 * k] = r[kBlockSamplesOffset + 4 * k + 1] = 0xFF;
  for (const int k : missingSpeed) r[kBlockSamplesOffset + 4 * k + 2] = r[kBlockSamplesOffset + 4 * k + 3] = 0xFF;
  return r;
}

Sample Logged(int k) { return Sample{static_cast<float>(k + 100), static_cast<float>(k + 10) / 10.0f}; }

class DumpMergeTest : public ::testing::Test {
 protected:
  std::vector<Sample> Read(int day, int hour, int minute) const {
    std::vector<Sample> out(kBlockSamples);
    EXPECT_EQ(ReadRecordSamples(files_.dir(), 0, 2026, 3, SlotOf(day, hour, minute, 0), out), RecordStatus::kOk);
    return out;
  }
  test::MonthFiles files_;
};

TEST_F(DumpMergeTest, MissingAndFutureSamplesKeepRecordedSecondsAndRealOnesReplaceThem) {
  // The station recorded 10:00:00..10:01:39 (k = 0..99) itself; the rest of the
  // five minutes holds nothing.
  files_.Fill(0, At(2026, 3, 9, 10), 100, [](int64_t k) { return Sample{7, 0.5f + static_cast<float>(k)}; });
  // The logger lacks k = 5 (both values), 6 (direction) and 150 (speed); the clock
  // stands at 10:02:30, so k = 151.. lie in the future.
  const std::vector<uint8_t> reply = Block(10, 0, {5, 6}, {5, 150});
  const std::optional<DumpBlock> block = DecodeBlockReply(reply, At(2026, 3, 9), At(2026, 3, 9, 10, 2, 30));
  ASSERT_TRUE(block);
  Recorder recorder(files_.dir());
  ASSERT_EQ(recorder.WriteBlock(0, *block), RecordStatus::kOk);

  const std::vector<Sample> got = Read(9, 10, 0);
  EXPECT_EQ(got[4], Logged(4));                  // the logger's value replaces the station's
  EXPECT_EQ(got[5], (Sample{7, 5.5f}));          // missing: the recorded second stays
  EXPECT_EQ(got[6], (Sample{7, 6.5f}));          // half missing: stays too
  EXPECT_EQ(got[99], Logged(99));
  EXPECT_EQ(got[100], Logged(100));              // an empty slot gets the logger's value
  EXPECT_EQ(got[150], (Sample{250, 0}));         // ... even a half one, as always
  EXPECT_EQ(got[151], Sample{});                 // the future stays empty
  EXPECT_EQ(got[299], Sample{});
}

TEST_F(DumpMergeTest, FutureSamplesNeverEraseTheSecondsRecordedBeforeTheBlockArrived) {
  // Today's block from a logger whose clock is behind: the station recorded up to
  // 10:04:59, the block is dated as if it were 10:02:00.
  files_.Fill(0, At(2026, 3, 9, 10), 300, [](int64_t) { return Sample{180, 12}; });
  const std::vector<uint8_t> reply = Block(10, 0, {}, {});
  const std::optional<DumpBlock> block = DecodeBlockReply(reply, At(2026, 3, 9), At(2026, 3, 9, 10, 2, 0));
  ASSERT_TRUE(block);
  ASSERT_EQ(Recorder(files_.dir()).WriteBlock(0, *block), RecordStatus::kOk);
  const std::vector<Sample> got = Read(9, 10, 0);
  EXPECT_EQ(got[120], Logged(120));
  for (int k = 121; k < kBlockSamples; ++k) ASSERT_EQ(got[static_cast<size_t>(k)], (Sample{180, 12})) << k;
}

TEST_F(DumpMergeTest, MergeIntoAMissingOrShortFileWritesEverySampleAsGiven) {
  std::array<Sample, 3> samples{Sample{1, 2}, Sample{0, 3}, Sample{}};
  const std::array<bool, 3> known{true, false, false};
  ASSERT_EQ(MergeRecordBlock(files_.dir(), 0, 2026, 3, 31, 23, 55, samples, known), RecordStatus::kOk);
  const std::vector<Sample> got = Read(31, 23, 55);
  EXPECT_EQ(got[0], samples[0]);
  EXPECT_EQ(got[1], samples[1]);
  EXPECT_EQ(got[2], Sample{});
  // A flag per sample, and no more than a block.
  const std::array<bool, 2> tooFew{true, true};
  EXPECT_EQ(MergeRecordBlock(files_.dir(), 0, 2026, 3, 1, 0, 0, samples, tooFew), RecordStatus::kInvalidArgument);
  const std::vector<Sample> many(kBlockSamples + 1);
  const std::array<bool, kBlockSamples + 1> manyKnown{};
  EXPECT_EQ(MergeRecordBlock(files_.dir(), 0, 2026, 3, 1, 0, 0, many, manyKnown), RecordStatus::kInvalidArgument);
}

}  // namespace
}  // namespace ws
