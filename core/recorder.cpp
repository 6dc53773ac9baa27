#include "core/recorder.h"

#include <algorithm>
#include <utility>

namespace ws {

Recorder::Recorder(std::string workdir) : workdir_(std::move(workdir)) {}

RecordStatus Recorder::Open(int stackCount, const SystemTime& now) {
  Close();
  if (stackCount < 0 || stackCount > record::kMaxStacks || !IsValidDate(now)) {
    return RecordStatus::kInvalidArgument;
  }
  stackCount_ = stackCount;
  RecordStatus first = RecordStatus::kOk;
  for (int i = 0; i < stackCount; ++i) {
    const RecordStatus s = OpenStack(i, now);
    lastStatus_[static_cast<size_t>(i)] = s;
    if (first == RecordStatus::kOk) first = s;
  }
  return first;
}

void Recorder::Close() {
  for (RecordFile& f : files_) f.Close();
  lastStatus_.fill(RecordStatus::kOk);
  unreserved_.fill(false);
  stackCount_ = 0;
}

RecordStatus Recorder::OpenStack(int stackIndex, const SystemTime& now) {
  const auto i = static_cast<size_t>(stackIndex);
  files_[i].Close();
  unreserved_[i] = false;
  const RecordStatus made = EnsureMonthFile(workdir_, stackIndex, now.year, now.month);
  if (!IsUsable(made)) return made;
  if (const RecordStatus s =
          files_[i].Open(workdir_, stackIndex, now.year, now.month, RecordFile::Access::kReadWrite);
      s != RecordStatus::kOk) {
    return s;
  }
  unreserved_[i] = made == RecordStatus::kSpaceNotReserved;
  return made;
}

namespace {

// Records every stack `current` covers and reports the first failure; stacks it
// does not cover make the call report kInvalidArgument.
template <typename Entry>
RecordStatus TickEveryStack(Recorder& recorder, const SystemTime& now, std::span<const Entry> current) {
  const size_t count = static_cast<size_t>(recorder.stackCount());
  const size_t covered = std::min(current.size(), count);
  RecordStatus first = covered < count ? RecordStatus::kInvalidArgument : RecordStatus::kOk;
  for (size_t i = 0; i < covered; ++i) {
    const RecordStatus s = recorder.RecordStack(static_cast<int>(i), now, current[i]);
    if (first == RecordStatus::kOk) first = s;
  }
  return first;
}

}  // namespace

RecordStatus Recorder::Tick(const SystemTime& now, std::span<const TickSample> current) {
  return TickEveryStack(*this, now, current);
}

RecordStatus Recorder::Tick(const SystemTime& now, std::span<const Sample> current) {
  return TickEveryStack(*this, now, current);
}

RecordStatus Recorder::RecordStack(int stackIndex, const SystemTime& now, const Sample& sample) {
  return RecordStack(stackIndex, now, TickSample{sample, CivilSeconds(now)});
}

RecordStatus Recorder::RecordStack(int stackIndex, const SystemTime& now, const TickSample& current) {
  if (stackIndex < 0 || stackIndex >= stackCount_ || !IsValidDate(now)) {
    return RecordStatus::kInvalidArgument;
  }
  const auto i = static_cast<size_t>(stackIndex);
  RecordFile& file = files_[i];
  if (!file.Holds(now.year, now.month)) {
    // New month, or an earlier attempt failed: start over with this month's file.
    const RecordStatus opened = OpenStack(stackIndex, now);
    if (!IsUsable(opened)) {
      lastStatus_[i] = opened;
      return opened;
    }
    lastStatus_[i] = RecordStatus::kOk;
  }
  const int64_t second = CivilSeconds(now);
  // Received in this second or the one before: this second is answered. In this
  // second: the next one is too, by the same rule, and its copy covers a tick that
  // comes late. A reply older than that leaves both unwritten, so the copy never
  // carries a stale value past the second after its reply.
  const bool answersNow = current.replySecond == second || current.replySecond == second - 1;
  if (!answersNow) return lastStatus_[i];
  // At the last second of the month the next second lives in another file, and
  // would lie past the end of this one on a 31st.
  const bool lastSecondOfMonth = now.day == DaysInMonth(now.year, now.month) && now.hour == 23 &&
                                 now.minute == 59 && now.second == 59;
  const bool answersNext = current.replySecond == second && !lastSecondOfMonth;
  const std::array<Sample, 2> pair{current.sample, current.sample};
  const int64_t slot = record::SlotOf(now.day, now.hour, now.minute, now.second);
  const RecordStatus written =
      file.WriteSamples(slot, std::span<const Sample>(pair.data(), answersNext ? 2 : 1));
  lastStatus_[i] = written;
  return written;
}

Recorder::Health Recorder::CurrentHealth() const {
  Health h;
  for (size_t i = 0; i < static_cast<size_t>(stackCount_); ++i) {
    if (!IsUsable(lastStatus_[i])) {
      if (h.failing++ == 0) h.failure = lastStatus_[i];
    } else if (unreserved_[i]) {
      ++h.unreserved;
    }
  }
  return h;
}

RecordStatus Recorder::LastStatus(int stackIndex) const {
  if (stackIndex < 0 || stackIndex >= stackCount_) return RecordStatus::kOk;
  return lastStatus_[static_cast<size_t>(stackIndex)];
}

RecordStatus Recorder::WriteBlock(int stackIndex, const DumpBlock& block) const {
  std::array<Sample, kBlockSamples> samples;
  std::array<bool, kBlockSamples> known;
  for (size_t k = 0; k < samples.size(); ++k) {
    samples[k] = Sample{block.samples[k].direction, block.samples[k].speed};
    known[k] = block.samples[k].known;
  }
  const SystemTime& t = block.start;
  return MergeRecordBlock(workdir_, stackIndex, t.year, t.month, t.day, t.hour, t.minute, samples,
                          known);
}

const RecordFile& Recorder::file(int stackIndex) const {
  static const RecordFile kClosed;
  if (stackIndex < 0 || stackIndex >= stackCount_) return kClosed;
  return files_[stackIndex];
}

}  // namespace ws
