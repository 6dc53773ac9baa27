#include "core/wind_rose_statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/format_fixed.h"

namespace ws {
namespace {

int ClampClasses(int classCount) { return std::clamp(classCount, 2, kWindRoseClassSlots); }

double FiniteOrZero(double v) { return std::isfinite(v) ? v : 0.0; }

// The integer part of a label's number, kept within int (NaN gives 0): an Alarm
// level of 1e20 typed in the configuration, or read from a damaged file, would
// otherwise make the conversion undefined.
int LabelInt(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(v, static_cast<double>(std::numeric_limits<int>::min()),
                                     static_cast<double>(std::numeric_limits<int>::max())));
}

}  // namespace

int WindRoseSector(double direction) {
  if (!(direction > 11.25) || direction > 348.75) return 0;
  const int sector = 1 + static_cast<int>((direction - 11.25) / 22.5);
  return std::clamp(sector, 0, kWindRoseSectors - 1);
}

int WindRoseClass(double speed, double alarmLevel, int classCount) {
  const int k = ClampClasses(classCount);
  if (!(speed < alarmLevel)) return k - 1;
  const double width = alarmLevel / (k - 1);
  const double q = speed / width;
  if (!(q >= 0.0)) return 0;
  return static_cast<int>(std::min(q, static_cast<double>(k - 1)));
}

WindRoseStatistics ComputeWindRoseStatistics(const ReportTable& table, double alarmLevel,
                                             int classCount) {
  WindRoseStatistics stats;
  stats.classCount = ClampClasses(classCount);
  const int rows = table.RowCount();
  if (rows < 2) return stats;
  int64_t calm = 0;
  std::array<std::array<int64_t, kWindRoseClassSlots>, kWindRoseSectors> counts{};
  for (int r = 1; r < rows; ++r) {
    const ReportSample& s = table.SampleAt(r);
    const double speed = FiniteOrZero(ShownSpeed(s.speed));
    if (speed < kCalmSpeed) {
      ++calm;
      continue;
    }
    const double direction = FiniteOrZero(ShownDirection(s.direction));
    ++counts[static_cast<size_t>(WindRoseSector(direction))]
            [static_cast<size_t>(WindRoseClass(speed, alarmLevel, stats.classCount))];
  }
  const double total = rows - 1;
  stats.calm = static_cast<double>(calm) / total * 100.0;
  for (size_t j = 0; j < counts.size(); ++j) {
    for (size_t k = 0; k < counts[j].size(); ++k) {
      stats.shares[j][k] = static_cast<double>(counts[j][k]) / total * 100.0;
    }
  }
  return stats;
}

double WindRoseScaleTop(double largestTotal) {
  if (!(largestTotal > 0.0) || !std::isfinite(largestTotal)) return 0.0;
  // Shares are percentages: a total this large cannot come from a table.
  if (largestTotal > 1e9) return largestTotal;
  double top = static_cast<double>(static_cast<int64_t>(11.0 * largestTotal) / 10);
  // At most ten steps: the integer division takes off less than one.
  while (top < largestTotal) top += 0.1;
  return top;
}

std::string WindRoseRingLabel(double scaleTop, int ring) {
  const double v = scaleTop / 6.0 * ring;
  if (scaleTop < 10.0) return FormatC("%3.1f%%", v);
  return FormatC("%d%%", LabelInt(v));
}

std::string WindRoseClassLabel(int speedClass, double alarmLevel, int classCount) {
  const int k = ClampClasses(classCount);
  const double width = alarmLevel / (k - 1);
  if (speedClass >= k - 1) return FormatC("%d~", LabelInt(alarmLevel));
  return FormatC("%d~%d", LabelInt(speedClass * width), LabelInt((speedClass + 1) * width));
}

}  // namespace ws
