// The operations by which the windows change the few settings that are their own
// (the report span, the gauge split ratio): the runtime keeps the live record and
// saves it, so no window writes into it.
#include <cmath>

#include "link/station_runtime.h"

namespace ws {

void StationRuntime::SetReportSpan(const SystemTime& start, const SystemTime& end) {
  m_Settings->reportStart = start;
  m_Settings->reportEnd = end;
  SaveSettings();
}

void StationRuntime::SetSplitRatio(double ratio) {
  if (!std::isfinite(ratio) || ratio <= 0.0 || ratio >= 1.0) return;
  m_Settings->gaugeSplitRatio = ratio;
  SaveSettings();
}

}  // namespace ws
