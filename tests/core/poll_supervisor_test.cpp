#include "core/poll_supervisor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace ws {
namespace {

std::vector<uint8_t> Live(float direction, float speed, size_t size = kLiveReplySize) {
  std::vector<uint8_t> r(kLiveReplySize);
  std::copy_n("R000:", 5, r.begin());
  // Little-endian host assumed by the test only; the codec reads byte by byte.
  std::memcpy(&r[5], &direction, 4);
  std::memcpy(&r[9], &speed, 4);
  r.resize(size);
  return r;
}

std::vector<uint8_t> Text(const std::string& s) { return {s.begin(), s.end()}; }

TEST(PollSupervisor, FreshLinkIsRebuiltAndPolledOnTheFirstTick) {
  PollSupervisor s;
  const PollActions a = s.OnSupervisionTick({});
  EXPECT_TRUE(a.reconnect);
  EXPECT_TRUE(a.sendPoll);
  EXPECT_TRUE(a.startPollTimer);
  EXPECT_EQ(s.NoReplyCount(), 0);
  EXPECT_TRUE(s.OnPollTimer({}).sendPoll);
  EXPECT_FALSE(s.PollTimerPending());
}

TEST(PollSupervisor, SilentLoggerGoesNoCommAfterTwoTicksAndIsRebuiltAtThree) {
  PollSupervisor s;
  const PollContext selected{.selected = true};
  (void)s.OnReply(Live(90, 10), selected);
  (void)s.OnPollTimer(selected);  // poll sent, never answered

  PollActions a = s.OnSupervisionTick(selected);
  EXPECT_FALSE(a.markNoCommunication || a.sendPoll || a.reconnect || a.startPollTimer);
  EXPECT_EQ(a.led, LedColour::kUnchanged);

  a = s.OnSupervisionTick(selected);
  EXPECT_TRUE(a.markNoCommunication);
  EXPECT_TRUE(a.killPollTimer);
  EXPECT_TRUE(a.sendPoll);  // the timer had fired: ask again at once
  EXPECT_TRUE(a.startPollTimer);
  EXPECT_FALSE(a.reconnect);
  EXPECT_EQ(a.led, LedColour::kRed);

  a = s.OnSupervisionTick(selected);  // poll timer still pending this time
  EXPECT_TRUE(a.markNoCommunication);
  EXPECT_TRUE(a.reconnect);
  EXPECT_FALSE(a.sendPoll);
  EXPECT_EQ(s.NoReplyCount(), 0);

  a = s.OnReply(Live(45, 3), selected);  // recovers by itself
  EXPECT_EQ(a.led, LedColour::kGreen);
  EXPECT_TRUE(a.startPollTimer);
  ASSERT_TRUE(a.live);
  EXPECT_EQ(a.live->speed, 3.0f);
  EXPECT_FALSE(s.OnSupervisionTick(selected).markNoCommunication);
}

TEST(PollSupervisor, LedIsLeftAloneForAStackNotShown) {
  PollSupervisor s;
  EXPECT_EQ(s.OnSupervisionTick({}).led, LedColour::kUnchanged);
  EXPECT_EQ(s.OnReply(Live(1, 1), {}).led, LedColour::kUnchanged);
}

TEST(PollSupervisor, FirmwareUploadStopsSupervisionAndPolling) {
  PollSupervisor s;
  const PollContext upload{.uploadRunning = true};
  for (int i = 0; i < 10; ++i) {
    const PollActions a = s.OnSupervisionTick(upload);
    ASSERT_FALSE(a.markNoCommunication || a.reconnect || a.sendPoll || a.killPollTimer);
  }
  const PollActions fired = s.OnPollTimer(upload);
  EXPECT_FALSE(fired.sendPoll);
  EXPECT_TRUE(fired.startPollTimer);  // stays armed for when the upload ends
  EXPECT_TRUE(s.OnPollTimer({}).sendPoll);
}

TEST(PollSupervisor, LiveRepliesDuringADumpAreDroppedButCountAsLife) {
  PollSupervisor s;
  const PollActions a = s.OnReply(Live(90, 10), {.dumpRunning = true});
  EXPECT_FALSE(a.live);
  EXPECT_FALSE(a.startPollTimer);
  EXPECT_EQ(s.NoReplyCount(), 0);
  EXPECT_EQ(s.Values().speed, 0.0f);
}

TEST(PollSupervisor, ShortOrOtherRepliesAreNotDecoded) {
  PollSupervisor s;
  (void)s.OnReply(Live(90, 10), {});
  PollActions a = s.OnReply(Live(10, 20, 12), {});
  EXPECT_FALSE(a.live);
  EXPECT_TRUE(a.startPollTimer);  // polling continues
  EXPECT_EQ(s.Values().direction, 90.0f);

  a = s.OnReply(Text("R001:"), {});
  EXPECT_EQ(a.kind, ReplyKind::kR001);
  EXPECT_FALSE(a.startPollTimer);
  EXPECT_EQ(s.NoReplyCount(), 0);
  EXPECT_EQ(s.OnReply(Text("R002:"), {}).kind, ReplyKind::kDumpBlock);
}

TEST(PollSupervisor, NonFiniteFieldKeepsItsPreviousValueAndRearmsThePoll) {
  PollSupervisor s;
  (void)s.OnReply(Live(90, 10), {});
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  PollActions a = s.OnReply(Live(nan, 12), {});
  ASSERT_TRUE(a.live);
  EXPECT_EQ(a.live->direction, 90.0f);
  EXPECT_EQ(a.live->speed, 12.0f);
  EXPECT_TRUE(a.startPollTimer);
  a = s.OnReply(Live(180, -inf), {});
  EXPECT_EQ(a.live->direction, 180.0f);
  EXPECT_EQ(a.live->speed, 12.0f);
}

TEST(PollSupervisor, TestSpeedModeReplacesLiveSpeeds) {
  PollSupervisor s;
  EXPECT_EQ(s.OnReply(Live(90, 10), {.testSpeedMode = 2}).live->speed, 44.5f);
  EXPECT_EQ(s.OnReply(Live(90, 10), {.testSpeedMode = 0}).live->speed, 10.0f);
}

}  // namespace
}  // namespace ws
