#include "core/dump_session.h"

#include <gtest/gtest.h>

#include "recording_sender.h"
#include "support/fake_clock.h"

namespace ws {
namespace {

using test::BlockReply;
using test::Bytes;

std::string BlockFor(int c) { return BlockReply(c / 12, c % 12 * 5); }
SystemTime Date(int month, int day) { return {2026, static_cast<uint16_t>(month), 0, static_cast<uint16_t>(day), 0, 0, 0, 0}; }

// Stores blocks until `refuseFrom` of them are stored, then refuses every one.
struct BlockLog final : DumpSink {
  bool WriteBlock(int, const DumpBlock& block) override {
    if (static_cast<int>(written.size()) >= refuseFrom) {
      ++refused;
      return false;
    }
    written.push_back(block.start);
    return true;
  }
  std::string FailureText() const override { return "no space left on the disk"; }
  std::vector<SystemTime> written;
  int refuseFrom = 1000;
  int refused = 0;
};

class DumpSessionTest : public ::testing::Test {
 protected:
  DumpSessionTest() {
    clock.Set(2026, 3, 10, 12, 0, 0);
    EXPECT_EQ(session.Start(4, Date(3, 9)), DumpStart::kStarted);
  }
  void Answer(int from, int to) {
    for (int c = from; c < to; ++c) ASSERT_EQ(session.OnBlockReply(4, Bytes(BlockFor(c))), DumpReply::kAdvanced);
  }
  test::FakeClock clock;
  test::RecordingSender sender;
  BlockLog sink;
  DumpSession session{clock, sender, sink};
};

TEST_F(DumpSessionTest, WholeDayWritesEveryBlockAndEndsOnTheHour24Reply) {
  EXPECT_EQ(sender.sent.at(0), std::make_pair(4, std::string("R002?03090000")));
  Answer(0, 288);
  EXPECT_EQ(sender.Last(), "R002?03092400");
  ASSERT_EQ(sink.written.size(), 288u);
  EXPECT_EQ(sink.written[140], (SystemTime{2026, 3, 1, 9, 11, 40, 0, 0}));
  EXPECT_EQ(session.OnBlockReply(4, Bytes("R002:")), DumpReply::kCompleted);
  EXPECT_EQ(session.BlockCounter(), -1);
}

TEST_F(DumpSessionTest, ShortBlockIsAskedForAgainAndNotWritten) {
  Answer(0, 5);
  for (const std::string& bad : {BlockReply(0, 25, 1208), std::string("R002:")}) {
    EXPECT_EQ(session.OnBlockReply(4, Bytes(bad)), DumpReply::kAskedAgain);
    EXPECT_EQ(sender.Last(), "R002?03090025");
  }
  EXPECT_EQ(session.BlockCounter(), 5);
  EXPECT_EQ(sink.written.size(), 5u);
  EXPECT_EQ(session.BlocksStored(), 5);
}

TEST_F(DumpSessionTest, WholeBlockWithATimeNoBlockHasIsDroppedWithoutAsking) {
  Answer(0, 5);
  const size_t sends = sender.sent.size();
  for (const std::string& bad : {BlockReply(25, 25), BlockReply(24, 0), BlockReply(0, 56), BlockReply(0, 57),
                                 BlockReply(0, 26)}) {
    EXPECT_EQ(session.OnBlockReply(4, Bytes(bad)), DumpReply::kDropped);
  }
  EXPECT_EQ(sender.sent.size(), sends);
  EXPECT_EQ(session.BlockCounter(), 5);
  EXPECT_EQ(sink.written.size(), 5u);
  // The repeat still asks for block 5, and its answer is taken.
  EXPECT_EQ(session.OnRepeatTimer(), DumpRepeat::kResent);
  EXPECT_EQ(sender.Last(), "R002?03090025");
  EXPECT_EQ(session.OnBlockReply(4, Bytes(BlockFor(5))), DumpReply::kAdvanced);
  // What was stored stays counted after the dump has ended.
  session.Abandon();
  EXPECT_EQ(session.BlocksStored(), 6);
}

TEST_F(DumpSessionTest, DuplicateAnswerToARepeatedRequestDoesNotSkipABlock) {
  Answer(0, 6);
  EXPECT_EQ(session.OnRepeatTimer(), DumpRepeat::kResent);
  const size_t sends = sender.sent.size();
  EXPECT_EQ(session.OnBlockReply(4, Bytes(BlockFor(5))), DumpReply::kDropped);
  EXPECT_EQ(session.BlockCounter(), 6);
  EXPECT_EQ(sink.written.size(), 6u);
  EXPECT_EQ(sender.sent.size(), sends);
}

TEST_F(DumpSessionTest, OtherStacksAndAbandonedDumpsAreIgnored) {
  EXPECT_EQ(session.OnBlockReply(7, Bytes(BlockFor(0))), DumpReply::kIgnored);
  session.Abandon();
  EXPECT_EQ(session.OnBlockReply(4, Bytes(BlockFor(0))), DumpReply::kIgnored);
  EXPECT_EQ(session.OnRepeatTimer(), DumpRepeat::kIdle);
  EXPECT_TRUE(sink.written.empty());
}

TEST_F(DumpSessionTest, ThirtySecondsWithoutAnAcceptedBlockTimesOut) {
  clock.Advance(20000);
  Answer(0, 1);  // progress restarts the wait
  clock.Advance(29900);
  EXPECT_EQ(session.OnBlockReply(4, Bytes("R002:")), DumpReply::kAskedAgain);
  clock.Advance(100);
  EXPECT_EQ(session.OnRepeatTimer(), DumpRepeat::kTimedOut);
  EXPECT_EQ(session.LastEnd(), DumpEnd::kTimedOut);
}

TEST_F(DumpSessionTest, RefusedBlockStopsTheDumpAndIsCountedAsFailedNotStored) {
  sink.refuseFrom = 3;
  Answer(0, 3);
  const size_t sends = sender.sent.size();
  EXPECT_EQ(session.OnBlockReply(4, Bytes(BlockFor(3))), DumpReply::kWriteFailed);
  EXPECT_FALSE(session.Running());
  EXPECT_EQ(session.LastEnd(), DumpEnd::kWriteFailed);
  EXPECT_EQ(session.BlocksStored(), 3);
  EXPECT_EQ(session.BlocksFailed(), 1);
  EXPECT_EQ(session.FailureText(), "no space left on the disk");
  // Nothing more is asked for: the day is not fetched into a disk that refuses it.
  EXPECT_EQ(sender.sent.size(), sends);
  EXPECT_EQ(session.OnRepeatTimer(), DumpRepeat::kIdle);
  EXPECT_EQ(session.OnBlockReply(4, Bytes(BlockFor(4))), DumpReply::kIgnored);
  EXPECT_EQ(sink.refused, 1);
  // The next dump starts with clean counts.
  sink.refuseFrom = 1000;
  ASSERT_EQ(session.Start(4, Date(3, 9)), DumpStart::kStarted);
  EXPECT_EQ(session.BlocksFailed(), 0);
  EXPECT_EQ(session.FailureText(), "");
}

TEST_F(DumpSessionTest, OnlyTodayAndThe182DaysBeforeCanBeDumped) {
  const auto daysBack = [](int n) { return FromCivilSeconds((DaysFromCivil(2026, 3, 10) - n) * 86400); };
  const SystemTime today = clock.Now();
  EXPECT_TRUE(IsDumpableDay(today, today));
  EXPECT_TRUE(IsDumpableDay(daysBack(182), today));
  EXPECT_FALSE(IsDumpableDay(daysBack(183), today));
  EXPECT_FALSE(IsDumpableDay(daysBack(-1), today));
  session.Abandon();
  EXPECT_EQ(session.Start(4, daysBack(183)), DumpStart::kInvalidDate);
  EXPECT_EQ(sender.sent.size(), 1u);
}

}  // namespace
}  // namespace ws
