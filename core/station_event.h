// What the station journals: one event of its operation (a start or end, an
// alarm raised, acknowledged or returned to normal, a link lost or restored, a
// dump, an upload, a configuration change, a recording state change). The
// runtime hands each event to its event sinks: the journal and any publisher.
#pragma once

#include <cstdint>
#include <string>

#include "core/system_time.h"

namespace ws {

// Stored as their numbers in the journal: never renumber, only add.
enum class EventKind : int {
  kStationStarted = 1,
  kStationEnded = 2,
  kStationEndedUnexpectedly = 3,
  kAlarmRaised = 10,
  kAlarmAcknowledged = 11,
  kAlarmReturned = 12,
  kCommunicationLost = 20,
  kCommunicationRestored = 21,
  kDumpStarted = 30,
  kDumpEnded = 31,
  kFillHoles = 32,
  kFirmwareStarted = 33,
  kFirmwareEnded = 34,
  kConfigurationChanged = 40,
  kRecordingState = 50,
  kTestSpeedMode = 51,
  kMessagesDropped = 52,  // a publisher had to drop queued messages
};

// The history window's kind filter: each kind belongs to one group.
enum class EventGroup : uint32_t {
  kAlarms = 1u << 0,
  kCommunication = 1u << 1,
  kDumps = 1u << 2,  // day dumps, "Fill holes" runs, firmware uploads
  kConfiguration = 1u << 3,
  kStation = 1u << 4,  // start, end, recording, test speed mode, publishers
};
inline constexpr uint32_t kAllEventGroups = 0x1f;

EventGroup GroupOf(EventKind kind);
// "Station started", "Alarm raised", ... as the history window and CSV show it.
const char* KindName(EventKind kind);

// The alarm levels an event can carry: kLevelAlarm..kLevelTrip as judged by
// the alarm rules, and the no-communication alarm beside them.
inline constexpr int kLevelNoCommunication = 4;

struct StationEvent {
  SystemTime local{};   // the station clock's local time
  int64_t utcMs = 0;    // the same instant in UTC milliseconds since 1970
  EventKind kind = EventKind::kStationStarted;
  int stack = -1;       // 0-based; -1: not about one stack
  int level = 0;        // kLevelAlarm..kLevelTrip, kLevelNoCommunication, or 0
  double value = 0.0;   // speed (m/s) for alarms, seconds for durations, else 0
  std::string text;     // short UTF-8 text: what happened, in the operator's words
};

// Receives every event as it happens, on the runtime's thread. An
// implementation must not block: the 2 Hz loop calls it.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void Record(const StationEvent& event) = 0;
};

// UTC milliseconds of a local wall-clock time, by the machine's time zone.
int64_t LocalToUtcMs(const SystemTime& local);

}  // namespace ws
