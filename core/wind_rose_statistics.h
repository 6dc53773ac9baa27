// Wind-rose statistics of a report table: the share of calm rows and, per direction
// sector and speed class, the share of rows; and the scale the rose is drawn to.
#pragma once

#include <array>
#include <string>

#include "core/report_table.h"

namespace ws {

inline constexpr int kWindRoseSectors = 16;    // sector 0 north, clockwise by 22.5 degrees
inline constexpr int kWindRoseClassSlots = 10;  // room per sector; the first classCount used
inline constexpr int kReportRoseClasses = 6;    // what the report uses
inline constexpr double kCalmSpeed = 0.6;       // speeds below it are calm

struct WindRoseStatistics {
  int classCount = kReportRoseClasses;
  double calm = 0.0;  // percent of the data rows
  // shares[sector][class]: percent of the data rows, calm rows counted in the total.
  std::array<std::array<double, kWindRoseClassSlots>, kWindRoseSectors> shares{};
};

// The sector of a direction in whole degrees: 0 at most 11.25 or above 348.75,
// otherwise 1 + (direction - 11.25) / 22.5; always within 0..15.
int WindRoseSector(double direction);
// The class of a (not calm) speed against the Alarm level A with K classes: classes
// 0..K-2 are A / (K - 1) wide, K - 1 holds A and above. Always within 0..K-1;
// K is taken within 2..10.
int WindRoseClass(double speed, double alarmLevel, int classCount);

// Counts the rows of a table as their direction and speed cells read (a cell that
// gives no finite number counts as 0). A table without data rows gives all zeros.
WindRoseStatistics ComputeWindRoseStatistics(const ReportTable& table, double alarmLevel,
                                             int classCount = kReportRoseClasses);

// The scale top S for the largest sector total m (a sector's total is its shares
// plus the base the rose adds): 0 when m <= 0, else (integer part of 11 m) / 10 by
// integer division, raised by 0.1 while below m.
double WindRoseScaleTop(double largestTotal);
// The label of ring i (0..6) for scale top S: "%3.1f%%" of S / 6 * i below 10,
// "%d%%" of its integer part from 10 on.
std::string WindRoseRingLabel(double scaleTop, int ring);
// The label of speed class k: "%d~%d" of the integer parts of its bounds, "%d~" for
// the last class.
std::string WindRoseClassLabel(int speedClass, double alarmLevel, int classCount);

}  // namespace ws
