#include "core/poll_supervisor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "recording_sender.h"

namespace ws {
namespace {

using test::Bytes;

std::string Live(float direction, float speed) {
  std::string r = "R000:" + std::string(8, '\0');
  std::memcpy(&r[5], &direction, 4);  // the test host is little-endian, as the wire is
  std::memcpy(&r[9], &speed, 4);
  return r;
}

TEST(PollSupervisor, SilentLoggerGoesNoCommAfterTwoTicksIsRebuiltAtThreeAndRecovers) {
  PollSupervisor s;
  const PollContext shown{.selected = true};
  PollActions a = s.OnSupervisionTick(shown);  // a new link: rebuilt and polled at once
  EXPECT_TRUE(a.reconnect && a.sendPoll && a.startPollTimer);
  EXPECT_TRUE(s.OnPollTimer(shown).sendPoll);  // never answered

  EXPECT_FALSE(s.OnSupervisionTick(shown).markNoCommunication);
  a = s.OnSupervisionTick(shown);
  EXPECT_TRUE(a.markNoCommunication && a.killPollTimer && a.sendPoll && a.startPollTimer);
  EXPECT_FALSE(a.reconnect);
  EXPECT_EQ(a.led, LedColour::kRed);
  a = s.OnSupervisionTick(shown);
  EXPECT_TRUE(a.markNoCommunication && a.reconnect);
  EXPECT_FALSE(a.sendPoll);  // the poll timer was still pending

  a = s.OnReply(Bytes(Live(45, 3)), shown);
  EXPECT_EQ(a.led, LedColour::kGreen);
  EXPECT_TRUE(a.startPollTimer);
  EXPECT_EQ(a.live->speed, 3.0f);
  EXPECT_FALSE(s.OnSupervisionTick(shown).markNoCommunication);
}

TEST(PollSupervisor, BusyLinkIsNeitherPolledNorSupervisedAndResumesAfresh) {
  PollSupervisor s;
  (void)s.OnReply(Bytes(Live(90, 10)), {});
  const PollContext busy{.busy = true};
  for (int i = 0; i < 5; ++i) {
    const PollActions tick = s.OnSupervisionTick(busy);
    EXPECT_FALSE(tick.markNoCommunication || tick.sendPoll || tick.reconnect);
  }
  const PollActions fired = s.OnPollTimer(busy);
  EXPECT_FALSE(fired.sendPoll);
  EXPECT_TRUE(fired.startPollTimer);  // kept armed for when the dump or upload ends

  // Once it ends, silence counts from zero: two ticks before no communication.
  s.ResumeAfterBusy();
  EXPECT_TRUE(s.OnPollTimer({}).sendPoll);
  EXPECT_FALSE(s.OnSupervisionTick({}).markNoCommunication);
  EXPECT_TRUE(s.OnSupervisionTick({}).markNoCommunication);
}

TEST(PollSupervisor, TestSpeedModeForcesTheLiveSpeedButNotTheMeasuredOne) {
  PollSupervisor s;
  PollActions a = s.OnReply(Bytes(Live(90, 10)), {.testSpeedMode = 2});
  EXPECT_EQ(a.live->speed, 44.5f);
  EXPECT_EQ(a.measured->speed, 10.0f);
  EXPECT_EQ(a.measured->direction, 90.0f);
  // A field left out keeps the measured value, not the forced one.
  a = s.OnReply(Bytes(Live(180, std::numeric_limits<float>::quiet_NaN())), {});
  EXPECT_EQ(a.live->speed, 10.0f);
  EXPECT_EQ(a.measured->speed, 10.0f);
}

TEST(PollSupervisor, RepliesThatAreNotTakenStillCountAsLife) {
  PollSupervisor s;
  (void)s.OnReply(Bytes(Live(90, 10)), {});
  PollActions a = s.OnReply(Bytes(Live(1, 2)), {.busy = true});
  EXPECT_FALSE(a.live || a.startPollTimer);
  a = s.OnReply(Bytes(Live(1, 2).substr(0, 12)), {});
  EXPECT_FALSE(a.live);
  EXPECT_TRUE(a.startPollTimer);  // a short reply keeps the polling going
  EXPECT_FALSE(s.OnReply(Bytes("R001:"), {}).startPollTimer);
  EXPECT_EQ(s.NoReplyCount(), 0);
  EXPECT_EQ(s.Values().direction, 90.0f);
}

TEST(PollSupervisor, NonFiniteFieldKeepsItsPreviousValue) {
  PollSupervisor s;
  (void)s.OnReply(Bytes(Live(90, 10)), {});
  PollActions a = s.OnReply(Bytes(Live(std::numeric_limits<float>::quiet_NaN(), 12)), {});
  EXPECT_EQ(a.live->direction, 90.0f);
  EXPECT_EQ(a.live->speed, 12.0f);
  a = s.OnReply(Bytes(Live(180, -std::numeric_limits<float>::infinity())), {.testSpeedMode = 0});
  EXPECT_EQ(a.live->speed, 12.0f);
  EXPECT_EQ(s.OnReply(Bytes(Live(90, 10)), {.testSpeedMode = 2}).live->speed, 44.5f);
}

}  // namespace
}  // namespace ws
