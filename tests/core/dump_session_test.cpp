#include "core/dump_session.h"

#include <gtest/gtest.h>

#include <vector>

#include "recording_sender.h"
#include "support/fake_clock.h"

namespace ws {
namespace {

using test::Bytes;

std::vector<uint8_t> Block(int hour, int minute, size_t size = kBlockReplySize) {
  std::vector<uint8_t> r(size, 0);
  std::copy_n("R002:", 5, r.begin());
  if (size > kBlockMinuteOffset) {
    r[kBlockHourOffset] = static_cast<uint8_t>(hour);
    r[kBlockMinuteOffset] = static_cast<uint8_t>(minute);
  }
  return r;
}

std::vector<uint8_t> BlockFor(int c) { return Block(c / 12, (c % 12) * 5); }

SystemTime Date(int y, int m, int d) {
  SystemTime t;
  t.year = static_cast<uint16_t>(y), t.month = static_cast<uint16_t>(m), t.day = static_cast<uint16_t>(d);
  return t;
}

class BlockLog final : public DumpSink {
 public:
  void WriteBlock(int stack, const DumpBlock& block) override {
    stacks.push_back(stack);
    blocks.push_back(block.start);
  }
  std::vector<int> stacks;
  std::vector<SystemTime> blocks;
};

class DumpSessionTest : public ::testing::Test {
 protected:
  DumpSessionTest() { clock.Set(2026, 3, 10, 12, 0, 0); }
  void StartDump(int stack = 4, SystemTime date = Date(2026, 3, 9)) {
    ASSERT_EQ(session.Start(stack, date), DumpStart::kStarted);
  }
  void AnswerBlocks(int from, int to, int stack = 4) {
    for (int c = from; c < to; ++c) ASSERT_EQ(session.OnBlockReply(stack, BlockFor(c)), DumpReply::kAdvanced);
  }

