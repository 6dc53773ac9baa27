#include "core/span_summary.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>
#include <numbers>
#include <vector>

#include "core/record_file.h"
#include "core/record_layout.h"

namespace ws {
namespace {

constexpr double kRadians = std::numbers::pi / 180.0;
constexpr int64_t kChunk = 32768;  // records per read

}  // namespace

void SpanSummaryBuilder::Add(float direction, float speed) {
  ++seconds_;
  levels_.Add(direction, speed);
  const double d = direction;
  const double s = speed;
  if (!std::isfinite(d) || !std::isfinite(s) || (d == 0.0 && s == 0.0)) {
    run_ = 0;
    return;
  }
  ++covered_;
  sumSpeed_ += s;
  maxSpeed_ = covered_ == 1 ? s : std::max(maxSpeed_, s);
  const uint32_t bits = std::bit_cast<uint32_t>(direction);
  Trig& trig = trig_[(bits ^ (bits >> 12)) & (trig_.size() - 1)];
  if (trig.bits != bits) {
    trig.bits = bits;
    trig.sin = std::sin(d * kRadians);
    trig.cos = std::cos(d * kRadians);
  }
  sumSin_ += trig.sin;
  sumCos_ += trig.cos;
  if (run_ >= 2) {
    const double mean = (previous_[0] + previous_[1] + s) / 3.0;
    if (!gust_ || mean > *gust_) gust_ = mean;
  }
  previous_[0] = previous_[1];
  previous_[1] = s;
  run_ = std::min(run_ + 1, 2);
}

SpanSummary SpanSummaryBuilder::Finish() const {
  SpanSummary summary;
  summary.seconds = seconds_;
  summary.covered = covered_;
  summary.levels = levels_.Result();
  if (covered_ == 0) return summary;
  const double n = static_cast<double>(covered_);
  summary.meanSpeed = sumSpeed_ / n;
  summary.maxSpeed = maxSpeed_;
  summary.gust3s = gust_;
  const double sa = sumSin_ / n;
  const double ca = sumCos_ / n;
  double mean = std::atan2(sa, ca) / kRadians;
  if (mean < 0.0) mean += 360.0;
  if (mean >= 360.0) mean -= 360.0;
  summary.meanDirection = mean;
  // Yamartino (1984): epsilon = sqrt(1 - (sa^2 + ca^2)),
  // sigma = asin(epsilon) * (1 + (2 / sqrt(3) - 1) * epsilon^3).
  const double eps = std::sqrt(std::max(0.0, 1.0 - (sa * sa + ca * ca)));
  const double sigma =
      std::asin(std::min(1.0, eps)) * (1.0 + (2.0 / std::sqrt(3.0) - 1.0) * eps * eps * eps);
  summary.directionSd = sigma / kRadians;
  return summary;
}

SpanSummary SummarizeSpan(std::string_view workdir, int stackIndex, const SystemTime& start,
                          const SystemTime& end, const AlarmThresholds& levels) {
  SpanSummaryBuilder builder(levels);
  int64_t now = CivilSeconds(start);
  const int64_t last = CivilSeconds(end);
  std::vector<uint8_t> chunk(static_cast<size_t>(kChunk * record::kSampleSize));
  while (now <= last) {
    const SystemTime t = FromCivilSeconds(now);
    const int nextYear = t.month == 12 ? t.year + 1 : t.year;
    const int nextMonth = t.month == 12 ? 1 : t.month + 1;
    const int64_t monthEnd = DaysFromCivil(nextYear, nextMonth, 1) * 86400;
    const int64_t stop = std::min(monthEnd, last + 1);
    // Large reads: the summary is not bound to the report's block size.
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
          const ssize_t n = ::pread(fd, chunk.data() + got, want - got,
                                    offset + static_cast<int64_t>(got));
          if (n < 0 && errno == EINTR) continue;
          if (n <= 0) break;
          got += static_cast<size_t>(n);
        }
        whole = static_cast<int64_t>(got / record::kSampleSize);
        if (whole < count) {  // the file ends here: the rest of the month is uncovered
          ::close(fd);
          fd = -1;
        }
      }
      for (int64_t k = 0; k < count; ++k) {
        if (k < whole) {
          const Sample s = record::DecodeSample(chunk.data() + k * record::kSampleSize);
          builder.Add(s.direction, s.speed);
        } else {
          builder.Add(0.0f, 0.0f);
        }
      }
      offset += count * record::kSampleSize;
      now += count;
    }
    if (fd >= 0) ::close(fd);
  }
  return builder.Finish();
}

}  // namespace ws
