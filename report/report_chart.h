// What the report sets on its trend chart: the set-up when the report opens, the
// samples of each search, and the switch between the speed line and the direction
// sticks. The report window and windscope-report share it.
#pragma once

#include "core/report_search.h"

namespace ws {

class CGraphScale;
struct Settings;

inline constexpr int kReportChartId = 10050;
// Speed axis of the two views.
inline constexpr double kLineViewMin = 0.0;
inline constexpr double kVectorViewMin = -70.0;
inline constexpr double kViewMax = 70.0;

// Creates the plot and bars (speed and direction axes 0..60), the pale background
// with bands, the time axis with dates and the SPEED channel in the settings'
// speed meter colour. Call once, before the first search.
void SetUpReportChart(CGraphScale& chart, const Settings& settings);

// The samples of a search: the start and the step on the time axis, speed as
// channel 0 and direction as channel 1 (up to the chart's capacity), the x range
// up to the last speed sample kept, then recomputed and redrawn.
void FillReportChart(CGraphScale& chart, const ReportData& data);

// Empties the chart after a search that found nothing: every sample 0, the x range
// a single sample from `start`, redrawn. The view (line or vector) stays.
void ClearReportChart(CGraphScale& chart, const SystemTime& start);

// The line view (speed axis 0..70) or the vector view (direction sticks, -70..70),
// recomputed and redrawn at once.
void SetReportChartView(CGraphScale& chart, bool vector);

// Index of the last sample the chart keeps for a search of `samples` samples.
int LastChartIndex(size_t samples);

}  // namespace ws
