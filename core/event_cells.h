// The history window's columns: how one journalled event reads in the table
// (local time, stack, kind, level, value, text), and the level colours of the
// alarm rows. Plain text, formatted in the C locale.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/colour_math.h"
#include "core/station_event.h"

namespace ws {

enum EventColumn : int {
  kEventColumnTime = 0,
  kEventColumnStack,
  kEventColumnKind,
  kEventColumnLevel,
  kEventColumnValue,
  kEventColumnText,
  kEventColumnCount,
};

inline constexpr std::array<std::string_view, kEventColumnCount> kEventHeadings = {
    "Time", "Stack", "Kind", "Level", "Value", "Text"};

// "ALARM", "STOP", "TRIP", "NO COMM", or empty for 0 and anything else.
std::string_view EventLevelName(int level);

// One cell: the local time "YYYY-MM-DD HH:MM:SS"; the stack counted from 1
// (empty for the station's own events); the kind's name; the level's name; the
// value with its unit (a speed "35.5 m/s" for alarms raised and returned, a
// duration "42 s" for a restored link, else the number, empty when 0); the text.
std::string EventCellText(const StationEvent& event, int column);

// The level cell's background for an alarm raised: the report's colours (yellow,
// orange, red) and grey for no communication; empty for every other row (an
// acknowledgement or a return to normal is no call for attention).
std::optional<ColorRef> EventLevelColour(const StationEvent& event);

}  // namespace ws
