// Fuzzes the report search over damaged and short month files: for any span (up
// to past the 60-day limit, or negative) and any set of month files (missing,
// short, ending inside a record, sparse at full size, overrun, a directory in a
// file's place, any bytes at any place) the search returns exactly the samples
// that the files hold: each compared with what a plain reading of the same bytes
// gives, missing records as 0/0, and the progress it reports only grows.
//
// Input layout (tests/fuzz/make_seeds.py writes seeds in it):
//   byte 0     start month 1..12 (mod 12), bit 7: the year 2025 instead of 2026
//   bytes 1-4  start day (mod the month's days), hour (mod 24), minute, second (mod 60)
//   byte 5     span magnitude e: the span is the next 3 bytes (little-endian) modulo 2^e
//              (e mod 24); bit 7: the end lies before the start by that much
//   bytes 6-8  the span
//   then, for each of the four months a span can touch (the start's month and the
//   three after it: 31 January + 60 days is 1 April):
//     1 byte   kind (mod 7): 0 missing, 1 short, 2 ends at an offset, 3 full size,
//              4 overrun size, 5 a directory, 6 size not a multiple of 8
//     3 bytes  where the content lies, as a signed offset in records from the
//              start's slot (kinds 2..4, 6) or from the file's start (kind 1)
//     2 bytes  content length L (mod 4096), then L bytes of content (what is left
//              when the input is shorter)
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/record_file.h"
#include "core/record_layout.h"
#include "core/report_search.h"
#include "core/report_span.h"
#include "core/system_time.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_report_search_oracle.h"

