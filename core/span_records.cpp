#include "core/span_records.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/record_file.h"
#include "core/record_layout.h"

namespace ws {
namespace {

constexpr int64_t kChunk = 32768;  // records per read

}  // namespace

void ForEachSpanRecordChunk(std::string_view workdir, int stackIndex, const SystemTime& start,
                            const SystemTime& end, const SpanChunkFn& chunk) {
  int64_t now = CivilSeconds(start);
  const int64_t last = CivilSeconds(end);
  std::vector<uint8_t> bytes(static_cast<size_t>(kChunk * record::kSampleSize));
  std::vector<float> directions(static_cast<size_t>(kChunk));
  std::vector<float> speeds(static_cast<size_t>(kChunk));
  while (now <= last) {
    const SystemTime t = FromCivilSeconds(now);
    const int nextYear = t.month == 12 ? t.year + 1 : t.year;
    const int nextMonth = t.month == 12 ? 1 : t.month + 1;
    const int64_t monthEnd = DaysFromCivil(nextYear, nextMonth, 1) * 86400;
    const int64_t stop = std::min(monthEnd, last + 1);
    const std::string path = t.year >= 1 && t.year <= 9999
                                 ? RecordFilePath(workdir, stackIndex, t.year, t.month)
                                 : std::string();
    // Anything but a regular file reads as a missing month (and never blocks).
    int fd = path.empty() ? -1 : OpenRegularRecordFile(path.c_str(), O_RDONLY);
    int64_t offset = record::SlotOf(t.day, t.hour, t.minute, t.second);
    while (now < stop) {
      const int64_t count = std::min(kChunk, stop - now);
      int64_t whole = 0;
      if (fd >= 0) {
        const size_t want = static_cast<size_t>(count * record::kSampleSize);
        size_t got = 0;
        while (got < want) {
          const ssize_t n = ::pread(fd, bytes.data() + got, want - got,
                                    offset + static_cast<int64_t>(got));
          if (n < 0 && errno == EINTR) continue;
          if (n <= 0) break;
          got += static_cast<size_t>(n);
        }
        whole = static_cast<int64_t>(got / record::kSampleSize);
        if (whole < count) {  // the file ends here: the rest of the month is unrecorded
          ::close(fd);
          fd = -1;
        }
      }
      for (int64_t k = 0; k < count; ++k) {
        if (k < whole) {
          const Sample s = record::DecodeSample(bytes.data() + k * record::kSampleSize);
          directions[static_cast<size_t>(k)] = s.direction;
          speeds[static_cast<size_t>(k)] = s.speed;
        } else {
          directions[static_cast<size_t>(k)] = 0.0f;
          speeds[static_cast<size_t>(k)] = 0.0f;
        }
      }
      chunk(directions.data(), speeds.data(), count);
      offset += count * record::kSampleSize;
      now += count;
    }
    if (fd >= 0) ::close(fd);
  }
}

}  // namespace ws
