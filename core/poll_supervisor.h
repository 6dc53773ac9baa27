// Poll supervision of one stack's logger link: the no-reply counter, the
// one-shot poll timer and the live values, as a pure state machine. Each event
// returns the actions the runtime performs on timers, link, tile and LED.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "core/protocol_codec.h"

namespace ws {

enum class LedColour { kUnchanged, kRed, kGreen };

// Link LED colours (COLORREF 0x00BBGGRR, dark and light).
inline constexpr uint32_t kLedRedDark = 0x0000FF;
inline constexpr uint32_t kLedRedLight = 0xBCBCFF;
inline constexpr uint32_t kLedGreenDark = 0x008000;
inline constexpr uint32_t kLedGreenLight = 0x00FF00;

// What the station is doing around this stack when an event arrives.
struct PollContext {
  bool selected = false;  // the stack is shown in the gauge panel
  // The stack's own link carries a day dump or a firmware upload: its polls
  // and its supervision wait (the dump's and the upload's own time-outs watch
  // the logger meanwhile). Other stacks go on as usual.
  bool busy = false;
  int testSpeedMode = 0;  // 0..3, see ApplyTestSpeedMode
};

struct PollActions {
  bool sendPoll = false;             // send kPollCommand on the stack's link
  bool killPollTimer = false;
  bool startPollTimer = false;       // (re)start the one-shot poll timer, kPollDelayMs
  bool reconnect = false;            // close the link and connect it again (same address, 4000)
  bool markNoCommunication = false;  // tile state 1
  LedColour led = LedColour::kUnchanged;
  // Set when an "R000:" reply was taken: the stack's direction and speed now
  // (a non-finite field keeps its previous value). Run the alarm step with it.
  std::optional<LiveValues> live;
  // With `live`: the values the logger measured, before any test speed mode
  // forced the speed. These, not the forced ones, are recorded.
  std::optional<LiveValues> measured;
  ReplyKind kind = ReplyKind::kOther;  // of the reply handled, for further routing
};

class PollSupervisor {
 public:
  static constexpr int kPollDelayMs = 500;
  static constexpr int kNoCommunicationTicks = 2;
  static constexpr int kReconnectTicks = 3;

  PollSupervisor() { Reset(); }

  // A link was created or its address changed: the next tick rebuilds the
  // connection and sends the first poll.
  void Reset();

  // The one-shot poll timer fired.
  PollActions OnPollTimer(const PollContext& context);
  // The one-second supervision tick.
  PollActions OnSupervisionTick(const PollContext& context);
  // Any reply from the logger, whatever its prefix.
  PollActions OnReply(std::span<const uint8_t> reply, const PollContext& context);
  // The stack's dump or upload has ended: supervision starts afresh (the
  // dump's last answer was a sign of life) and the caller starts the poll timer.
  void ResumeAfterBusy();

  int NoReplyCount() const { return noReplyCount_; }
  bool PollTimerPending() const { return pollTimerPending_; }
  // The last direction and speed received (0 until the first reply), the
  // speed as the test speed mode made it.
  const LiveValues& Values() const { return values_; }

 private:
  int noReplyCount_ = kReconnectTicks;
  bool pollTimerPending_ = false;
  LiveValues values_;
  LiveValues measured_;
};

}  // namespace ws
