#include "core/span_summary.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>
#include <vector>

#include "core/span_records.h"

namespace ws {
namespace {

constexpr double kRadians = std::numbers::pi / 180.0;

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
  ForEachSpanRecordChunk(workdir, stackIndex, start, end,
                         [&](const float* directions, const float* speeds, int64_t count) {
                           for (int64_t k = 0; k < count; ++k) builder.Add(directions[k], speeds[k]);
                         });
  return builder.Finish();
}

}  // namespace ws
