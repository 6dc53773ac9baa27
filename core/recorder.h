// The recording side of the station: one open month file per stack, written every
// 500 ms by the record tick, rolled over to the next month's file when the month
// changes.
#pragma once

#include <array>
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

  // The record tick: for each stack below stackCount(), switches its handle to the
  // month of `now` when needed, then writes current[i] into the slot of `now`'s second
  // and again into the slot of the following second, unless that second belongs to
  // the next month. Both samples go out in one write. Allocates nothing while the
  // month stays the same. `current` holds one sample per stack; stacks it does not
  // cover are not written and the call reports kInvalidArgument.
  [[nodiscard]] RecordStatus Tick(const SystemTime& now, std::span<const Sample> current);
  // The same for one stack.
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
