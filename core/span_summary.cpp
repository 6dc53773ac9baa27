#include "core/span_summary.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "core/record_file.h"
#include "core/record_layout.h"

namespace ws {
namespace {

constexpr double kRadians = std::numbers::pi / 180.0;
constexpr int64_t kChunk = 8192;

}  // namespace

void SpanSummaryBuilder::Add(float direction, float speed) {
  ++seconds_;
  const double d = direction;
  const double s = speed;
  if (!std::isfinite(d) || !std::isfinite(s) || (d == 0.0 && s == 0.0)) {
    run_ = 0;
    return;
  }
  ++covered_;
  sumSpeed_ += s;
  maxSpeed_ = covered_ == 1 ? s : std::max(maxSpeed_, s);
  sumSin_ += std::sin(d * kRadians);
  sumCos_ += std::cos(d * kRadians);
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
                          const SystemTime& end) {
  SpanSummaryBuilder builder;
  int64_t now = CivilSeconds(start);
  const int64_t last = CivilSeconds(end);
  std::vector<Sample> chunk(static_cast<size_t>(kChunk));
  while (now <= last) {
    const SystemTime t = FromCivilSeconds(now);
    const int nextYear = t.month == 12 ? t.year + 1 : t.year;
    const int nextMonth = t.month == 12 ? 1 : t.month + 1;
    const int64_t monthEnd = DaysFromCivil(nextYear, nextMonth, 1) * 86400;
    const int64_t stop = std::min(monthEnd, last + 1);
    RecordFile file;
    const bool open =
        file.Open(workdir, stackIndex, t.year, t.month, RecordFile::Access::kRead) ==
        RecordStatus::kOk;
    int64_t slot = record::SlotOf(t.day, t.hour, t.minute, t.second);
    while (now < stop) {
      const size_t count = static_cast<size_t>(std::min(kChunk, stop - now));
      std::span<Sample> part(chunk.data(), count);
      if (!open || !file.ReadSamples(slot, part)) {
        for (Sample& s : part) s = Sample{};
      }
      for (const Sample& s : part) builder.Add(s.direction, s.speed);
      slot += static_cast<int64_t>(count) * record::kSampleSize;
      now += static_cast<int64_t>(count);
    }
  }
  return builder.Finish();
}

}  // namespace ws
