// Two month files of wind for the report benchmarks (March and April 2024 of stack 1,
// every second recorded), made once per process in a temporary directory.
#pragma once

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/record_file.h"
#include "core/record_layout.h"
#include "core/system_time.h"

namespace ws::bench {

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

// 2024-03-01 00:00:00 to 2024-04-30 00:00:00: exactly 60 days in two files.
inline SystemTime SixtyDayStart() { return At(2024, 3, 1); }
inline SystemTime SixtyDayEnd() { return At(2024, 4, 30); }

class ReportFixture {
 public:
  static const ReportFixture& Get() {
    static const ReportFixture fixture;
    return fixture;
  }
  const std::string& dir() const { return dir_; }

 private:
  ReportFixture() {
    char pattern[] = "/tmp/ws-report-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    dir_ = pattern;
    std::vector<Sample> day(86400);
    for (int month = 3; month <= 4; ++month) {
      if (EnsureMonthFile(dir_, 0, 2024, month) != RecordStatus::kOk) std::abort();
      RecordFile file;
      if (file.Open(dir_, 0, 2024, month, RecordFile::Access::kReadWrite) != RecordStatus::kOk) {
        std::abort();
      }
      for (int d = 1; d <= DaysInMonth(2024, month); ++d) {
        for (int s = 0; s < 86400; ++s) {
          const double t = (d * 86400.0 + s) / 3600.0;
          day[static_cast<size_t>(s)] =
              Sample{static_cast<float>(std::fmod(200.0 + 90.0 * std::sin(t / 7.0) + s % 17, 360.0)),
                     static_cast<float>(12.0 + 10.0 * std::sin(t / 3.0) + (s * 7919 % 50) / 10.0)};
        }
        if (file.WriteSamples(record::SlotOf(d, 0, 0, 0), day) != RecordStatus::kOk) std::abort();
      }
    }
  }
  ~ReportFixture() { std::filesystem::remove_all(dir_); }

  std::string dir_;
};

}  // namespace ws::bench
