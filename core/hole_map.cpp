#include "core/hole_map.h"

#include <chrono>
#include <filesystem>
#include <system_error>

#include "core/record_file.h"

namespace ws {

DayCoverage DayShare::Coverage() const {
  if (recorded <= 0) return DayCoverage::kEmpty;
  if (recorded >= record::kSecondsPerDay) return DayCoverage::kFull;
  return DayCoverage::kPartly;
}

int RecordedSeconds(std::span<const Sample> samples) {
  int n = 0;
  for (const Sample& s : samples) {
    // 0.0f == -0.0f; a NaN compares unequal and counts as recorded.
    if (!(s.direction == 0.0f && s.speed == 0.0f)) ++n;
  }
  return n;
}

HoleMapCache::HoleMapCache(std::string workdir) : workdir_(std::move(workdir)) {}

void HoleMapCache::Forget() {
  std::lock_guard lock(mutex_);
  files_.clear();
}

int64_t HoleMapCache::FileReads() const {
  std::lock_guard lock(mutex_);
  return fileReads_;
}

std::vector<DayShare> HoleMapCache::Window(int stackIndex, const SystemTime& today, int days) {
  std::lock_guard lock(mutex_);
  std::vector<DayShare> out;
  if (days <= 0 || stackIndex < 0 || stackIndex >= record::kMaxStacks) return out;
  out.reserve(static_cast<size_t>(days));
  const int64_t last = DaysFromCivil(today.year, today.month, today.day);
  const Entry* e = nullptr;
  int year = 0;
  int month = 0;
  for (int64_t d = last - days + 1; d <= last; ++d) {
    const SystemTime t = FromCivilSeconds(d * record::kSecondsPerDay);
    // Days come in order: each month is looked at once per call.
    if (!e || t.year != year || t.month != month) {
      year = t.year;
      month = t.month;
      e = &MonthFor(stackIndex, year, month);
    }
    DayShare share;
    share.year = t.year;
    share.month = t.month;
    share.day = t.day;
    share.recorded = e->recorded[static_cast<size_t>(t.day - 1)];
    out.push_back(share);
  }
  return out;
}

const HoleMapCache::Entry& HoleMapCache::MonthFor(int stackIndex, int year, int month) {
  using FileClock = std::filesystem::file_time_type::clock;
  constexpr auto kTrustAfter = std::chrono::seconds(2);
  const std::string path = RecordFilePath(workdir_, stackIndex, year, month);
  const auto now = FileClock::now();
  std::error_code ec;
  int64_t size = -1;
  int64_t mtime = 0;
  bool recent = false;
  const auto fileSize = std::filesystem::file_size(path, ec);
  if (!ec) {
    size = static_cast<int64_t>(fileSize);
    const auto written = std::filesystem::last_write_time(path, ec);
    if (!ec) {
      mtime = std::chrono::duration_cast<std::chrono::nanoseconds>(written.time_since_epoch()).count();
      recent = now - written < kTrustAfter;
    }
  }
  Entry& e = files_[path];
  if (!e.recorded.empty() && !e.recent && e.size == size && e.mtimeNs == mtime) return e;

  e.size = size;
  e.mtimeNs = mtime;
  e.recent = recent;
  e.recorded.assign(record::kDaysPerFile, 0);
  if (size < 0) return e;  // no file: every day is empty

  RecordFile file;
  if (file.Open(workdir_, stackIndex, year, month, RecordFile::Access::kRead) != RecordStatus::kOk) {
    // Not readable now: try again next time rather than caching the failure.
    e.size = -2;
    return e;
  }
  ++fileReads_;
  buffer_.resize(record::kSecondsPerDay);
  const int daysInMonth = DaysInMonth(year, month);
  for (int day = 1; day <= daysInMonth; ++day) {
    const int64_t slot = int64_t{day - 1} * record::kSecondsPerDay * record::kSampleSize;
    const std::optional<int64_t> read = file.ReadSamples(slot, buffer_);
    if (!read) continue;
    e.recorded[static_cast<size_t>(day - 1)] = RecordedSeconds(buffer_);
  }
  return e;
}

}  // namespace ws
