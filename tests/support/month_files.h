// Month record files made up for tests: a temporary working directory, and helpers
// to plant samples at given local times.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/record_file.h"
#include "core/record_layout.h"
#include "core/system_time.h"

namespace ws::test {

inline SystemTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  SystemTime t;
  t.year = static_cast<uint16_t>(year);
  t.month = static_cast<uint16_t>(month);
  t.day = static_cast<uint16_t>(day);
  t.hour = static_cast<uint16_t>(hour);
  t.minute = static_cast<uint16_t>(minute);
  t.second = static_cast<uint16_t>(second);
  return FromCivilSeconds(CivilSeconds(t));
}

class MonthFiles {
 public:
  MonthFiles() {
    char pattern[] = "/tmp/ws-report-XXXXXX";
    if (::mkdtemp(pattern) != nullptr) dir_ = pattern;
  }
  ~MonthFiles() {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  MonthFiles(const MonthFiles&) = delete;
  MonthFiles& operator=(const MonthFiles&) = delete;

  const std::string& dir() const { return dir_; }

  // A full-size, all-zero month file.
  void Create(int stack, int year, int month) const {
    ASSERT_EQ(EnsureMonthFile(dir_, stack, year, month), RecordStatus::kOk);
  }
  // Writes samples for consecutive seconds from `from`, creating month files as needed;
  // fill(k) gives the sample of second k.
  void Fill(int stack, const SystemTime& from, int64_t seconds,
            const std::function<Sample(int64_t)>& fill) const {
    std::vector<Sample> run;
    int64_t k = 0;
    while (k < seconds) {
      const SystemTime t = FromCivilSeconds(CivilSeconds(from) + k);
      const int64_t monthEnd =
          DaysFromCivil(t.month == 12 ? t.year + 1 : t.year, t.month == 12 ? 1 : t.month + 1, 1) *
          86400;
      const int64_t count = std::min(seconds - k, monthEnd - (CivilSeconds(from) + k));
      run.resize(static_cast<size_t>(count));
      for (int64_t j = 0; j < count; ++j) run[static_cast<size_t>(j)] = fill(k + j);
      Create(stack, t.year, t.month);
      RecordFile file;
      ASSERT_EQ(file.Open(dir_, stack, t.year, t.month, RecordFile::Access::kReadWrite),
                RecordStatus::kOk);
      ASSERT_EQ(file.WriteSamples(record::SlotOf(t.day, t.hour, t.minute, t.second), run),
                RecordStatus::kOk);
      k += count;
    }
  }
  void Put(int stack, const SystemTime& t, Sample s) const {
    Fill(stack, t, 1, [s](int64_t) { return s; });
  }
  // Cuts a month file to `bytes`.
  void Truncate(int stack, int year, int month, uintmax_t bytes) const {
    std::filesystem::resize_file(RecordFilePath(dir_, stack, year, month), bytes);
  }

 private:
  std::string dir_;
};

}  // namespace ws::test
