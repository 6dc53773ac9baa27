// The report's CSV export, "Report.csv" in the working directory: two heading lines
// naming the stack and the span, an empty line, the header row and one line per data
// row, every cell followed by ",", CRLF line ends, no quoting.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/report_table.h"
#include "core/system_time.h"

namespace ws {

inline constexpr char kReportCsvFileName[] = "Report.csv";

// "<workdir>/Report.csv".
std::string ReportCsvPath(std::string_view workdir);

// Lines 1 to 3: "STACK : %d", then the start's date and time, " ~ " and the end's
// time of day only (the end date is not written), then an empty line; CRLF each.
std::string ReportCsvHeading(int stackIndex, const SystemTime& start, const SystemTime& end);

struct [[nodiscard]] CsvWriteResult {
  enum class Status { kOk, kOpenFailed, kWriteFailed };
  Status status = Status::kOk;
  int error = 0;  // errno of the failure
  bool ok() const { return status == Status::kOk; }
  // "ok", or what failed and the system's text for the error.
  std::string ToString() const;
};

// Called after each data row with 100 * r / RowCount() when that share changes.
using CsvProgress = std::function<void(int percent)>;

// Writes the table with its heading to `path`, replacing the file. A file that
// cannot be opened is left as it is and nothing is written; a failed write or close
// is reported (the file may then hold part of the export).
CsvWriteResult WriteReportCsv(const std::string& path, int stackIndex, const SystemTime& start,
                              const SystemTime& end, const ReportTable& table,
                              const CsvProgress& progress = {});

}  // namespace ws
