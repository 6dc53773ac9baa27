#include "fuzz/fuzz_report_search_oracle.h"

#include <algorithm>
#include <bit>

#include "core/system_time.h"
#include "fuzz/fuzz_check.h"

namespace ws::fuzz {
namespace {

using ws::record::kFileSize;
using ws::record::kSampleSize;

bool SameBits(float a, float b) { return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b); }

}  // namespace

uint8_t MonthModel::At(int64_t pos) const {
  if (pos >= offset && pos < offset + static_cast<int64_t>(content.size())) {
    return content[static_cast<size_t>(pos - offset)];
  }
  return 0;
}

ws::Sample MonthModel::Record(int64_t slot) const {
  if (kind == kMissing || kind == kDirectory) return {};
  if (slot + kSampleSize > std::min(size, kFileSize)) return {};
  // Most records lie outside the content: zeros (a sparse stretch).
  if (slot + kSampleSize <= offset || slot >= offset + static_cast<int64_t>(content.size())) return {};
  std::array<uint8_t, kSampleSize> b;
  for (int i = 0; i < kSampleSize; ++i) b[static_cast<size_t>(i)] = At(slot + i);
  return ws::record::DecodeSample(b.data());
}

void VerifySamples(const ws::SystemTime& start, const ws::ReportPlan& plan,
                   const std::array<MonthModel, 4>& months, const ws::ReportData& out) {
  const int64_t t0 = ws::CivilSeconds(start);
  // Where each month begins (and the one after the last ends), in seconds: a
  // second's slot is its distance from its month's beginning.
  std::array<int64_t, 5> monthStart;
  for (size_t k = 0; k < monthStart.size(); ++k) {
    const int index = start.year * 12 + (start.month - 1) + static_cast<int>(k);
    monthStart[k] = ws::DaysFromCivil(index / 12, index % 12 + 1, 1) * 86400;
  }
  auto record = [&](int64_t second) {
    // The search never needs more than the four months a 60-day span touches.
    FUZZ_CHECK(second >= monthStart[0] && second < monthStart[4]);
    size_t k = 0;
    while (second >= monthStart[k + 1]) ++k;
    return months[k].Record((second - monthStart[k]) * kSampleSize);
  };
  for (size_t i = 0; i < out.samples.size(); ++i) {
    const ws::ReportSample& s = out.samples[i];
    const int64_t time = t0 + static_cast<int64_t>(i) * plan.step;
    FUZZ_CHECK(s.time == time);
    if (plan.step == 1) {
      const ws::Sample r = record(time);
      FUZZ_CHECK(SameBits(s.direction, r.direction) && SameBits(s.speed, r.speed));
      continue;
    }
    // The largest speed of the sample's records within its month, the first
    // record's direction.
    size_t k = 0;
    while (k + 1 < monthStart.size() && time >= monthStart[k + 1]) ++k;
    const int64_t monthEnd = monthStart[std::min(k + 1, monthStart.size() - 1)];
    const int64_t records = std::min(plan.step, monthEnd - time);
    float top = 0.0f;
    for (int64_t k = 0; k < records; ++k) {
      const ws::Sample r = record(time + k);
      if (k == 0) FUZZ_CHECK(SameBits(s.direction, r.direction));
      if (r.speed > top) top = r.speed;
    }
    FUZZ_CHECK(SameBits(s.speed, top));
  }
}

}  // namespace ws::fuzz
