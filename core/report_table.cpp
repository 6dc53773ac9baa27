#include "core/report_table.h"

#include <cmath>
#include <cstdio>

#include "core/compass.h"
#include "core/format_fixed.h"

namespace ws {
namespace {

// Writes the decimal digits of v (>= 0).
void AppendUnsigned(uint64_t v, std::string& out) {
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n > 0) out.push_back(digits[--n]);
}

void AppendTwoDigits(int v, std::string& out) {
  if (v < 0 || v > 99) {
    out += FormatC("%02d", v);
    return;
  }
  out.push_back(static_cast<char>('0' + v / 10));
  out.push_back(static_cast<char>('0' + v % 10));
}

// Values beyond this go through printf itself; below it the scaled value is an exact
// integer in a double and in an int64.
constexpr double kFastLimit = 1e15;

}  // namespace

Remark RemarkOf(float speed, const AlarmThresholds& levels) {
  const double s = speed;
  if (s > levels.trip) return Remark::kTrip;
  if (s > levels.stop) return Remark::kStop;
  if (s > levels.alarm) return Remark::kAlarm;
  return Remark::kNone;
}

std::string_view RemarkText(Remark remark) {
  switch (remark) {
    case Remark::kTrip: return "TRIP";
    case Remark::kStop: return "STOP";
    case Remark::kAlarm: return "ALARM";
    case Remark::kNone: break;
  }
  return {};
}

std::optional<uint32_t> RemarkColour(Remark remark) {
  switch (remark) {
    case Remark::kTrip: return 0x0000FF;
    case Remark::kStop: return 0x4080FF;
    case Remark::kAlarm: return 0x00FFFF;
    case Remark::kNone: break;
  }
  return std::nullopt;
}

// printf rounds the exact binary value to nearest, ties to even; so does nearbyint
// in the default rounding mode. A float times 10 is exact in a double (24 + 4 bits),
// so the one-decimal case rounds the true value too.
size_t AppendDirectionText(double direction, std::string& out) {
  const size_t before = out.size();
  if (!std::isfinite(direction) || std::fabs(direction) >= kFastLimit) {
    out += FormatC("%1.0f", direction);
  } else {
    const double r = std::nearbyint(direction);
    if (std::signbit(r)) out.push_back('-');
    AppendUnsigned(static_cast<uint64_t>(std::fabs(r)), out);
  }
  return out.size() - before;
}

size_t AppendSpeedText(double speed, std::string& out) {
  const size_t before = out.size();
  if (!std::isfinite(speed) || std::fabs(speed) >= kFastLimit) {
    out += FormatC("%3.1f", speed);
  } else {
    const double r = std::nearbyint(speed * 10.0);
    if (std::signbit(r)) out.push_back('-');
    const auto tenths = static_cast<uint64_t>(std::fabs(r));
    AppendUnsigned(tenths / 10, out);
    out.push_back('.');
    out.push_back(static_cast<char>('0' + tenths % 10));
  }
  return out.size() - before;
}

void AppendTimeLabel(int64_t time, std::string& out) {
  const SystemTime t = FromCivilSeconds(time);
  AppendUnsigned(t.year, out);
  out.push_back('.');
  AppendTwoDigits(t.month, out);
  out.push_back('.');
  AppendTwoDigits(t.day, out);
  out.push_back(' ');
  AppendTwoDigits(t.hour, out);
  out.push_back(':');
  AppendTwoDigits(t.minute, out);
  out.push_back(':');
  AppendTwoDigits(t.second, out);
}

double ShownDirection(float direction) {
  const double d = direction;
  return std::isfinite(d) ? std::nearbyint(d) : d;
}

double ShownSpeed(float speed) {
  const double s = speed;
  // k / 10.0 is the double nearest to k tenths, which is what the text converts to.
  return std::isfinite(s) ? std::nearbyint(s * 10.0) / 10.0 : s;
}

void ReportTable::Assign(ReportData data, const AlarmThresholds& levels) {
  data_ = std::move(data);
  levels_ = levels;
}

void ReportTable::Clear() {
  data_.samples.clear();
  data_.step = 1;
}

std::string ReportTable::CellText(int row, int column) const {
  std::string text;
  AppendCellText(row, column, text);
  return text;
}

void ReportTable::AppendCellText(int row, int column, std::string& out) const {
  if (row < 0 || row >= RowCount() || column < 0 || column >= kReportColumns) return;
  if (row == 0) {
    out += kReportHeadings[static_cast<size_t>(column)];
    return;
  }
  const ReportSample& s = SampleAt(row);
  switch (column) {
    case kColumnNumber: AppendUnsigned(static_cast<uint64_t>(row), out); break;
    case kColumnDate: AppendTimeLabel(s.time, out); break;
    case kColumnDirection: AppendDirectionText(s.direction, out); break;
    case kColumnCompass: out += CompassName(s.direction); break;
    case kColumnSpeed: AppendSpeedText(s.speed, out); break;
    case kColumnRemark: out += RemarkText(RemarkOf(s.speed, levels_)); break;
    default: break;
  }
}

Remark ReportTable::RemarkAt(int row) const {
  if (row < 1 || row >= RowCount()) return Remark::kNone;
  return RemarkOf(SampleAt(row).speed, levels_);
}

}  // namespace ws