  test::FakeClock clock;
  test::RecordingSender sender;
  BlockLog sink;
  DumpSession session{clock, sender, sink};
};

TEST_F(DumpSessionTest, StartAsksForMidnightOfTheChosenDay) {
  StartDump();
  EXPECT_EQ(session.BlockCounter(), 0);
  ASSERT_EQ(sender.sent.size(), 1u);
  EXPECT_EQ(sender.Last().link, 4);
  EXPECT_EQ(sender.Last().bytes, "R002?03090000");
  EXPECT_EQ(session.Start(5, Date(2026, 3, 9)), DumpStart::kBusy);
}

TEST_F(DumpSessionTest, WholeDayWritesEveryBlockThenEndsOnTheHour24Reply) {
  StartDump();
  AnswerBlocks(0, 144);
  EXPECT_EQ(session.Progress(), 50);
  AnswerBlocks(144, 288);
  EXPECT_EQ(sender.Last().bytes, "R002?03092400");
  ASSERT_EQ(sink.blocks.size(), 288u);
  EXPECT_EQ(sink.blocks[140].hour, 11);
  EXPECT_EQ(sink.blocks[140].minute, 40);
  EXPECT_EQ(sink.blocks[287].day, 9);
  EXPECT_EQ(session.OnBlockReply(4, Block(0, 0, 5)), DumpReply::kCompleted);
  EXPECT_FALSE(session.Running());
  EXPECT_EQ(session.LastEnd(), DumpEnd::kCompleted);
  EXPECT_EQ(session.Stack(), 4);
}

TEST_F(DumpSessionTest, ShortBlockAsksForTheSameBlockAgain) {
  StartDump();
  AnswerBlocks(0, 5);
  EXPECT_EQ(session.OnBlockReply(4, Block(0, 25, kBlockReplySize - 1)), DumpReply::kAskedAgain);
  EXPECT_EQ(sender.Last().bytes, "R002?03090025");
  EXPECT_EQ(session.BlockCounter(), 5);
  EXPECT_EQ(sink.blocks.size(), 5u);
}

TEST_F(DumpSessionTest, BrokenBlockTimeIsAskedAgainAndNeverWritten) {
  StartDump();
  for (auto [h, m] : {std::pair{24, 0}, {0, 56}, {0, 57}}) {
    EXPECT_EQ(session.OnBlockReply(4, Block(h, m)), DumpReply::kAskedAgain);
    EXPECT_EQ(sender.Last().bytes, "R002?03090000");
  }
  EXPECT_TRUE(sink.blocks.empty());
  EXPECT_EQ(session.BlockCounter(), 0);
}

TEST_F(DumpSessionTest, DuplicateAnswerToARepeatedRequestDoesNotSkipABlock) {
  StartDump();
  AnswerBlocks(0, 6);
  const size_t sends = sender.sent.size();
  EXPECT_EQ(session.OnBlockReply(4, BlockFor(5)), DumpReply::kDropped);
  EXPECT_EQ(session.OnBlockReply(4, BlockFor(9)), DumpReply::kDropped);
  EXPECT_EQ(session.BlockCounter(), 6);
  EXPECT_EQ(sink.blocks.size(), 6u);
  EXPECT_EQ(sender.sent.size(), sends);
  AnswerBlocks(6, 7);
  EXPECT_EQ(sink.blocks.back().minute, 30);
}

TEST_F(DumpSessionTest, BlocksFromAnotherStackOrWithoutADumpAreIgnored) {
  EXPECT_EQ(session.OnBlockReply(4, BlockFor(0)), DumpReply::kIgnored);
  StartDump(4);
  EXPECT_EQ(session.OnBlockReply(7, BlockFor(0)), DumpReply::kIgnored);
  EXPECT_EQ(session.BlockCounter(), 0);
  session.Abandon();
  EXPECT_EQ(session.BlockCounter(), -1);
  EXPECT_EQ(session.LastEnd(), DumpEnd::kAbandoned);
  EXPECT_EQ(session.OnBlockReply(4, BlockFor(0)), DumpReply::kIgnored);
  EXPECT_TRUE(sink.blocks.empty());
  EXPECT_EQ(session.OnRepeatTimer(), DumpRepeat::kIdle);
}

TEST_F(DumpSessionTest, RepeatResendsThePendingRequest) {
  StartDump();
  AnswerBlocks(0, 2);
  EXPECT_EQ(session.OnRepeatTimer(), DumpRepeat::kResent);
  EXPECT_EQ(sender.Last().bytes, "R002?03090010");
  EXPECT_EQ(session.RequestText(), "R002?03090010");
}

TEST_F(DumpSessionTest, ThirtySecondsWithoutAnAcceptedBlockTimesOut) {
  StartDump();
  clock.Advance(20000);
  AnswerBlocks(0, 1);  // progress restarts the wait
  clock.Advance(29900);
  EXPECT_EQ(session.OnRepeatTimer(), DumpRepeat::kResent);
  EXPECT_EQ(session.OnBlockReply(4, Block(0, 5, 100)), DumpReply::kAskedAgain);
  clock.Advance(100);
  EXPECT_EQ(session.OnBlockReply(4, Block(0, 5, 100)), DumpReply::kTimedOut);
  EXPECT_FALSE(session.Running());
  EXPECT_EQ(session.LastEnd(), DumpEnd::kTimedOut);
  EXPECT_EQ(session.OnRepeatTimer(), DumpRepeat::kIdle);
}

TEST_F(DumpSessionTest, SilentLoggerTimesOutFromTheRepeatTimer) {
  StartDump();
  for (int i = 0; i < 299; ++i) {
    clock.Advance(100);
    ASSERT_EQ(session.OnRepeatTimer(), DumpRepeat::kResent);
  }
  clock.Advance(100);
  EXPECT_EQ(session.OnRepeatTimer(), DumpRepeat::kTimedOut);
  EXPECT_TRUE(sink.blocks.empty());
}

TEST(DumpDayRange, TodayAndThe182DaysBeforeAreAccepted) {
  const SystemTime today = FromCivilSeconds(CivilSeconds(Date(2026, 3, 10)) + 15 * 3600);
  const int64_t days = DaysFromCivil(2026, 3, 10);
  auto daysBack = [&](int64_t n) { return FromCivilSeconds((days - n) * 86400); };
  EXPECT_TRUE(IsDumpableDay(today, today));
  EXPECT_TRUE(IsDumpableDay(daysBack(182), today));
  EXPECT_FALSE(IsDumpableDay(daysBack(183), today));
  EXPECT_FALSE(IsDumpableDay(daysBack(-1), today));
  EXPECT_FALSE(IsDumpableDay(Date(2026, 2, 30), today));
}

TEST_F(DumpSessionTest, RefusedDateSendsNothing) {
  EXPECT_EQ(session.Start(4, Date(2026, 3, 11)), DumpStart::kInvalidDate);
  EXPECT_EQ(session.Start(4, Date(2025, 9, 8)), DumpStart::kInvalidDate);  // 183 days back
  EXPECT_TRUE(sender.sent.empty());
  EXPECT_FALSE(session.Running());
}

}  // namespace
}  // namespace ws
