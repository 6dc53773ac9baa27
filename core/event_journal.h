// The event journal: every StationEvent stored in the SQLite database
// "Events.db" in the station's working directory, and read back filtered for
// the history window, the reports and windscope-report --events.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/station_event.h"

namespace ws {

inline constexpr const char* kEventsFileName = "Events.db";

// Which events to read. The span is in local civil seconds (CivilSeconds of
// the event's local time): from inclusive, to exclusive.
struct EventFilter {
  int64_t fromLocalSeconds = std::numeric_limits<int64_t>::min();
  int64_t toLocalSeconds = std::numeric_limits<int64_t>::max();
  int stack = -1;                     // -1: every stack and the station's own events
  uint32_t groups = kAllEventGroups;  // EventGroup bits
};

struct StoredEvent {
  int64_t id = 0;  // rises with every event stored
  StationEvent event;
};

// Reads the journal through its own connection, on the caller's thread.
class EventReader {
 public:
  virtual ~EventReader() = default;
  // Opens dir/Events.db read-only; null and `error` set when it cannot.
  static std::unique_ptr<EventReader> Open(const std::string& dir, std::string* error);

  virtual int64_t Count(const EventFilter& filter) = 0;
  // Newest first: the events at positions offset .. offset+limit-1 of the
  // filtered list.
  virtual std::vector<StoredEvent> Page(const EventFilter& filter, int64_t offset, int limit) = 0;
};

}  // namespace ws
