#include "core/dump_session.h"

namespace ws {
namespace {

int64_t WallMs(const SystemTime& t) { return CivilSeconds(t) * 1000 + t.milliseconds; }

std::span<const uint8_t> AsBytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

}  // namespace

bool IsDumpableDay(const SystemTime& chosen, const SystemTime& today) {
  SystemTime day = chosen;
  day.hour = day.minute = day.second = day.milliseconds = 0;
  if (!IsValidDate(day)) return false;
  const int64_t hours = (DaysFromCivil(today.year, today.month, today.day) -
                         DaysFromCivil(chosen.year, chosen.month, chosen.day)) *
                        24;
  return hours >= 0 && hours < kDumpRangeHours;
}

DumpSession::DumpSession(const Clock& clock, LinkSender& sender, DumpSink& sink)
    : clock_(clock), sender_(sender), sink_(sink) {}

DumpStart DumpSession::Start(int stack, const SystemTime& date) {
  if (Running()) return DumpStart::kBusy;
  if (!IsDumpableDay(date, clock_.Now())) return DumpStart::kInvalidDate;
  stack_ = stack;
  date_ = SystemTime{};
  date_.year = date.year;
  date_.month = date.month;
  date_.day = date.day;
  blockCounter_ = 0;
  blocksStored_ = 0;
  blocksFailed_ = 0;
  failureText_.clear();
  lastEnd_.reset();
  lastProgressMs_ = WallMs(clock_.Now());
  SendRequest();
  return DumpStart::kStarted;
}

DumpReply DumpSession::OnBlockReply(int stack, std::span<const uint8_t> reply) {
  if (!Running() || stack != stack_) return DumpReply::kIgnored;

  // Whatever answers the request for hour 24 closes the day.
  if (blockCounter_ >= kBlocksPerDay) {
    Finish(DumpEnd::kCompleted);
    return DumpReply::kCompleted;
  }

  const std::optional<BlockTime> time = PeekBlockTime(reply);
  if (time) {
    const BlockTime awaited = BlockStart(blockCounter_);
    // A whole block stamped with any other time, one that no block can have
    // (hour 25) included, is not the awaited one: typically a second answer to
    // a repeated request, already written. Asking again at once would only
    // double the traffic; the repeat timer keeps asking.
    if (!IsValidBlockTime(*time) || time->hour != awaited.hour || time->minute != awaited.minute) {
      if (ProgressOverdue()) return DumpReply::kTimedOut;
      return DumpReply::kDropped;
    }
    const std::optional<DumpBlock> block = DecodeBlockReply(reply, date_, clock_.Now());
    if (block) {
      if (!sink_.WriteBlock(stack_, *block)) {
        // A disk that refused one block refuses the next: stop rather than fetch a
        // day that cannot be kept.
        ++blocksFailed_;
        failureText_ = sink_.FailureText();
        Finish(DumpEnd::kWriteFailed);
        return DumpReply::kWriteFailed;
      }
      ++blockCounter_;
      ++blocksStored_;
      lastProgressMs_ = WallMs(clock_.Now());
      SendRequest();
      return DumpReply::kAdvanced;
    }
  }

  // Short or broken: ask for the same block again, until the time-out.
  if (ProgressOverdue()) return DumpReply::kTimedOut;
  SendRequest();
  return DumpReply::kAskedAgain;
}

DumpRepeat DumpSession::OnRepeatTimer() {
  if (!Running()) return DumpRepeat::kIdle;
  if (ProgressOverdue()) return DumpRepeat::kTimedOut;
  sender_.Send(stack_, AsBytes(request_));
  return DumpRepeat::kResent;
}

void DumpSession::Abandon() {
  if (Running()) Finish(DumpEnd::kAbandoned);
}

int DumpSession::Progress() const {
  return Running() ? blockCounter_ * 100 / kBlocksPerDay : 0;
}

void DumpSession::SendRequest() {
  request_ = DumpRequestText(date_.month, date_.day, blockCounter_);
  sender_.Send(stack_, AsBytes(request_));
}

void DumpSession::Finish(DumpEnd end) {
  blockCounter_ = -1;
  lastEnd_ = end;
}

bool DumpSession::ProgressOverdue() {
  const int64_t now = WallMs(clock_.Now());
  // A clock set back restarts the wait rather than stretching it.
  if (now < lastProgressMs_) lastProgressMs_ = now;
  if (now - lastProgressMs_ < kNoProgressTimeoutMs) return false;
  Finish(DumpEnd::kTimedOut);
  return true;
}

}  // namespace ws
