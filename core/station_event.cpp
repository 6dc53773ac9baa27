#include "core/station_event.h"

#include <ctime>

namespace ws {

EventGroup GroupOf(EventKind kind) {
  switch (kind) {
    case EventKind::kAlarmRaised:
    case EventKind::kAlarmAcknowledged:
    case EventKind::kAlarmReturned:
      return EventGroup::kAlarms;
    case EventKind::kCommunicationLost:
    case EventKind::kCommunicationRestored:
      return EventGroup::kCommunication;
    case EventKind::kDumpStarted:
    case EventKind::kDumpEnded:
    case EventKind::kFillHoles:
    case EventKind::kFirmwareStarted:
    case EventKind::kFirmwareEnded:
      return EventGroup::kDumps;
    case EventKind::kConfigurationChanged:
      return EventGroup::kConfiguration;
    case EventKind::kStationStarted:
    case EventKind::kStationEnded:
    case EventKind::kStationEndedUnexpectedly:
    case EventKind::kRecordingState:
    case EventKind::kTestSpeedMode:
    case EventKind::kMessagesDropped:
      break;
  }
  return EventGroup::kStation;
}

const char* KindName(EventKind kind) {
  switch (kind) {
    case EventKind::kStationStarted: return "Station started";
    case EventKind::kStationEnded: return "Station ended";
    case EventKind::kStationEndedUnexpectedly: return "Station ended unexpectedly";
    case EventKind::kAlarmRaised: return "Alarm raised";
    case EventKind::kAlarmAcknowledged: return "Alarm acknowledged";
    case EventKind::kAlarmReturned: return "Returned to normal";
    case EventKind::kCommunicationLost: return "Communication lost";
    case EventKind::kCommunicationRestored: return "Communication restored";
    case EventKind::kDumpStarted: return "Dump started";
    case EventKind::kDumpEnded: return "Dump ended";
    case EventKind::kFillHoles: return "Fill holes";
    case EventKind::kFirmwareStarted: return "Upload started";
    case EventKind::kFirmwareEnded: return "Upload ended";
    case EventKind::kConfigurationChanged: return "Configuration changed";
    case EventKind::kRecordingState: return "Recording";
    case EventKind::kTestSpeedMode: return "Test speed mode";
    case EventKind::kMessagesDropped: return "Messages dropped";
  }
  return "Event";
}

int64_t LocalToUtcMs(const SystemTime& local) {
  std::tm tm{};
  tm.tm_year = local.year - 1900;
  tm.tm_mon = local.month - 1;
  tm.tm_mday = local.day;
  tm.tm_hour = local.hour;
  tm.tm_min = local.minute;
  tm.tm_sec = local.second;
  tm.tm_isdst = -1;  // let the time zone say whether summer time applies
  const std::time_t seconds = std::mktime(&tm);
  return static_cast<int64_t>(seconds) * 1000 + local.milliseconds;
}

}  // namespace ws
