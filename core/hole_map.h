// The hole map of a stack's record files: for each day, the share of its
// seconds that hold a sample other than 0/0. The files have no other marker of
// a missing second, so a calm north wind (direction 0, speed 0) reads as a hole.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/record_layout.h"
#include "core/system_time.h"

namespace ws {

// How the calendar shows a day.
enum class DayCoverage { kEmpty, kPartly, kFull };

struct DayShare {
  int year = 0;
  int month = 0;
  int day = 0;
  int recorded = 0;  // seconds holding a sample other than 0/0, 0..86400
  double Share() const { return recorded / static_cast<double>(record::kSecondsPerDay); }
  DayCoverage Coverage() const;
};

// Seconds among `samples` that hold something other than 0/0 (negative zero
// included as zero).
[[nodiscard]] int RecordedSeconds(std::span<const Sample> samples);

// Computes and caches the shares per month file. A file's shares are kept
// with its size and modification time and read again only when either has
// changed, so asking again for a window of days costs a stat per month, plus
// the reading of the files written since (the current month, usually).
// Thread-safe: one call at a time runs, others wait; meant for a worker thread
// since reading 183 days is about 126 MB.
class HoleMapCache {
 public:
  static constexpr int kWindowDays = 183;  // today and the 182 days before

  explicit HoleMapCache(std::string workdir);

  // The `days` days ending with `today` (oldest first) of stack `stackIndex`
  // (0-based). A missing or unreadable file gives empty days.
  std::vector<DayShare> Window(int stackIndex, const SystemTime& today, int days = kWindowDays);

  // Reads every day of the file again on the next call.
  void Forget();

  // Months read from disk since the cache was made (for tests).
  int64_t FileReads() const;

 private:
  struct Entry {
    int64_t mtimeNs = 0;
    int64_t size = -1;
    // Written too recently to trust the time stamp: a write within the same
    // tick of the file system's clock would not change it.
    bool recent = false;
    std::vector<int> recorded;  // per day 1..31, at index day - 1
  };

  const Entry& MonthFor(int stackIndex, int year, int month);

  std::string workdir_;
  mutable std::mutex mutex_;
  std::map<std::string, Entry> files_;
  std::vector<Sample> buffer_;
  int64_t fileReads_ = 0;
};

}  // namespace ws
