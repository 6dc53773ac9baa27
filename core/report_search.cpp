#include "core/report_search.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <utility>
#include <fcntl.h>
#include <unistd.h>

#include "core/record_file.h"
#include "core/record_layout.h"

namespace ws {
namespace {

using record::kSampleSize;

constexpr int kBlockBytes = kReportBlockRecords * kSampleSize;
static_assert(kBlockBytes == 2400);

// Seconds of the first second of the month after the one holding `t`.
int64_t StartOfNextMonth(const SystemTime& t) {
  const int year = t.month == 12 ? t.year + 1 : t.year;
  const int month = t.month == 12 ? 1 : t.month + 1;
  return DaysFromCivil(year, month, 1) * 86400;
}

inline Sample DecodeFast(const uint8_t* in) {
  if constexpr (std::endian::native == std::endian::little) {
    Sample s;
    std::memcpy(&s.direction, in + record::kDirectionOffset, 4);
    std::memcpy(&s.speed, in + record::kSpeedOffset, 4);
    return s;
  } else {
    return record::DecodeSample(in);
  }
}

// One month file read forward from one slot in 2,400-byte blocks. Once the file has
// no more whole records (its end, a read error, or the end of its 31 days) every
// further record is 0/0.
class MonthReader {
 public:
  // fd < 0: a month without a file, all 0/0.
  MonthReader(int fd, int64_t firstSlot, const ReportProgress& beforeBlock,
              const int64_t& samplesDone, int64_t samplesTotal)
      : fd_(fd),
        offset_(firstSlot * kSampleSize),
        beforeBlock_(beforeBlock),
        samplesDone_(samplesDone),
        samplesTotal_(samplesTotal) {
    exhausted_ = fd_ < 0 || ::lseek(fd_, offset_, SEEK_SET) != offset_;
  }
  ~MonthReader() {
    if (fd_ >= 0) ::close(fd_);
  }
  MonthReader(const MonthReader&) = delete;
  MonthReader& operator=(const MonthReader&) = delete;

  Sample Next() {
    if (next_ == count_ && !Refill()) return Sample{};
    return DecodeFast(buffer_.data() + kSampleSize * next_++);
  }

  // Takes `records` records (at least 1): the direction of the first and the largest
  // speed, never below 0, NaN speeds passed over. Records past the data are 0/0.
  void TakeReduced(int64_t records, float& direction, float& speed) {
    const Sample first = Next();
    direction = first.direction;
    float top = first.speed > 0.0f ? first.speed : 0.0f;
    int64_t left = records - 1;
    while (left > 0) {
      if (next_ == count_ && !Refill()) break;  // the rest reads as 0/0
      const int run = static_cast<int>(std::min<int64_t>(left, count_ - next_));
      const uint8_t* p = buffer_.data() + kSampleSize * next_;
      for (int k = 0; k < run; ++k) {
        const float v = DecodeFast(p + kSampleSize * k).speed;
        top = v > top ? v : top;  // false for NaN: passed over
      }
      next_ += run;
      left -= run;
    }
    speed = top;
  }

