#include "core/poll_supervisor.h"

#include <cmath>

namespace ws {

void PollSupervisor::Reset() {
  noReplyCount_ = kReconnectTicks;
  pollTimerPending_ = false;
}

PollActions PollSupervisor::OnPollTimer(const PollContext& context) {
  PollActions actions;
  if (context.uploadRunning) {
    // Polling waits for the upload; keep the timer armed so the poll goes out
    // once it ends.
    actions.startPollTimer = true;
    pollTimerPending_ = true;
    return actions;
  }
  pollTimerPending_ = false;
  actions.sendPoll = true;
  return actions;
}

PollActions PollSupervisor::OnSupervisionTick(const PollContext& context) {
  PollActions actions;
  if (context.uploadRunning) return actions;
  ++noReplyCount_;  // never passes kReconnectTicks: that tick resets it
  if (noReplyCount_ < kNoCommunicationTicks) return actions;

  actions.markNoCommunication = true;
  actions.killPollTimer = true;
  if (noReplyCount_ >= kReconnectTicks) {
    actions.reconnect = true;
    noReplyCount_ = 0;
  }
  if (!pollTimerPending_) actions.sendPoll = true;
  if (context.selected) actions.led = LedColour::kRed;
  actions.startPollTimer = true;
  pollTimerPending_ = true;
  return actions;
}

PollActions PollSupervisor::OnReply(std::span<const uint8_t> reply, const PollContext& context) {
  PollActions actions;
  actions.kind = ClassifyReply(reply);
  noReplyCount_ = 0;
  if (context.selected) actions.led = LedColour::kGreen;
  if (actions.kind != ReplyKind::kLiveValues || context.dumpRunning) return actions;

  if (const std::optional<LiveValues> got = DecodeLiveReply(reply)) {
    if (std::isfinite(got->direction)) values_.direction = got->direction;
    if (std::isfinite(got->speed)) values_.speed = ApplyTestSpeedMode(context.testSpeedMode, got->speed);
    else values_.speed = ApplyTestSpeedMode(context.testSpeedMode, values_.speed);
    actions.live = values_;
  }
  actions.startPollTimer = true;
  pollTimerPending_ = true;
  return actions;
}

}  // namespace ws
