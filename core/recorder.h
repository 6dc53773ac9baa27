// The recording side of the station: one open month file per stack, written every
// 500 ms by the record tick, rolled over to the next month's file when the month
// changes.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <string>

#include "core/protocol_codec.h"
#include "core/record_file.h"
#include "core/record_layout.h"
#include "core/system_time.h"

namespace ws {

// Owns the recording handles of stacks 0..stackCount()-1 from Open to Close (or the
// next Open, after a change of the stack count). Single-threaded, like the rest of the
// station. Every call reports its first failure but carries on with the other stacks;
// a stack whose file could not be made or written tries again at its next tick, so
// recording resumes by itself once the disk has room again. CurrentHealth sums up
// the stacks' last outcomes for the station's notice.
class Recorder {
 public:
  explicit Recorder(std::string workdir);

  // Closes any open set, ensures the month files of `now` for stacks
  // 0..stackCount-1 and opens them for recording.
  [[nodiscard]] RecordStatus Open(int stackCount, const SystemTime& now);
  void Close();

  // No reply has been received (TickSample::replySecond).
  static constexpr int64_t kNoReply = std::numeric_limits<int64_t>::min();

  // One stack's part of a record tick: its last measured sample and the second
  // (CivilSeconds of the local time) its reply arrived in.
  struct TickSample {
    Sample sample;
    int64_t replySecond = kNoReply;
  };

  // The record tick: for each stack below stackCount(), switches its handle to the
  // month of `now` when needed, then writes the stack's sample into the seconds that
  // a reply was received for. A second T counts as answered by a reply that
  // arrived within T or within the second before it; so a tick in second S writes
  //   - slot S when the reply arrived in S or S-1, and
  //   - slot S+1 as well when it arrived in S (a tick that comes late must not
  //     leave S+1 empty), unless S+1 belongs to the next month.
  // Both samples go out in one write. Any other second is not written: it keeps what
  // it holds (0/0, "nothing here", in a new file; a dumped block's data), so a silent
  // logger is never recorded as measured. Allocates nothing while the month stays
  // the same. `current` holds one entry per stack; stacks it does not cover are not
  // written and the call reports kInvalidArgument.
  [[nodiscard]] RecordStatus Tick(const SystemTime& now, std::span<const TickSample> current);
  // The same, every sample measured in `now`'s second.
  [[nodiscard]] RecordStatus Tick(const SystemTime& now, std::span<const Sample> current);
  // The same for one stack.
  [[nodiscard]] RecordStatus RecordStack(int stackIndex, const SystemTime& now,
                                         const TickSample& current);
  [[nodiscard]] RecordStatus RecordStack(int stackIndex, const SystemTime& now,
                                         const Sample& sample);

  // Merges a dumped block into the stack's file of the block's month (see
  // MergeRecordBlock): the logger's known samples fill their slots, its missing and
  // future ones never erase a recorded second. The recording handles stay open and
  // untouched.
  [[nodiscard]] RecordStatus WriteBlock(int stackIndex, const DumpBlock& block) const;

  // How recording stands over stacks 0..stackCount()-1, for the station to report
  // a full disk once rather than every tick.
  struct Health {
    int failing = 0;     // stacks whose last write (or file) failed
    int unreserved = 0;  // stacks recording into a file made without reserved space
    RecordStatus failure = RecordStatus::kOk;  // the failure of the first failing stack
    friend bool operator==(const Health&, const Health&) = default;
  };
  Health CurrentHealth() const;
  // The outcome of the stack's last Open or record tick (kOk before any).
  RecordStatus LastStatus(int stackIndex) const;

  int stackCount() const { return stackCount_; }
  const std::string& workdir() const { return workdir_; }
  // The recording handle of a stack (closed when out of range or not open).
  const RecordFile& file(int stackIndex) const;

 private:
  std::string workdir_;
  // Opens the month file of `now` for one stack, making it first when missing.
  RecordStatus OpenStack(int stackIndex, const SystemTime& now);

  std::array<RecordFile, record::kMaxStacks> files_;
  std::array<RecordStatus, record::kMaxStacks> lastStatus_{};
  // The open file was made without its space reserved.
  std::array<bool, record::kMaxStacks> unreserved_{};
  int stackCount_ = 0;
};

}  // namespace ws