 private:
  bool Refill() {
    if (exhausted_) return false;
    if (beforeBlock_) beforeBlock_(static_cast<int>(samplesDone_ * 100 / samplesTotal_));
    // Never past the 31 days: an overrun file's extra bytes belong to no month.
    const int64_t left = record::kFileSize - offset_;
    const size_t want = static_cast<size_t>(std::clamp<int64_t>(left, 0, kBlockBytes));
    size_t got = 0;
    while (got < want) {
      const ssize_t n = ::read(fd_, buffer_.data() + got, want - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // end of the file, or an error: no more data from it
      got += static_cast<size_t>(n);
    }
    offset_ += static_cast<int64_t>(got);
    // A trailing part of a record is no record.
    count_ = static_cast<int>(got / kSampleSize);
    next_ = 0;
    if (got < static_cast<size_t>(kBlockBytes)) exhausted_ = true;
    return count_ > 0;
  }

  int fd_;
  int64_t offset_;
  const ReportProgress& beforeBlock_;
  const int64_t& samplesDone_;
  int64_t samplesTotal_;
  bool exhausted_ = false;
  int count_ = 0;
  int next_ = 0;
  std::array<uint8_t, kBlockBytes> buffer_;
};

int OpenMonth(std::string_view workdir, int stackIndex, const SystemTime& t) {
  if (t.year < 1 || t.year > 9999) return -1;
  const std::string path = RecordFilePath(workdir, stackIndex, t.year, t.month);
  if (path.empty()) return -1;
  // A FIFO or device in the file's place reads as a missing month, never blocks.
  return OpenRegularRecordFile(path.c_str(), O_RDONLY);
}

}  // namespace

ReportSearchStatus SearchReport(std::string_view workdir, int stackIndex, const SystemTime& start,
                                const SystemTime& end, ReportData& out,
                                const ReportProgress& beforeBlock) {
  if (stackIndex < 0 || stackIndex >= record::kMaxStacks) {
    return ReportSearchStatus::kInvalidArgument;
  }
  for (const SystemTime* t : {&start, &end}) {
    if (t->year < 1 || t->year > 9999 || !IsValidDate(*t)) {
      return ReportSearchStatus::kInvalidArgument;
    }
  }
  SystemTime last = end;
  ClampReportSpan(start, last);
  const int64_t span = ReportSpanSeconds(start, last);
  if (span < 0) return ReportSearchStatus::kNegativeSpan;

  const ReportPlan plan = PlanReport(span);
  // The search starts at the first month of the span whose file opens: a span
  // that begins before recording began (or in a month whose file was removed)
  // still shows the months that hold data, the months before them reading as
  // 0/0. Only a span none of whose months opens has nothing to show.
  const int64_t lastSampleTime = CivilSeconds(start) + (plan.rows - 1) * plan.step;
  int64_t firstMonth = CivilSeconds(start);
  int firstFd = -1;
  while (firstMonth <= lastSampleTime) {
    firstFd = OpenMonth(workdir, stackIndex, FromCivilSeconds(firstMonth));
    if (firstFd >= 0) break;
    firstMonth = StartOfNextMonth(FromCivilSeconds(firstMonth));
  }
  if (firstFd < 0) return ReportSearchStatus::kNotFound;
  const int64_t firstMonthEnd = StartOfNextMonth(FromCivilSeconds(firstMonth));

  ReportData data;
  data.start = FromCivilSeconds(CivilSeconds(start));
  data.step = plan.step;
  data.samples.resize(static_cast<size_t>(plan.rows));

  const int64_t step = plan.step;
  const int64_t n = plan.rows;
  int64_t i = 0;
  int64_t now = CivilSeconds(start);
  // Later months go on until every sample is read, so the last rows of a span that
  // ends a second or two into a month are filled too.
  while (i < n) {
    const SystemTime t = FromCivilSeconds(now);
    const int64_t monthEnd = StartOfNextMonth(t);
    // Months before the first that opened are not tried again; the first is
    // read from the descriptor already open; later ones are opened in turn.
    int fd = -1;
    if (monthEnd == firstMonthEnd) {
      fd = std::exchange(firstFd, -1);
    } else if (monthEnd > firstMonthEnd) {
      fd = OpenMonth(workdir, stackIndex, t);
    }
    // A month without a file reads as 0/0: its rows keep their times, as an
    // unrecorded stretch would.
    MonthReader reader(fd, record::SlotOf(t.day, t.hour, t.minute, t.second) / kSampleSize,
                       beforeBlock, i, n);
    while (i < n && now < monthEnd) {
      ReportSample& s = data.samples[static_cast<size_t>(i)];
      s.time = now;
      if (step == 1) {
        const Sample r = reader.Next();
        s.direction = r.direction;
        s.speed = r.speed;
      } else {
        // Only the records of this month: a sample reaching into the next month
        // stops at its end, and the next month is read from the next sample's time.
        reader.TakeReduced(std::min(step, monthEnd - now), s.direction, s.speed);
      }
      ++i;
      now += step;
    }
  }
  if (firstFd >= 0) ::close(firstFd);  // never the case: its month holds a sample
  out = std::move(data);
  return ReportSearchStatus::kOk;
}

}  // namespace ws
