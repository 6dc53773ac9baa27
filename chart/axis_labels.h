// Text rules of the scale bars: numeric labels, date-time labels of the time bar
// and the reading back of a limit typed into the limit editor.
#pragma once

#include <QString>

#include <optional>

#include "core/system_time.h"

namespace ws {

// The numeric label: FormatFixed with decimals clamped into 0..5 (stored back);
// a text that reads as zero loses its minus sign to a blank of the same width.
QString FormatAxisNumber(int& decimals, double value);

// What a time label needs to know of its bar.
struct TimeAxis {
  bool dateLabels = false;  // calendar labels from startTime; otherwise plain seconds
  SystemTime startTime;     // local time of sample 0
  double multiplier = 1.0;  // seconds per sample
  double minimum = 0.0;     // the bar's range in samples
  double maximum = 100.0;
};

// The label of `value` (seconds from the start time). With date labels the form
// depends on the span K = (maximum - minimum) / multiplier: "3.07 14" for a day or
// more, else "3.7 14" at the first and last labels and "14:05:09" (K < 144) or
// "7 14:05" between them.
QString FormatTimeLabel(const TimeAxis& axis, double value);

// A limit typed into the editor. On the time bar "h:mm:ss", "m:ss", "h.mm.ss" and
// "m.ss" are read as seconds; anything else, and every text on a value bar, as a
// decimal number. Empty when the text is not a finite number.
std::optional<double> ParseLimitText(const QString& text, bool timeAxis);

}  // namespace ws
