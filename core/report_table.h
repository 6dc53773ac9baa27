// The report table: six columns over the samples of a search, each cell's text made
// when asked for (the table reaches 172,798 rows), the remark of every row and the
// values its direction and speed cells read back as.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/alarm_thresholds.h"
#include "core/report_search.h"

namespace ws {

inline constexpr int kReportColumns = 6;
enum ReportColumn : int {
  kColumnNumber = 0,
  kColumnDate = 1,
  kColumnDirection = 2,
  kColumnCompass = 3,
  kColumnSpeed = 4,
  kColumnRemark = 5,
};
inline constexpr std::array<std::string_view, kReportColumns> kReportHeadings = {
    "No", "Date", "Direction", "Direction", "Speed", "Remark"};
inline constexpr std::array<int, kReportColumns> kReportColumnWidths = {50, 160, 60, 60, 60, 80};
// Background of the ordinary cells (COLORREF, light yellow).
inline constexpr uint32_t kReportCellColour = 0xE0FFFF;

enum class Remark { kNone, kAlarm, kStop, kTrip };

// The remark of a speed as stored: strictly above trip, stop, alarm (first match);
// a speed equal to a level does not reach it, and NaN reaches none.
Remark RemarkOf(float speed, const AlarmThresholds& levels);
std::string_view RemarkText(Remark remark);  // "TRIP", "STOP", "ALARM" or empty
// Background of the speed cell for a remark (COLORREF); nothing for kNone.
std::optional<uint32_t> RemarkColour(Remark remark);

// "%1.0f" and "%3.1f" in the C locale, exactly as printf writes them (the table's
// direction and speed cells). Appended to out; returns the characters written.
size_t AppendDirectionText(double direction, std::string& out);
size_t AppendSpeedText(double speed, std::string& out);
// "%d.%02d.%02d %02d:%02d:%02d" of a CivilSeconds time.
void AppendTimeLabel(int64_t time, std::string& out);

// The number a direction or speed cell's text converts back to (the standard
// decimal conversion of the text): whole degrees, and speeds to 0.1. Computed
// without the text; non-finite values stay non-finite.
double ShownDirection(float direction);
double ShownSpeed(float speed);

class ReportTable {
 public:
  ReportTable() = default;

  // Replaces the content; the levels judge the remarks.
  void Assign(ReportData data, const AlarmThresholds& levels);
  // Back to the header row alone.
  void Clear();

  // Rows including the header: N, or 1 for an empty table.
  int RowCount() const { return static_cast<int>(data_.DataRows()) + 1; }
  int ColumnCount() const { return kReportColumns; }
  int64_t DataRows() const { return data_.DataRows(); }

  // A cell's text; row 0 is the header. Outside the table: empty.
  std::string CellText(int row, int column) const;
  // Appends the text of a cell (faster for whole rows).
  void AppendCellText(int row, int column, std::string& out) const;
  Remark RemarkAt(int row) const;

  // The sample of a data row (row 1..RowCount()-1).
  const ReportSample& SampleAt(int row) const { return data_.samples[static_cast<size_t>(row - 1)]; }
  const ReportData& data() const { return data_; }
  const AlarmThresholds& levels() const { return levels_; }

 private:
  ReportData data_;
  AlarmThresholds levels_;
};

}  // namespace ws
