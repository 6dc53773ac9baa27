// The report span: how far apart start and end are, the 60-day limit, and how many
// samples of how many seconds each a span is shown as.
#pragma once

#include <cstdint>

#include "core/system_time.h"

namespace ws {

// The longest span a report covers: 60 days.
inline constexpr int64_t kMaxReportSpanSeconds = int64_t{60} * 86400;
static_assert(kMaxReportSpanSeconds == 5184000);
// Samples per day at which longer spans start to be reduced.
inline constexpr int64_t kReportStepSamples = 86400;

// End minus start in whole seconds, both read as local wall-clock times
// (milliseconds ignored). 64-bit, so no pair of dates overflows.
int64_t ReportSpanSeconds(const SystemTime& start, const SystemTime& end);

// Clamps a span above 60 days: end becomes start + 60 days on the local calendar.
// Returns true when end was changed.
bool ClampReportSpan(const SystemTime& start, SystemTime& end);

// N and step of a span (0 or more seconds). N counts the table's header row too, so
// the table holds N - 1 data rows and the chart N samples; every sample stands for
// `step` one-second records.
struct ReportPlan {
  int64_t rows = 2;  // N
  int64_t step = 1;
};
ReportPlan PlanReport(int64_t spanSeconds);

// A stored span that cannot be used (a field out of its calendar range, as a
// damaged configuration file can hold) is replaced by `now` for both ends.
// Returns true when it was replaced.
bool RepairReportSpan(SystemTime& start, SystemTime& end, const SystemTime& now);

}  // namespace ws
