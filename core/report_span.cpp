#include "core/report_span.h"

namespace ws {

int64_t ReportSpanSeconds(const SystemTime& start, const SystemTime& end) {
  return CivilSeconds(end) - CivilSeconds(start);
}

bool ClampReportSpan(const SystemTime& start, SystemTime& end) {
  if (ReportSpanSeconds(start, end) <= kMaxReportSpanSeconds) return false;
  end = FromCivilSeconds(CivilSeconds(start) + kMaxReportSpanSeconds);
  return true;
}

ReportPlan PlanReport(int64_t spanSeconds) {
  ReportPlan plan;
  plan.rows = spanSeconds + 2;
  plan.step = 1;
  if (plan.rows >= kReportStepSamples) {
    // Both integer divisions, in this order: N stays below 2 * 86400 for a step of 1.
    plan.step = plan.rows / kReportStepSamples;
    plan.rows = plan.rows / plan.step;
  }
  return plan;
}

bool RepairReportSpan(SystemTime& start, SystemTime& end, const SystemTime& now) {
  const auto usable = [](const SystemTime& t) { return t.year >= 1 && t.year <= 9999 && IsValidDate(t); };
  if (usable(start) && usable(end)) return false;
  start = now;
  end = now;
  return true;
}

}  // namespace ws
