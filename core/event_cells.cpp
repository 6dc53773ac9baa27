#include "core/event_cells.h"

#include <cmath>

#include "core/alarm_thresholds.h"
#include "core/format_fixed.h"

namespace ws {

std::string_view EventLevelName(int level) {
  switch (level) {
    case kLevelAlarm: return "ALARM";
    case kLevelStop: return "STOP";
    case kLevelTrip: return "TRIP";
    case kLevelNoCommunication: return "NO COMM";
    default: return {};
  }
}

namespace {

std::string ValueText(const StationEvent& e) {
  if (!std::isfinite(e.value)) return {};
  switch (e.kind) {
    // A speed level is raised at a speed; no communication after seconds of silence.
    case EventKind::kAlarmRaised:
      if (e.level >= kLevelAlarm && e.level <= kLevelTrip) return FormatC("%.1f m/s", e.value);
      return FormatC("%.0f s", e.value);
    // How long the alarm was active, the link silent, or the link lost.
    case EventKind::kAlarmReturned:
    case EventKind::kCommunicationRestored:
      return FormatC("%.0f s", e.value);
    case EventKind::kCommunicationLost:
      return e.value > 0.0 ? FormatC("%.0f s", e.value) : std::string();
    default: break;
  }
  if (e.value == 0.0) return {};
  return FormatC("%g", e.value);
}

}  // namespace

std::string EventCellText(const StationEvent& e, int column) {
  switch (column) {
    case kEventColumnTime:
      return FormatC("%04d-%02d-%02d %02d:%02d:%02d", e.local.year, e.local.month, e.local.day,
                     e.local.hour, e.local.minute, e.local.second);
    case kEventColumnStack: return e.stack >= 0 ? FormatC("%d", e.stack + 1) : std::string();
    case kEventColumnKind: return KindName(e.kind);
    case kEventColumnLevel: return std::string(EventLevelName(e.level));
    case kEventColumnValue: return ValueText(e);
    case kEventColumnText: return e.text;
    default: return {};
  }
}

std::optional<ColorRef> EventLevelColour(const StationEvent& e) {
  if (e.kind != EventKind::kAlarmRaised) return std::nullopt;
  switch (e.level) {
    case kLevelAlarm: return 0x00FFFFu;
    case kLevelStop: return 0x4080FFu;
    case kLevelTrip: return 0x0000FFu;
    case kLevelNoCommunication: return 0xC0C0C0u;
    default: return std::nullopt;
  }
}

}  // namespace ws