namespace {

using ws::fuzz::MonthModel;
using ws::record::kFileSize;
using ws::record::kSampleSize;

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint32_t Bytes(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= uint32_t{Byte()} << (8 * i);
    return v;
  }
  std::vector<uint8_t> Take(size_t n) {
    n = std::min(n, size_ - pos_);
    std::vector<uint8_t> out(data_ + pos_, data_ + pos_ + n);
    pos_ += n;
    return out;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

const std::string& ScratchDirectory() {
  static const std::string dir = [] {
    std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    if (const char* t = std::getenv("TMPDIR"); t != nullptr && *t != '\0') base = t;
    std::string pattern = base + "/ws-fuzz-report-XXXXXX";
    FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
    return pattern;
  }();
  // Registered after `dir` is made, so it runs before `dir` is destroyed.
  static const bool cleanup = [] {
    std::atexit([] { std::filesystem::remove_all(ScratchDirectory()); });
    return true;
  }();
  (void)cleanup;
  return dir;
}

void MakeMonth(const std::string& dir, const MonthModel& m) {
  const std::string path = ws::RecordFilePath(dir, 0, m.year, m.month);
  std::filesystem::remove_all(path);
  if (m.kind == MonthModel::kMissing) return;
  if (m.kind == MonthModel::kDirectory) {
    FUZZ_CHECK(::mkdir(path.c_str(), 0755) == 0);
    return;
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  FUZZ_CHECK(fd >= 0);
  FUZZ_CHECK(::ftruncate(fd, m.size) == 0);
  const int64_t end = std::min<int64_t>(m.offset + static_cast<int64_t>(m.content.size()), m.size);
  if (end > m.offset) {
    const auto n = static_cast<size_t>(end - m.offset);
    FUZZ_CHECK(::pwrite(fd, m.content.data(), n, m.offset) == static_cast<ssize_t>(n));
  }
  ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const std::string& dir = ScratchDirectory();
  std::filesystem::create_directories(ws::StackDirectoryPath(dir, 0));

  const uint8_t m = in.Byte();
  ws::SystemTime start;
  start.year = (m & 0x80) ? 2025 : 2026;
  start.month = static_cast<uint16_t>(m % 12 + 1);
  start.day = static_cast<uint16_t>(in.Byte() % ws::DaysInMonth(start.year, start.month) + 1);
  start.hour = static_cast<uint16_t>(in.Byte() % 24);
  start.minute = static_cast<uint16_t>(in.Byte() % 60);
  start.second = static_cast<uint16_t>(in.Byte() % 60);
  start = ws::FromCivilSeconds(ws::CivilSeconds(start));
  const uint8_t e = in.Byte();
  const int64_t span = static_cast<int64_t>(in.Bytes(3) & ((uint32_t{1} << (e & 0x7F) % 24) - 1));
  const int64_t signedSpan = (e & 0x80) ? -span : span;
  const ws::SystemTime end = ws::FromCivilSeconds(ws::CivilSeconds(start) + signedSpan);
  const int64_t startSlot = ws::record::SlotOf(start.day, start.hour, start.minute, start.second);

  std::array<MonthModel, 4> months;
  for (size_t k = 0; k < months.size(); ++k) {
    MonthModel& mm = months[k];
    const int index = start.year * 12 + (start.month - 1) + static_cast<int>(k);
    mm.year = index / 12;
    mm.month = index % 12 + 1;
    mm.kind = static_cast<MonthModel::Kind>(in.Byte() % 7);
    const int32_t place = static_cast<int32_t>(in.Bytes(3) << 8) >> 8;  // signed 24 bits
    const size_t length = in.Bytes(2) % 4096;
    mm.content = in.Take(length);
    const int64_t near = std::clamp<int64_t>(startSlot + int64_t{place} * kSampleSize, 0, kFileSize);
    switch (mm.kind) {
      case MonthModel::kMissing:
      case MonthModel::kDirectory:
        break;
      case MonthModel::kShort:
        mm.offset = std::clamp<int64_t>(int64_t{place} * kSampleSize, 0, 65536);
        mm.size = mm.offset + static_cast<int64_t>(mm.content.size());
        break;
      case MonthModel::kEndsAt:
        mm.offset = near;
        mm.size = near + static_cast<int64_t>(mm.content.size());
        break;
      case MonthModel::kFull:
        mm.offset = near;
        mm.size = kFileSize;
        break;
      case MonthModel::kOverrun:
        mm.offset = near;
        mm.size = ws::record::kOverrunFileSize;
        break;
      case MonthModel::kPartial:
        mm.offset = near;
        mm.size = near + static_cast<int64_t>(mm.content.size()) + 1 + place % 7;
        mm.size -= mm.size % kSampleSize == 0 ? 3 : 0;
        mm.size = std::max<int64_t>(mm.size, 1);
        break;
    }
    MakeMonth(dir, mm);
  }

  ws::ReportData out;
  out.step = -7;  // must stay untouched unless the search succeeds
  int lastPercent = -1;
  const ws::ReportSearchStatus status =
      ws::SearchReport(dir, 0, start, end, out, [&](int percent) {
        FUZZ_CHECK(percent >= 0 && percent <= 100);
        FUZZ_CHECK(percent >= lastPercent);
        lastPercent = percent;
      });

  if (signedSpan < 0) {
    FUZZ_CHECK(status == ws::ReportSearchStatus::kNegativeSpan);
    return 0;
  }
  const int64_t clamped = std::min(span, ws::kMaxReportSpanSeconds);
  const ws::ReportPlan plan = ws::PlanReport(clamped);
  // The months the samples start in: one regular file among them is enough for a
  // search; with none there is nothing to show. A directory in a file's place
  // reads as no data either way, so it may count as either.
  const ws::SystemTime lastSample =
      ws::FromCivilSeconds(ws::CivilSeconds(start) + (plan.rows - 1) * plan.step);
  const int touched = (lastSample.year * 12 + lastSample.month) - (start.year * 12 + start.month) + 1;
  FUZZ_CHECK(touched >= 1 && touched <= static_cast<int>(months.size()));
  bool anyFile = false;
  bool anyDirectory = false;
  for (int k = 0; k < touched; ++k) {
    anyFile |= months[static_cast<size_t>(k)].kind != MonthModel::kMissing &&
               months[static_cast<size_t>(k)].kind != MonthModel::kDirectory;
    anyDirectory |= months[static_cast<size_t>(k)].kind == MonthModel::kDirectory;
  }
  if (!anyFile && (!anyDirectory || status == ws::ReportSearchStatus::kNotFound)) {
    FUZZ_CHECK(status == ws::ReportSearchStatus::kNotFound);
    FUZZ_CHECK(out.step == -7 && out.samples.empty());
    return 0;
  }
  FUZZ_CHECK(status == ws::ReportSearchStatus::kOk);

  FUZZ_CHECK(out.step == plan.step);
  FUZZ_CHECK(static_cast<int64_t>(out.samples.size()) == plan.rows);
  FUZZ_CHECK(out.start == start);

  ws::fuzz::VerifySamples(start, plan, months, out);
  return 0;
}
