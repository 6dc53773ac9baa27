// The report search: reads one stack's one-second records for a span back from its
// month files and turns them into the report's samples (one table row each, plus one
// more for the chart). No windows here: the report dialog and windscope-report share it.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "core/report_span.h"
#include "core/system_time.h"

namespace ws {

// One sample of the report: the second it starts at (CivilSeconds), and the direction
// and speed it shows. With a step above 1 the speed is the largest of its records and
// the direction that of its first record.
struct ReportSample {
  int64_t time = 0;
  float direction = 0.0f;
  float speed = 0.0f;
};

// What a search found: N samples for a span's plan. Sample k (from 0) is table row
// k + 1; the last sample has no table row and is shown by the chart only.
struct ReportData {
  SystemTime start{};
  int64_t step = 1;
  std::vector<ReportSample> samples;

  // Data rows of the table: N - 1 (0 for an empty table).
  int64_t DataRows() const { return samples.empty() ? 0 : static_cast<int64_t>(samples.size()) - 1; }
};

enum class [[nodiscard]] ReportSearchStatus {
  kOk,
  kNegativeSpan,     // end before start: "조회 구간 에러!"
  kNotFound,         // no month file of the span can be opened: "Not Found Data!"
  kInvalidArgument,  // a stack index or a date out of range
};

// Records read at once: 2,400 bytes, 300 records.
inline constexpr int kReportBlockRecords = 300;

// Called before each block is read, with the share of samples done (i * 100 / N).
using ReportProgress = std::function<void(int percent)>;

// Searches stack `stackIndex` (from 0) of `workdir` from `start` to `end`, both
// inclusive. A span above 60 days is searched as start + 60 days (the caller clamps
// first to show the end it gets, see ClampReportSpan). On kOk `out` is replaced; on
// any other status it is left untouched.
//
// Each month file is opened once, positioned once and read sequentially in
// 2,400-byte blocks; bytes beyond the 31 days of a file are never read. The search
// needs one month file of the span (of the months its samples start in) that
// opens; a month without a file, before or after that one, or a file that ends (or
// fails to read) before the records the span needs, gives 0/0 records for the
// seconds it does not hold, as an unrecorded stretch does: the rows stay in place
// with their times, nothing is read past the data the file gave, and no month is
// read twice.
ReportSearchStatus SearchReport(std::string_view workdir, int stackIndex, const SystemTime& start,
                                const SystemTime& end, ReportData& out,
                                const ReportProgress& beforeBlock = {});

}  // namespace ws
