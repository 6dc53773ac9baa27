// The day dump exchange with one logger: 288 five-minute blocks fetched by a
// strict request/reply loop, a 100 ms repeat of the pending request and a 30 s
// give-up when no block is accepted. The caller writes the blocks it hands out.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/clock.h"
#include "core/link_sender.h"
#include "core/protocol_codec.h"
#include "core/system_time.h"

namespace ws {

inline constexpr const char* kInvalidDateText = "Invalid DATE!";
inline constexpr const char* kDumpTimedOutText = "Dump Time Out!";
inline constexpr const char* kDumpWriteFailedText = "Dump stopped: a block could not be written.";

// A day can be dumped when the whole hours from its 00:00 to today's 00:00
// are 0..4391: today and the 182 days before it. Invalid dates are refused.
inline constexpr int64_t kDumpRangeHours = 4392;
[[nodiscard]] bool IsDumpableDay(const SystemTime& chosen, const SystemTime& today);

// Receives each accepted block; called before the next request goes out.
class DumpSink {
 public:
  virtual ~DumpSink() = default;
  // True when the block is stored. A false return stops the dump.
  virtual bool WriteBlock(int stack, const DumpBlock& block) = 0;
  // Why the last WriteBlock failed, for the operator ("no space left on the disk").
  virtual std::string FailureText() const { return "write failed"; }
};

enum class DumpStart { kStarted, kInvalidDate, kBusy };
// kWriteFailed: a block could not be stored; the dump stopped there.
enum class DumpEnd { kCompleted, kAbandoned, kTimedOut, kWriteFailed };

// What a reply did; the caller runs the timers accordingly.
enum class DumpReply {
  kIgnored,     // no dump runs or another stack sent it (still a sign of life)
  kDropped,     // a whole block other than the awaited one, or stamped with a time no
                // block has: nothing written, nothing sent, the counter stays
  kAskedAgain,  // short or broken block: the same request went out again; restart the repeat
  kAdvanced,    // block written and the next one requested; restart the repeat
  kCompleted,   // the day is done: stop the repeat, start the stack's poll timer
  kTimedOut,    // no accepted block for 30 s: stop the repeat, show kDumpTimedOutText
  kWriteFailed, // the sink could not store the block: the dump has ended (kWriteFailed);
                // stop the repeat, show kDumpWriteFailedText with FailureText()
};

enum class DumpRepeat { kIdle, kResent, kTimedOut };

// Single-threaded; `clock`, `sender` and `sink` must outlive the session.
class DumpSession {
 public:
  static constexpr int64_t kRepeatMs = 100;
  static constexpr int64_t kNoProgressTimeoutMs = 30000;

  DumpSession(const Clock& clock, LinkSender& sender, DumpSink& sink);

  // Checks the day against the clock's today and sends the request for block 0
  // to `stack`. The caller then starts the 100 ms repeat timer.
  [[nodiscard]] DumpStart Start(int stack, const SystemTime& date);

  // An "R002:" reply (any length) from `stack`.
  DumpReply OnBlockReply(int stack, std::span<const uint8_t> reply);

  // The repeat timer fired: send the pending request again, or give up.
  DumpRepeat OnRepeatTimer();

  // MAIN, EXIT or a closing window: the dump stops where it is.
  void Abandon();

  bool Running() const { return blockCounter_ >= 0; }
  // -1 when idle, else the block awaited next (0..288).
  int BlockCounter() const { return blockCounter_; }
  int Stack() const { return stack_; }
  const SystemTime& Date() const { return date_; }
  // Blocks written by the running dump, or by the last one once it has ended
  // (they stay written whatever ended it). Only blocks the sink stored count.
  int BlocksStored() const { return blocksStored_; }
  // Blocks the sink refused in the running or last dump (0 or 1: the first stops
  // it), and the sink's reason for the last refusal ("" when none).
  int BlocksFailed() const { return blocksFailed_; }
  const std::string& FailureText() const { return failureText_; }
  // Percentage for the progress bar: counter * 100 / 288 (0 when idle).
  int Progress() const;
  const std::string& RequestText() const { return request_; }
  std::optional<DumpEnd> LastEnd() const { return lastEnd_; }

 private:
  void SendRequest();
  void Finish(DumpEnd end);
  bool ProgressOverdue();

  const Clock& clock_;
  LinkSender& sender_;
  DumpSink& sink_;
  int blockCounter_ = -1;
  int stack_ = -1;
  int blocksStored_ = 0;
  int blocksFailed_ = 0;
  std::string failureText_;
  SystemTime date_;
  std::string request_;
  int64_t lastProgressMs_ = 0;
  std::optional<DumpEnd> lastEnd_;
};

}  // namespace ws
