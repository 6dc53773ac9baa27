#include "core/poll_supervisor.h"

#include <cmath>

namespace ws {

void PollSupervisor::Reset() {
  noReplyCount_ = kReconnectTicks;
  pollTimerPending_ = false;
}

void PollSupervisor::ResumeAfterBusy() {
  noReplyCount_ = 0;
  pollTimerPending_ = true;
}

PollActions PollSupervisor::OnPollTimer(const PollContext& context) {
  PollActions actions;
  if (context.busy) {
    // The link carries the dump or upload; keep the timer armed so the poll
    // goes out once it ends.
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
  if (context.busy) return actions;
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
  // A poll answered after the stack's dump or upload began: its values are
  // left, and no poll follows it onto the busy link.
  if (actions.kind != ReplyKind::kLiveValues || context.busy) return actions;

  if (const std::optional<LiveValues> got = DecodeLiveReply(reply)) {
    if (std::isfinite(got->direction)) measured_.direction = got->direction;
    if (std::isfinite(got->speed)) measured_.speed = got->speed;
    values_.direction = measured_.direction;
    values_.speed = ApplyTestSpeedMode(context.testSpeedMode, measured_.speed);
    actions.live = values_;
    actions.measured = measured_;
  }
  actions.startPollTimer = true;
  pollTimerPending_ = true;
  return actions;
}

}  // namespace ws
