// The pictures windscope-report renders: the wind rose and the chart, headless.
#pragma once

#include <string>

#include "core/report_table.h"
#include "core/settings.h"
#include "core/wind_rose_statistics.h"

namespace ws {

// Sizes of the pictures in pixels.
inline constexpr int kRoseImageWidth = 480;
inline constexpr int kRoseImageHeight = 520;
inline constexpr int kChartImageWidth = 1200;
inline constexpr int kChartImageHeight = 420;

// Both need a QApplication. False when the file cannot be written.
bool SaveWindRosePng(const std::string& path, const WindRoseStatistics& stats,
                     const Settings& settings);
// The chart as the report shows it: the speed line, or direction sticks (vector).
bool SaveChartPng(const std::string& path, const ReportTable& table, const Settings& settings,
                  bool vector);

}  // namespace ws
