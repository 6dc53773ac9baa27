// Fuzzes the wind-rose statistics over arbitrary report tables: any direction and
// speed values (NaN, infinities, negative, huge) as the table's cells show them,
// any Alarm level and class count. The statistics must count each row exactly as
// its direction and speed cells read back as numbers (a cell that gives no finite
// number counts as 0), the shares must add up with the calm share to 100 %, and
// the scale and the ring and class labels must come out for whatever the table
// and the configuration hold.
//
// Input layout:
//   8 bytes   the Alarm level (a double, little-endian)
//   1 byte    the class count, as a signed byte
//   1 byte    the base every sector gets when drawn (0..25.5 %)
//   then 8 bytes per table row: direction and speed (floats, little-endian)
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/alarm_thresholds.h"
#include "core/report_search.h"
#include "core/report_table.h"
#include "core/wind_rose_statistics.h"
#include "fuzz/fuzz_check.h"

namespace {

double ReadDouble(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= uint64_t{p[i]} << (8 * i);
  return std::bit_cast<double>(bits);
}

float ReadFloat(const uint8_t* p) {
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits |= uint32_t{p[i]} << (8 * i);
  return std::bit_cast<float>(bits);
}

// What a cell's text converts back to, as the station's own conversion reads it
// (the C locale's strtod); 0 when that is no finite number.
double CellNumber(const ws::ReportTable& table, int row, int column) {
  const std::string text = table.CellText(row, column);
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  return std::isfinite(v) ? v : 0.0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 10) return 0;
  const double alarmLevel = ReadDouble(data);
  const int classCount = static_cast<int8_t>(data[8]);
  const double base = data[9] / 10.0;
  data += 10;
  size -= 10;

  ws::ReportData report;
  report.step = 1;
  report.start.year = 2026;
  report.start.month = 3;
  report.start.day = 1;
  const int64_t t0 = ws::CivilSeconds(report.start);
  const size_t rows = size / 8;
  report.samples.resize(rows);
  for (size_t i = 0; i < rows; ++i) {
    report.samples[i] = {t0 + static_cast<int64_t>(i), ReadFloat(data + 8 * i), ReadFloat(data + 8 * i + 4)};
  }
  ws::AlarmThresholds levels;
  levels.alarm = alarmLevel;
  ws::ReportTable table;
  table.Assign(std::move(report), levels);

  const ws::WindRoseStatistics stats = ws::ComputeWindRoseStatistics(table, alarmLevel, classCount);
  const int k = stats.classCount;
  FUZZ_CHECK(k == std::clamp(classCount, 2, ws::kWindRoseClassSlots));

  // The same counts from the cell texts themselves.
  const int64_t dataRows = table.DataRows();
  int64_t calm = 0;
  std::array<std::array<int64_t, ws::kWindRoseClassSlots>, ws::kWindRoseSectors> counts{};
  for (int r = 1; r <= dataRows; ++r) {
    const double speed = CellNumber(table, r, ws::kColumnSpeed);
    if (speed < ws::kCalmSpeed) {
      ++calm;
      continue;
    }
    const double direction = CellNumber(table, r, ws::kColumnDirection);
    const int sector = ws::WindRoseSector(direction);
    const int cls = ws::WindRoseClass(speed, alarmLevel, k);
    FUZZ_CHECK(sector >= 0 && sector < ws::kWindRoseSectors);
    FUZZ_CHECK(cls >= 0 && cls < k);
    ++counts[static_cast<size_t>(sector)][static_cast<size_t>(cls)];
    (void)table.CellText(r, ws::kColumnCompass);
    (void)table.CellText(r, ws::kColumnRemark);
  }

  double sum = stats.calm;
  double largest = 0.0;
  for (size_t s = 0; s < counts.size(); ++s) {
    double sector = base;
    for (size_t c = 0; c < counts[s].size(); ++c) {
      const double share = stats.shares[s][c];
      FUZZ_CHECK(std::isfinite(share) && share >= 0.0 && share <= 100.0);
      if (c >= static_cast<size_t>(k)) FUZZ_CHECK(share == 0.0);
      if (dataRows > 0) {
        FUZZ_CHECK(share == static_cast<double>(counts[s][c]) / static_cast<double>(dataRows) * 100.0);
      }
      sum += share;
      sector += share;
    }
    largest = std::max(largest, sector);
  }
  if (dataRows > 0) {
    FUZZ_CHECK(stats.calm == static_cast<double>(calm) / static_cast<double>(dataRows) * 100.0);
    FUZZ_CHECK(std::fabs(sum - 100.0) < 1e-6);
  } else {
    FUZZ_CHECK(sum == 0.0);
  }

  // The drawing's scale and labels, for whatever the table and settings hold.
  const double top = ws::WindRoseScaleTop(largest);
  FUZZ_CHECK(std::isfinite(top) && top >= largest);
  for (int ring = 0; ring <= 6; ++ring) FUZZ_CHECK(!ws::WindRoseRingLabel(top, ring).empty());
  for (int c = 0; c < k; ++c) FUZZ_CHECK(!ws::WindRoseClassLabel(c, alarmLevel, classCount).empty());
  return 0;
}
